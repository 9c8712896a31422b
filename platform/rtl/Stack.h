// The bounds of a thread's stack.
#pragma once

#include <cstdint>

namespace menvaro {

// [Low, High): High is the stack's base, where it starts to grow down
// from. Both 0 when the system does not tell.
struct TStackBounds {
    std::uintptr_t Low = 0;
    std::uintptr_t High = 0;
};

TStackBounds CurrentThreadStack();

}  // namespace menvaro
