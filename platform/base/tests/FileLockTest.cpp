#include "base/FileLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using namespace std::chrono_literals;

// flock locks belong to an open file, so two locks of one process on one
// file meet as two programs would.
TEST(FileLock, AnExclusiveHolderKeepsOthersOutUntilItLetsGo) {
    test::TempDir t;
    const std::string path = t.path() + "folder.lock";
    TFileLock holder;
    ASSERT_TRUE(holder.Open(path, true));
    ASSERT_TRUE(holder.Lock(0ms));
    EXPECT_TRUE(FileExists(path));

    for (bool exclusive : {true, false}) {
        TFileLock other;
        ASSERT_TRUE(other.Open(path, exclusive));
        EXPECT_FALSE(other.Lock(60ms)) << exclusive;
        EXPECT_FALSE(other.Locked());
    }
    holder.Unlock();
    TFileLock other;
    ASSERT_TRUE(other.Open(path, true));
    EXPECT_TRUE(other.Lock(0ms));
}

TEST(FileLock, ReadersShareAndAReadOnlyFileServesEitherLock) {
    test::TempDir t;
    const std::string path = t.path() + "store.lock";
    TFileLock a, b;
    ASSERT_TRUE(a.Open(path, false));
    ASSERT_TRUE(b.Open(path, false));
    EXPECT_TRUE(a.Lock(0ms));
    EXPECT_TRUE(b.Lock(0ms));
    a.Unlock();
    b.Unlock();
    // Made by another user and left to read only: it still keeps writers apart.
    ::chmod(path.c_str(), 0444);
    TFileLock reader, writer;
    ASSERT_TRUE(reader.Open(path, false));
    ASSERT_TRUE(writer.Open(path, true));
    EXPECT_TRUE(reader.Lock(0ms));
    EXPECT_FALSE(writer.Lock(0ms));
    reader.Unlock();
    EXPECT_TRUE(writer.Lock(0ms));
    TFileLock none;
    EXPECT_FALSE(none.Open(t.path() + "missing/x.lock", false));
    EXPECT_THROW(none.Lock(0ms), EInOutError);
}
