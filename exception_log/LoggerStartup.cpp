// Linked into a program that carries the logger: starts it before the
// program's own modules and stops it after them.
#include <cstdlib>

#include "ExceptionLog.h"

namespace {

__attribute__((constructor(101))) void StartLogger() {
    // Registered first, so it runs last.
    std::atexit([] { menvaro::FinalizeLogger(); });
    menvaro::InitializeLogger();
}

}  // namespace
