#include "Memory.h"

#include <fcntl.h>
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

namespace {

enum class TKernelRead { kRead, kUnreadable, kRefused };

// Through the kernel: process_vm_readv on this process.
TKernelRead KernelRead(std::uintptr_t address, void* buffer, std::size_t size) {
    if (g_vmReadRefused.load(std::memory_order_relaxed)) return TKernelRead::kRefused;
    iovec local{buffer, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    const ssize_t n = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
    if (n == static_cast<ssize_t>(size)) return TKernelRead::kRead;
    if (n >= 0 || (errno != EPERM && errno != ENOSYS && errno != EACCES)) return TKernelRead::kUnreadable;
    g_vmReadRefused.store(true, std::memory_order_relaxed);
    return TKernelRead::kRefused;
}

}  // namespace

bool ReadMemory(std::uintptr_t address, void* buffer, std::size_t size) {
    if (size == 0) return true;
    if (address + size < address) return false;
    const TKernelRead r = KernelRead(address, buffer, size);
    if (r != TKernelRead::kRefused) return r == TKernelRead::kRead;
    return ReadMemoryBySegments(address, buffer, size);
}

bool ReadMemorySignalSafe(std::uintptr_t address, void* buffer, std::size_t size) {
    if (size == 0) return true;
    if (address + size < address) return false;
    const TKernelRead r = KernelRead(address, buffer, size);
    if (r != TKernelRead::kRefused) return r == TKernelRead::kRead;
    // A pipe stands in for the refused call: write() answers EFAULT for
    // bytes that cannot be read, where touching them would fault.
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return false;
    auto* to = static_cast<unsigned char*>(buffer);
    bool ok = true;
    for (std::size_t done = 0; ok && done < size;) {
        const std::size_t n = size - done < 4096 ? size - done : 4096;
        ok = ::write(pipe[1], reinterpret_cast<const void*>(address + done), n) == static_cast<ssize_t>(n) &&
             ::read(pipe[0], to + done, n) == static_cast<ssize_t>(n);
        done += n;
    }
    ::close(pipe[0]);
    ::close(pipe[1]);
    return ok;
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
