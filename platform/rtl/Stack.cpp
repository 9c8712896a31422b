#include "Stack.h"

#include <pthread.h>

#include <cstddef>

namespace menvaro {

TStackBounds CurrentThreadStack() {
    // Asked each time: a thread's stack is fixed, but the thread asking is not.
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return {};
    void* low = nullptr;
    std::size_t size = 0;
    const int r = pthread_attr_getstack(&attr, &low, &size);
    pthread_attr_destroy(&attr);
    if (r != 0) return {};
    const auto from = reinterpret_cast<std::uintptr_t>(low);
    return {from, from + size};
}

}  // namespace menvaro
