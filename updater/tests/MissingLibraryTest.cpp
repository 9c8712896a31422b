// No remote API library beside this program (until the last test puts one there).
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Files.h"
#include "fileCopy.h"
#include "rapi.h"

extern int dlopenCalls;

using namespace pelgrane;

TEST(MissingLibrary, WrappersGiveTheirMissingResultsAndLoadingIsRetried) {
    const int before = dlopenCalls;
    EXPECT_FALSE(LoadRapi());
    EXPECT_EQ(CeRapiInit(), 0xFFFF);
    EXPECT_EQ(CeRapiUninit(), 0xFFFF);
    EXPECT_EQ(CeCreateFile(u"\\x", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), kRapiMissingHandle);
    EXPECT_EQ(CeWriteFile(nullptr, "x", 1, nullptr, nullptr), 0);
    EXPECT_EQ(CeCloseHandle(nullptr), 0);
    EXPECT_EQ(CeDeleteFile(u"\\x"), 0);
    EXPECT_EQ(ConnectDevice(), TDeviceConnection::dcNoLibrary);
    EXPECT_FALSE(DisconnectDevice());
    EXPECT_GT(dlopenCalls, before);  // every call tried again

    // Once the library is installed beside the program, the next call finds it.
    const std::string own = menvaro::ExeFolder() + "librapi.so";
    menvaro::WriteFileAtomic(own, menvaro::ReadFileBytes(TEST_DEVICE_LIBRARY));
    EXPECT_TRUE(LoadRapi());
    EXPECT_EQ(ConnectDevice(), TDeviceConnection::dcConnected);
    menvaro::DeleteFile(own);
}
