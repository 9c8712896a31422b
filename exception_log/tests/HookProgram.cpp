// A program built like Pelgrane (its logger options, the debug-information
// step) that installs the logger and does what its argument says; its log
// goes to the folder named by HOOK_LOG_DIR.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "ui/Forms.h"

using namespace menvaro;

namespace {

void ToHandler(int n) {
    try {
        hookfn::ThrowConvertError(n);
    } catch (...) {
        Application->HandleException(nullptr);
    }
}

// Both threads throw once both are there.
std::atomic<int> arrived{0};

void Together(int n) {
    ++arrived;
    while (arrived.load() < 2) std::this_thread::yield();
    hookfn::ThrowConvertError(n);
}

void* Exits(void*) {
    pthread_exit(reinterpret_cast<void*>(7));
}

void* Cancelled(void*) {
    for (;;) ::pause();  // a cancellation point
}

int Run(const std::string& mode) {
    if (mode == "handler") {
        ToHandler(1);
    } else if (mode == "handled") {
        try {
            hookfn::ThrowConvertError(2);
        } catch (const EConvertError&) {
            std::puts("handled");
        }
    } else if (mode == "abort") {
        try {
            throw EAbort();
        } catch (...) {
            Application->HandleException(nullptr);
        }
    } else if (mode == "thread") {
        std::thread([] { hookfn::ThrowConvertError(3); }).join();
        std::puts("after the thread");
    } else if (mode == "exit") {
        pthread_t a, b;
        void* result = nullptr;
        pthread_create(&a, nullptr, Exits, nullptr);
        pthread_join(a, &result);
        pthread_create(&b, nullptr, Cancelled, nullptr);
        pthread_cancel(b);
        void* cancelled = nullptr;
        pthread_join(b, &cancelled);
        std::printf("exited %ld cancelled %d\n", static_cast<long>(reinterpret_cast<std::intptr_t>(result)),
                    cancelled == PTHREAD_CANCELED);
    } else if (mode == "two") {
        std::thread one(Together, 4), two(Together, 5);
        one.join();
        two.join();
    } else if (mode == "nested") {
        // The event raises, and hands it to the handler, inside the report.
        LoggerEvents().OnExceptionNotify = [](const TOstrelExceptionRecord&, bool&) { ToHandler(6); };
        ToHandler(7);
    } else if (mode == "rethrow") {
        std::exception_ptr kept;
        try {
            hookfn::ThrowConvertError(8);
        } catch (...) {
            kept = std::current_exception();
        }
        try {
            std::rethrow_exception(kept);
        } catch (...) {
            Application->HandleException(nullptr);
        }
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    CreateOstrelModulesList();
    if (const char* dir = std::getenv("HOOK_LOG_DIR")) {
        auto record = OstrelModulesList()->FindModuleInfo(LoggerModuleHandle());
        if (!record || !record->Options) {
            std::fputs("no logger options in the program\n", stderr);
            return 3;
        }
        record->Options->SetLogPath(dir);
    }
    InstallOstrelLog();
    const int result = Run(argv[1]);
    RemoveOstrelLog();
    DestroyOstrelModulesList();
    return result;
}
