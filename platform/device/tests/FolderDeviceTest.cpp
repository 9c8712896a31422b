#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "base/CodePage.h"
#include "base/Files.h"
#include "device/Rapi.h"
#include "testsupport/TempDir.h"

using menvaro::ReadFileBytes, menvaro::FileSize, menvaro::ForceDirectories, menvaro::DirectoryExists,
    menvaro::FileExists, menvaro::Utf8ToUtf16;
using namespace menvaro::rapi;

namespace {

// The plug-in as a program binds it: by name, through dlsym.
struct Device {
    void* lib = nullptr;
    PFN_CeRapiInit init;
    PFN_CeRapiUninit uninit;
    PFN_CeCreateFile create;
    PFN_CeWriteFile write;
    PFN_CeCloseHandle close;
    PFN_CeDeleteFile del;
    PFN_CeMoveFile move;
    PFN_CeGetLastError lastError;

    Device() {
        lib = dlopen(std::getenv("FOLDER_DEVICE_LIBRARY"), RTLD_NOW | RTLD_LOCAL);
        if (!lib) throw std::runtime_error(dlerror());
        init = Bind<PFN_CeRapiInit>("CeRapiInit");
        uninit = Bind<PFN_CeRapiUninit>("CeRapiUninit");
        create = Bind<PFN_CeCreateFile>("CeCreateFile");
        write = Bind<PFN_CeWriteFile>("CeWriteFile");
        close = Bind<PFN_CeCloseHandle>("CeCloseHandle");
        del = Bind<PFN_CeDeleteFile>("CeDeleteFile");
        move = Bind<PFN_CeMoveFile>("CeMoveFile");
        lastError = Bind<PFN_CeGetLastError>("CeGetLastError");
    }
    template <class F>
    F Bind(const char* name) {
        return reinterpret_cast<F>(dlsym(lib, name));
    }
};

class FolderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForceDirectories(root_ + "/Program Files/Menvaro餐点");
        setenv("MENVARO_DEVICE_ROOT", root_.c_str(), 1);
        ASSERT_EQ(dev_.init(), S_OK);
    }
    void TearDown() override { dev_.uninit(); }
    std::u16string W(const std::string& s) { return Utf8ToUtf16(s); }
    HANDLE Create(const std::string& path, DWORD disposition = CREATE_ALWAYS) {
        return dev_.create(W(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, disposition, 0, nullptr);
    }
    void Put(const std::string& path, const std::string& bytes) {
        HANDLE h = Create(path);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        ASSERT_TRUE(dev_.write(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        EXPECT_EQ(written, bytes.size());
        ASSERT_TRUE(dev_.close(h));
    }

    static Device dev_;
    menvaro::test::TempDir dir_{"device"};
    std::string root_ = menvaro::ExcludeTrailingPathDelimiter(dir_.path());
};

Device FolderDeviceTest::dev_;

}  // namespace

TEST_F(FolderDeviceTest, FilesLandUnderTheRootAndCreateAlwaysReplaces) {
    Put("\\Program Files\\Menvaro餐点\\dish1.xml", "a longer first content");
    Put("\\Program Files\\Menvaro餐点\\dish1.xml", "new");
    EXPECT_EQ(ReadFileBytes(root_ + "/Program Files/Menvaro餐点/dish1.xml"), "new");
    // Names match without regard to letter case, as on the handheld.
    Put("\\program files\\MENVARO餐点\\DISH1.XML", "case");
    EXPECT_EQ(ReadFileBytes(root_ + "/Program Files/Menvaro餐点/dish1.xml"), "case");
    Put("\\Program Files\\Menvaro餐点\\empty.xml", "");
    EXPECT_EQ(FileSize(root_ + "/Program Files/Menvaro餐点/empty.xml"), 0);
}

TEST_F(FolderDeviceTest, FailuresFollowTheHandheldsRules) {
    EXPECT_EQ(Create("\\No Such Folder\\x.xml"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(dev_.lastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Create("\\Program Files\\Menvaro餐点\\x.xml", OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(dev_.lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Create("\\Program Files\\Menvaro餐点"), INVALID_HANDLE_VALUE);  // a folder
    EXPECT_EQ(dev_.lastError(), ERROR_ACCESS_DENIED);

    EXPECT_FALSE(dev_.del(W("\\Program Files\\Menvaro餐点\\missing.xml").c_str()));
    EXPECT_EQ(dev_.lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(dev_.del(W("\\Program Files").c_str()));
    EXPECT_TRUE(DirectoryExists(root_ + "/Program Files"));

    Put("\\Program Files\\a.txt", "a");
    Put("\\Program Files\\b.txt", "b");
    EXPECT_FALSE(dev_.move(W("\\Program Files\\a.txt").c_str(), W("\\Program Files\\b.txt").c_str()));
    EXPECT_EQ(dev_.lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(dev_.del(W("\\Program Files\\b.txt").c_str()));
    EXPECT_TRUE(dev_.move(W("\\Program Files\\a.txt").c_str(), W("\\Program Files\\b.txt").c_str()));
    EXPECT_EQ(ReadFileBytes(root_ + "/Program Files/b.txt"), "a");

    DWORD written = 7;
    EXPECT_FALSE(dev_.write(reinterpret_cast<HANDLE>(0x77), "x", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(dev_.lastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(dev_.close(reinterpret_cast<HANDLE>(0x77)));
}

TEST_F(FolderDeviceTest, PathsCannotLeaveTheRoot) {
    for (const char* bad :
         {"\\..\\escape.xml", "\\Program Files\\..\\..\\x", "relative.xml", "\\a/b", "\\x\\\\y", ""}) {
        EXPECT_EQ(Create(bad), INVALID_HANDLE_VALUE) << bad;
        EXPECT_FALSE(dev_.del(W(bad).c_str())) << bad;
    }
    EXPECT_FALSE(FileExists(root_ + "/../escape.xml"));
}

TEST_F(FolderDeviceTest, NoHandheldWithoutTheRootAndNothingBeforeInit) {
    dev_.uninit();
    EXPECT_EQ(Create("\\Program Files\\x.xml"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(dev_.lastError(), ERROR_NOT_READY);
    setenv("MENVARO_DEVICE_ROOT", (root_ + "/missing").c_str(), 1);
    EXPECT_EQ(dev_.init(), E_FAIL);
    unsetenv("MENVARO_DEVICE_ROOT");
    EXPECT_EQ(dev_.init(), E_FAIL);
    setenv("MENVARO_DEVICE_ROOT", root_.c_str(), 1);
    EXPECT_EQ(dev_.init(), S_OK);
    EXPECT_EQ(dev_.init(), CERAPI_E_ALREADYINITIALIZED);
}

TEST_F(FolderDeviceTest, EveryEntryIsThereAndTheRestAreNotSupported) {
    for (const char* name : kEntryNames) EXPECT_NE(dlsym(dev_.lib, name), nullptr) << name;
    auto copy = reinterpret_cast<BOOL (*)(LPCWSTR, LPCWSTR, BOOL)>(dlsym(dev_.lib, "CeCopyFile"));
    EXPECT_FALSE(copy(W("\\a").c_str(), W("\\b").c_str(), 0));
    EXPECT_EQ(dev_.lastError(), ERROR_CALL_NOT_IMPLEMENTED);
    // Nothing of the base library leaks into the plug-in's exports.
    EXPECT_EQ(dlsym(dev_.lib, "_ZN7menvaro11Utf8ToUtf16ESt17basic_string_viewIcSt11char_traitsIcEE"), nullptr);
}
