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
