// Linked into a program that carries the logger: starts it before the
// program's own modules and stops it after them.
#include <cstdlib>

#include "ExceptionLog.h"

namespace {

__attribute__((constructor(101))) void StartLogger() {
    // The trace first: it sees the logger start, and its shut-down,
    // registered before the logger's, runs after it.
    menvaro::StartTrace();
    // Registered before the program's own, so it runs after them.
    std::atexit([] { menvaro::FinalizeLogger(); });
    menvaro::InitializeLogger();
}

}  // namespace
