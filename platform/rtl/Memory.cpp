#include "Memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "Modules.h"
#include "Stack.h"

namespace menvaro {

namespace {

// Set once the kernel has refused the call; from then on the fallback reads.
std::atomic<bool> g_vmReadRefused{false};

bool WithinReadableSegments(std::uintptr_t address, std::size_t size) {
    const std::uintptr_t end = address + size;
    if (end < address) return false;
    const TStackBounds stack = CurrentThreadStack();
    if (address >= stack.Low && end <= stack.High) return true;
    // One segment must hold the whole range: neighbouring segments leave
    // unmapped gaps between them.
    for (const TLoadedModule& m : LoadedModules())
        for (const TModuleSegment& s : m.Segments)
            if (s.Readable && address >= s.Start && end <= s.End) return true;
    return false;
}

// Byte by byte and without the sanitizers' checks: the bytes may be a live
// stack that the sanitizers keep poisoned around its variables.
__attribute__((no_sanitize("address", "thread", "undefined"))) void CopyBytes(std::uintptr_t from, void* to,
                                                                              std::size_t size) {
    const volatile unsigned char* source = reinterpret_cast<const volatile unsigned char*>(from);
    unsigned char* target = static_cast<unsigned char*>(to);
    for (std::size_t i = 0; i < size; ++i) target[i] = source[i];
}

}  // namespace

bool ReadMemoryBySegments(std::uintptr_t address, void* buffer, std::size_t size) {
    if (size == 0) return true;
    if (!WithinReadableSegments(address, size)) return false;
    CopyBytes(address, buffer, size);
    return true;
}

bool ReadMemory(std::uintptr_t address, void* buffer, std::size_t size) {
    if (size == 0) return true;
    if (address + size < address) return false;
    if (!g_vmReadRefused.load(std::memory_order_relaxed)) {
        iovec local{buffer, size};
        iovec remote{reinterpret_cast<void*>(address), size};
        const ssize_t n = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
        if (n == static_cast<ssize_t>(size)) return true;
        if (n >= 0 || errno == EFAULT || errno == ESRCH || errno == ENOMEM) return false;
        if (errno != EPERM && errno != ENOSYS && errno != EACCES) return false;
        g_vmReadRefused.store(true, std::memory_order_relaxed);
    }
    return ReadMemoryBySegments(address, buffer, size);
}

bool IsReadable(std::uintptr_t address, std::size_t size) {
    unsigned char chunk[4096];
    while (size > 0) {
        const std::size_t n = size < sizeof chunk ? size : sizeof chunk;
        if (!ReadMemory(address, chunk, n)) return false;
        address += n;
        size -= n;
    }
    return true;
}

}  // namespace menvaro
