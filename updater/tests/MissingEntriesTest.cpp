// The remote API library here lacks CeWriteFile and CeDeleteFile.
#include <gtest/gtest.h>

#include "DeviceFixture.h"
#include "base/Files.h"
#include "fileCopy.h"
#include "testsupport/TempDir.h"

using namespace pelgrane;

TEST(MissingEntries, WrappersGiveTheirMissingResults) {
    ASSERT_TRUE(LoadRapi());
    EXPECT_EQ(RapiEntry(22), nullptr);  // CeWriteFile
    EXPECT_EQ(RapiEntry(34), nullptr);  // CeDeleteFile
    EXPECT_EQ(CeWriteFile(nullptr, "x", 1, nullptr, nullptr), 0);
    EXPECT_EQ(CeDeleteFile(u"\\x"), 0);
    EXPECT_EQ(CeRapiInit(), S_OK);
    EXPECT_EQ(ConnectDevice(), TDeviceConnection::dcConnected);
}

TEST(MissingEntries, ACopyWithoutWriteFailsAndLeavesNoPartialFile) {
    const menvaro::test::TempDir dir("partial");
    const std::string& pc = dir.path();
    menvaro::WriteFileAtomic(pc + "a.xml", "abc");
    EXPECT_FALSE(CopyFileToDevice(pc, "\\Program Files", "a.xml"));
    // Without a delete entry the temporary file cannot be removed; it never
    // takes the real file's name.
    for (const auto& [path, content] : Device().files) EXPECT_NE(path, "\\Program Files\\a.xml");
}
