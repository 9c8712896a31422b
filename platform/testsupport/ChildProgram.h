// A program run as a child of a test, for the tests that signal it from
// outside as a desktop session or a terminal would: it runs with the
// test's environment and some more variables, its output goes to a file,
// and the test can see whether it catches a signal, whether a signal sent is
// still waiting for it and which files it holds open.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace menvaro::test {

// A program's argument and environment vectors, for exec and spawn: the
// program and its arguments; this process's environment with `changes` put
// over it ("NAME=VALUE" replaces or adds, a bare "NAME" takes it away).
class TCommandLine {
public:
    TCommandLine(const std::string& program, std::vector<std::string> args, const std::vector<std::string>& changes);
    TCommandLine(const TCommandLine&) = delete;
    TCommandLine& operator=(const TCommandLine&) = delete;
    char* const* Argv() { return argv_.data(); }
    char* const* Envp() { return envp_.data(); }

private:
    std::vector<std::string> args_, env_;
    std::vector<char*> argv_, envp_;
};

// What the tests that end a program from outside run under: a window
// backend and a signal; every pair of {headless, sdl} and {SIGTERM, SIGINT}.
struct TEndCase {
    const char* backend;
    int signal;
};
extern const TEndCase kEndCases[4];
// "headless_SIGTERM" and so on, for the test's name.
std::string EndCaseName(const TEndCase& c);

class TChildProgram {
public:
    // `environment`: put over the test's own, as TCommandLine does.
    TChildProgram(const std::string& program, const std::vector<std::string>& environment, const std::string& output,
                  const std::vector<std::string>& arguments = {});
    // A program still running is killed.
    ~TChildProgram();
    TChildProgram(const TChildProgram&) = delete;
    TChildProgram& operator=(const TChildProgram&) = delete;

    pid_t Pid() const { return pid_; }
    // Waits until `condition` holds; false when the program ended first or
    // `limit` passed.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(120));
    // The program has a handler of its own for `signal`; ignores it.
    bool Catches(int signal) const;
    bool Ignores(int signal) const;
    // `signal` was sent to it and not yet taken.
    bool Pending(int signal) const;
    // It holds `file` open.
    bool HasOpen(const std::string& file) const;
    void Send(int signal) const;
    // Waits for its end: its exit status, or 128 + the signal that ended it;
    // -1 when `limit` passed (it is killed then).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(120));
    // For a job that waits for a lock on `file` which the test holds: once
    // the program has `file` open, sends `signal`, waits until the program
    // took it, then calls `release` (which frees the lock) and waits for the
    // end. The exit status as Wait gives it; -2 when the program ended or
    // the time ran out before it opened the file or took the signal.
    int EndWhileItWaitsFor(const std::string& file, int signal, const std::function<void()>& release);

private:
    bool Running();
    std::string StatusLine(const char* field) const;
    pid_t pid_ = -1;
    int status_ = -1;
};

}  // namespace menvaro::test
