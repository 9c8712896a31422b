// A library built with the logger's build step: its own "OLDATA" section.
namespace dbglib {

struct TCounter {
    static int Step(int x);
};

__attribute__((noinline)) int TCounter::Step(int x) { return x + 5; }

}  // namespace dbglib

static const int kFunctionLine = __LINE__ + 1;
extern "C" __attribute__((noinline)) int debuginfo_library_function(int x) { return dbglib::TCounter::Step(x) * 2; }

extern "C" int debuginfo_library_function_line() { return kFunctionLine; }
