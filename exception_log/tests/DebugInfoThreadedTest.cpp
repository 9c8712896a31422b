// Lookups of several threads while libraries are loaded, listed and
// unloaded: the list's records stay whole for those who hold them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ExceptionLog.h"
#include "KnownFunctions.h"

using namespace menvaro;

TEST(ModulesListThreads, LookupsGoOnWhileModulesComeAndGo) {
    TOstrelModulesList list;
    const auto plain = reinterpret_cast<std::uintptr_t>(&known::Plain);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                const TOstrelDebugInfo info = list.GetAddressInfo(plain);
                if (info.EntryKind != ekLineInfo || info.ProcedureName != "Plain" || !info.Module) ++wrong;
            }
        });
    }
    std::vector<TOstrelDebugInfo> held;
    for (int round = 0; round < 20; ++round) {
        void* library = ::dlopen(TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr);
        const auto function = reinterpret_cast<std::uintptr_t>(::dlsym(library, "exception_log_test_function"));
        list.RefreshModulesList();
        held.push_back(list.GetAddressInfo(function));
        EXPECT_EQ(held.back().ProcedureName, "exception_log_test_function");
        ::dlclose(library);
        list.RefreshModulesList();
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(wrong, 0);
    for (const TOstrelDebugInfo& h : held) {
        ASSERT_TRUE(h.Module);
        EXPECT_TRUE(h.Module->Unloaded);
        EXPECT_EQ(h.Module->Image.Path, TEST_LIBRARY);
    }
}

// The first lookups of several threads at once in a library whose record
// start-up left incomplete: the record is completed and its exports read
// while the others wait, and every thread gets the same name.
TEST(ModulesListThreads, FirstLookupsAtOnceCompleteTheRecordAndReadTheExportsOnce) {
    const auto function = reinterpret_cast<std::uintptr_t>(::dlsym(RTLD_DEFAULT, "fopen"));
    ASSERT_NE(function, 0u);
    for (int round = 0; round < 5; ++round) {
        TOstrelModulesList list;
        std::atomic<int> ready{0};
        std::vector<TOstrelDebugInfo> found(4);
        std::vector<std::thread> threads;
        for (std::size_t t = 0; t < found.size(); ++t) {
            threads.emplace_back([&, t] {
                ++ready;
                while (ready < static_cast<int>(found.size())) std::this_thread::yield();
                found[t] = list.GetAddressInfo(function);
            });
        }
        for (std::thread& t : threads) t.join();
        const TOstrelDebugInfo again = list.GetAddressInfo(function);
        ASSERT_FALSE(again.ProcedureName.empty());
        ASSERT_TRUE(again.Module);
        for (const TOstrelDebugInfo& f : found) {
            EXPECT_EQ(f.ProcedureName, again.ProcedureName);
            ASSERT_TRUE(f.Module);
            EXPECT_EQ(f.Module->Image.Path, again.Module->Image.Path);
            EXPECT_EQ(f.Module->Functions.Count(), again.Module->Functions.Count());
        }
    }
}
