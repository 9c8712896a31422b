// Linked into a console program: the logger reads this flag to tell it
// from a program with windows (see IsConsoleApplication).
extern "C" const bool menvaro_console_program = true;
