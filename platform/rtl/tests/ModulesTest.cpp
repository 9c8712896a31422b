#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <string>

#include "base/Files.h"
#include "rtl/ElfFile.h"
#include "rtl/Modules.h"

using namespace menvaro;

namespace {

__attribute__((noinline)) int OwnFunction(int x) { return x + 2; }

const TLoadedModule* Named(const std::vector<TLoadedModule>& modules, const std::string& path) {
    for (const TLoadedModule& m : modules)
        if (m.Path == path) return &m;
    return nullptr;
}

}  // namespace

TEST(LoadedModules, TheProgramComesFirstWithItsOwnFile) {
    const std::vector<TLoadedModule> modules = LoadedModules();
    ASSERT_GE(modules.size(), 2u);
    const TLoadedModule& program = modules.front();
    EXPECT_EQ(program.Kind, TModuleKind::mkProgram);
    EXPECT_EQ(program.Path, ExeName());
    const auto own = reinterpret_cast<std::uintptr_t>(&OwnFunction);
    EXPECT_TRUE(program.Contains(own));
    ASSERT_NE(program.CodeSegmentOf(own), nullptr);
    EXPECT_TRUE(program.CodeSegmentOf(own)->Executable);
    EXPECT_EQ(ModuleOfAddress(own), program.Handle);
    // The handle is the lowest loaded address; the file's lowest one moved by the bias.
    const TElfFile file(program.Path);
    EXPECT_EQ(program.Handle, file.LowestLoadAddress() + program.Bias);
    if (file.Type() == ET_EXEC) {
        EXPECT_EQ(program.Bias, 0);
    }
    for (std::size_t i = 1; i < modules.size(); ++i) EXPECT_EQ(modules[i].Kind, TModuleKind::mkSharedLibrary);
    EXPECT_EQ(ModuleOfAddress(0), 0u);
    int local = 0;
    EXPECT_EQ(ModuleOfAddress(reinterpret_cast<std::uintptr_t>(&local)), 0u);  // the stack is no module's
}

TEST(LoadedModules, ALoadedLibraryIsListedUntilItIsUnloaded) {
    EXPECT_EQ(Named(LoadedModules(), TEST_LIBRARY), nullptr);
    void* library = ::dlopen(TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto function = reinterpret_cast<std::uintptr_t>(::dlsym(library, "rtl_test_function"));
    ASSERT_NE(function, 0u);
    std::uintptr_t handle = 0;
    {
        const std::vector<TLoadedModule> modules = LoadedModules();
        const TLoadedModule* m = Named(modules, TEST_LIBRARY);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->Kind, TModuleKind::mkSharedLibrary);
        EXPECT_TRUE(m->Contains(function));
        EXPECT_EQ(ModuleOfAddress(function), m->Handle);
        EXPECT_EQ(m->Handle, static_cast<std::uintptr_t>(m->Bias));  // its lowest address in the file is 0
        handle = m->Handle;
        TLoadedModule found;
        ASSERT_TRUE(FindLoadedModule(handle, found));
        EXPECT_EQ(found.Path, TEST_LIBRARY);
        // The build id in memory is the file's.
        const std::string id = LoadedBuildId(*m);
        EXPECT_FALSE(id.empty());
        EXPECT_EQ(id, TElfFile(TEST_LIBRARY).BuildId());
    }
    ASSERT_EQ(::dlclose(library), 0);
    EXPECT_EQ(Named(LoadedModules(), TEST_LIBRARY), nullptr);
    TLoadedModule gone;
    EXPECT_FALSE(FindLoadedModule(handle, gone));
}
