// A probe of this process's memory that cannot fault: an address that is
// not mapped, or not readable, gives false instead of a signal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace menvaro {

// Copies `size` bytes at `address` into `buffer`; false (the buffer as it
// may be half filled) when any of them cannot be read. Goes through the
// kernel (process_vm_readv on this process), so neither a fault nor a
// sanitizer's view of the bytes stands in the way; where that call is
// refused, only the readable segments of the loaded modules and the calling
// thread's stack are read.
bool ReadMemory(std::uintptr_t address, void* buffer, std::size_t size);
inline bool ReadMemory(const void* address, void* buffer, std::size_t size) {
    return ReadMemory(reinterpret_cast<std::uintptr_t>(address), buffer, size);
}

// The same for a signal handler: async-signal-safe; where the kernel's call
// is refused, a pipe probes the bytes instead of the segments.
bool ReadMemorySignalSafe(std::uintptr_t address, void* buffer, std::size_t size);
// True when all `size` bytes at `address` can be read (size 0: true).
bool IsReadable(std::uintptr_t address, std::size_t size);

// The fallback on its own: reads only inside the readable loaded segments
// and the calling thread's stack.
bool ReadMemoryBySegments(std::uintptr_t address, void* buffer, std::size_t size);

// A value read through the probe; false when it cannot be read.
template <class T>
bool ReadValue(std::uintptr_t address, T& value) {
    return ReadMemory(address, &value, sizeof value);
}

}  // namespace menvaro
