#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <thread>

#include "rtl/Memory.h"
#include "rtl/Stack.h"

using namespace menvaro;

namespace {

__attribute__((noinline)) int KnownCode(int x) { return x * 3 + 1; }

// A mapping of two pages whose second one cannot be read.
struct TGuardedPages {
    TGuardedPages() {
        page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        void* p = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base = p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
        if (base) {
            std::memset(base, 0x5A, page);
            ::mprotect(base + page, page, PROT_NONE);
        }
    }
    ~TGuardedPages() {
        if (base) ::munmap(base, 2 * page);
    }
    std::size_t page = 0;
    unsigned char* base = nullptr;
};

}  // namespace

TEST(MemoryProbe, ReadsWhatIsMappedAndRefusesTheRest) {
    int local = 0x12345678;
    int copy = 0;
    ASSERT_TRUE(ReadMemory(&local, &copy, sizeof copy));
    EXPECT_EQ(copy, 0x12345678);

    auto heap = std::make_unique<std::uint64_t>(0xFEEDFACECAFEBEEF);
    std::uint64_t value = 0;
    ASSERT_TRUE(ReadValue(reinterpret_cast<std::uintptr_t>(heap.get()), value));
    EXPECT_EQ(value, 0xFEEDFACECAFEBEEF);

    unsigned char code[4];
    EXPECT_TRUE(ReadMemory(reinterpret_cast<const void*>(&KnownCode), code, sizeof code));

    EXPECT_FALSE(ReadMemory(std::uintptr_t{0}, code, 1));
    EXPECT_FALSE(ReadMemory(std::uintptr_t{16}, code, 4));
    EXPECT_FALSE(ReadMemory(~std::uintptr_t{0} - 1, code, 4));  // wraps around
    EXPECT_TRUE(ReadMemory(std::uintptr_t{0}, code, 0));

    TGuardedPages pages;
    ASSERT_NE(pages.base, nullptr);
    const auto first = reinterpret_cast<std::uintptr_t>(pages.base);
    EXPECT_TRUE(IsReadable(first, pages.page));
    // A range that runs into the unreadable page fails as a whole.
    EXPECT_FALSE(IsReadable(first + pages.page - 8, 16));
    EXPECT_FALSE(IsReadable(first + pages.page, 1));
    EXPECT_FALSE(IsReadable(first, 2 * pages.page));
    EXPECT_TRUE(IsReadable(first, 0));
}

TEST(MemoryProbe, TheFallbackReadsOnlyLoadedSegmentsAndTheStack) {
    int local = 77;
    int copy = 0;
    ASSERT_TRUE(ReadMemoryBySegments(reinterpret_cast<std::uintptr_t>(&local), &copy, sizeof copy));
    EXPECT_EQ(copy, 77);
    unsigned char code[8], direct[8];
    ASSERT_TRUE(ReadMemoryBySegments(reinterpret_cast<std::uintptr_t>(&KnownCode), code, sizeof code));
    ASSERT_TRUE(ReadMemory(reinterpret_cast<const void*>(&KnownCode), direct, sizeof direct));
    EXPECT_EQ(std::memcmp(code, direct, sizeof code), 0);

    TGuardedPages pages;
    ASSERT_NE(pages.base, nullptr);
    // Mapped, but no segment of a module: the fallback cannot tell, so it refuses.
    EXPECT_FALSE(ReadMemoryBySegments(reinterpret_cast<std::uintptr_t>(pages.base), code, 1));
    EXPECT_FALSE(ReadMemoryBySegments(reinterpret_cast<std::uintptr_t>(pages.base) + pages.page, code, 1));
    EXPECT_FALSE(ReadMemoryBySegments(16, code, 4));

    // Another thread's own stack is its own.
    std::thread t([] {
        int mine = 5, read = 0;
        EXPECT_TRUE(ReadMemoryBySegments(reinterpret_cast<std::uintptr_t>(&mine), &read, sizeof read));
        EXPECT_EQ(read, 5);
    });
    t.join();
}

TEST(StackBounds, HoldTheCallersVariablesInEveryThread) {
    int local = 0;
    const TStackBounds main = CurrentThreadStack();
    EXPECT_LT(main.Low, reinterpret_cast<std::uintptr_t>(&local));
    EXPECT_GT(main.High, reinterpret_cast<std::uintptr_t>(&local));
    TStackBounds other;
    std::uintptr_t otherLocal = 0;
    std::thread t([&] {
        int mine = 0;
        other = CurrentThreadStack();
        otherLocal = reinterpret_cast<std::uintptr_t>(&mine);
    });
    t.join();
    EXPECT_LT(other.Low, otherLocal);
    EXPECT_GT(other.High, otherLocal);
    EXPECT_TRUE(other.High <= main.Low || other.Low >= main.High);
}
