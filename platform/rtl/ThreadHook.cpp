#include "ThreadHook.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <thread>

namespace menvaro {

constinit std::atomic<TThreadCreateHook> ThreadCreateSlot{nullptr};

namespace {

constinit std::atomic<TRealThreadCreate> realCreate{nullptr};

// While the start routine of std::thread is being found: the thread that
// looks, and what it saw.
constinit std::atomic<pthread_t> finder{0};
constinit std::atomic<TThreadStart> seen{nullptr};

}  // namespace

TRealThreadCreate RealThreadCreate() {
    TRealThreadCreate real = realCreate.load(std::memory_order_acquire);
    if (!real) {
        real = reinterpret_cast<TRealThreadCreate>(::dlsym(RTLD_NEXT, "pthread_create"));
        if (!real) std::abort();
        realCreate.store(real, std::memory_order_release);
    }
    return real;
}

TThreadStart StdThreadStartRoutine() {
    static const TThreadStart routine = [] {
        finder.store(pthread_self());
        try {
            std::thread([] {}).join();
        } catch (...) {
        }
        finder.store(0);
        return seen.load();
    }();
    return routine;
}

void RunStdThreadState(void* state) {
    // The state's owner, as std::thread's own routine holds it.
    std::unique_ptr<std::thread::_State> owned(static_cast<std::thread::_State*>(state));
    owned->_M_run();
}

}  // namespace menvaro

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, menvaro::TThreadStart start,
                              void* argument) noexcept {
    using namespace menvaro;
    const TRealThreadCreate real = RealThreadCreate();
    if (finder.load() != 0 && pthread_equal(finder.load(), pthread_self())) seen.store(start);
    const TThreadCreateHook hook = ThreadCreateSlot.load(std::memory_order_acquire);
    if (hook) return hook(thread, attributes, start, argument, real);
    return real(thread, attributes, start, argument);
}
