#include "base/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exceptions.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

using test::TempDir;

std::vector<std::string> Search(const std::string& pathMask, int attr) {
    std::vector<std::string> names;
    TSearchRec rec;
    for (int r = FindFirst(pathMask, attr, rec); r == 0; r = FindNext(rec)) names.push_back(rec.Name);
    FindClose(rec);
    return names;
}

}  // namespace

TEST(Masks, TheFolderSearchRules) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"dish1.xml", "*.xml", true},
        {"DISH1.XML", "*.xml", true},
        {"dish1.xmlx", "*.xml", false},
        {"dish1.xml", "*.*", true},
        {"Room", "*.*", true},
        {"Room", "*", true},
        {"Room.txt", "room.txt", true},
        {"Room.txt", "Room.tx", false},
        {"a.xml", "?.xml", true},
        {"ab.xml", "?.xml", false},
        {".xml", "?.xml", false},
        {"餐.xml", "?.xml", true},
        {"餐点.xml", "餐*.xml", true},
        {"database20261210", "database*", true},
        {"database20261210", "database????????", true},
        {"database2026121", "database????????", false},
        {"Room", "Room.*", true},
        {"Room.txt", "Room.*", true},
        {"Rooms", "Room.*", false},
        {"Room", "*.", true},
        {"Room.txt", "*.", false},
        {"a.b.c", "*.c", true},
        {"abc", "a*b*c", true},
        {"abcb", "a*b", true},
        {"acb", "a*bc", false},
        {"", "*", true},
        {"x", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(Paths, DelimitersNamesAndExtensions) {
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b"), "/a/b/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b/"), "/a/b/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/b/"), "/a/b");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExtractFilePath("/opt/menvaro/Pelgrane"), "/opt/menvaro/");
    EXPECT_EQ(ExtractFileDir("/opt/menvaro/Pelgrane"), "/opt/menvaro");
    EXPECT_EQ(ExtractFileName("/opt/menvaro/Pelgrane"), "Pelgrane");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/c.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("/opt/Pelgrane", ".elf"), "/opt/Pelgrane.elf");
    EXPECT_EQ(ChangeFileExt("/opt/x.log", ".elf"), "/opt/x.elf");
    EXPECT_EQ(ExeFolder().back(), '/');
    EXPECT_TRUE(FileExists(ExeName()));
}

TEST(Files, CreateDirIsOneLevelAndDeleteFileNeverTakesAFolder) {
    TempDir t;
    EXPECT_FALSE(CreateDir(t.path() + "a/b"));
    EXPECT_TRUE(CreateDir(t.path() + "a"));
    EXPECT_FALSE(CreateDir(t.path() + "a"));
    EXPECT_TRUE(DirectoryExists(t.path() + "a"));
    EXPECT_FALSE(FileExists(t.path() + "a"));
    EXPECT_FALSE(DeleteFile(t.path() + "a"));
    EXPECT_TRUE(DirectoryExists(t.path() + "a"));
    t.Write("f");
    EXPECT_TRUE(FileExists(t.path() + "f"));
    EXPECT_TRUE(DeleteFile(t.path() + "f"));
    EXPECT_FALSE(DeleteFile(t.path() + "f"));
    EXPECT_TRUE(ForceDirectories(t.path() + "x/y/z"));
    EXPECT_TRUE(DirectoryExists(t.path() + "x/y/z"));
}

TEST(Files, SearchReportsFilesInNameOrderAndFoldersOnlyWhenAsked) {
    TempDir t;
    for (const char* n : {"b.xml", "A.XML", "c.txt", "Room.txt", ".hidden.xml"}) t.Write(n);
    CreateDir(t.path() + "sub.xml");
    EXPECT_EQ(Search(t.path() + "*.xml", 0), (std::vector<std::string>{"A.XML", "b.xml"}));
    EXPECT_EQ(Search(t.path() + "*.xml", faAnyFile),
              (std::vector<std::string>{".hidden.xml", "A.XML", "b.xml", "sub.xml"}));
    EXPECT_EQ(Search(t.path() + "*.*", faAnyFile).size(), 8u);  // with "." and ".."

    TSearchRec rec;
    ASSERT_EQ(FindFirst(t.path() + "sub.xml", faAnyFile, rec), 0);
    EXPECT_EQ(rec.Attr & faDirectory, faDirectory);
    FindClose(rec);
    ASSERT_EQ(FindFirst(t.path() + "c.txt", faAnyFile, rec), 0);
    EXPECT_EQ(rec.Attr & faDirectory, 0);
    EXPECT_EQ(rec.Size, 1);
    EXPECT_NEAR(rec.Time, Now(), 1.0 / 24);
    EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
    FindClose(rec);

    EXPECT_EQ(FindFirst(t.path() + "*.doc", faAnyFile, rec), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirst(t.path() + "missing/*.xml", faAnyFile, rec), ERROR_PATH_NOT_FOUND);
}

TEST(Files, AtomicWriteReplacesWholeAndLeavesNoTemporaryFile) {
    TempDir t;
    const std::string f = t.path() + "data.xml";
    WriteFileAtomic(f, "old");
    WriteFileAtomic(f, std::string(100000, 'n'));
    EXPECT_EQ(ReadFileBytes(f), std::string(100000, 'n'));
    EXPECT_EQ(Search(t.path() + "*", faAnyFile & ~faDirectory), (std::vector<std::string>{"data.xml"}));
    EXPECT_THROW(WriteFileAtomic(t.path() + "nofolder/x", "y"), EFCreateError);
    EXPECT_THROW(ReadFileBytes(t.path() + "missing"), EFOpenError);
    // Files read to their size, and files whose size says nothing read to their end.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{65537}}) {
        WriteFileAtomic(f, std::string(size, 'x'));
        EXPECT_EQ(ReadFileBytes(f), std::string(size, 'x')) << size;
    }
    EXPECT_NE(ReadFileBytes("/proc/self/status").find("Name:"), std::string::npos);
}

TEST(Files, AReplacementTakesThePlaceOnlyWhenCommitted) {
    TempDir t;
    const std::string f = t.path() + "data.xml";
    WriteFileAtomic(f, "old");
    {
        TFileReplacement dropped(f, "never");
        EXPECT_EQ(ReadFileBytes(f), "old");
    }
    // Gone with the object: the old file as it was, and nothing else.
    EXPECT_EQ(ReadFileBytes(f), "old");
    EXPECT_EQ(Search(t.path() + "*", faAnyFile & ~faDirectory), (std::vector<std::string>{"data.xml"}));

    TFileReplacement first(f, "new");
    TFileReplacement moved(std::move(first));
    EXPECT_EQ(ReadFileBytes(f), "old");
    moved.Commit();
    EXPECT_EQ(ReadFileBytes(f), "new");
    EXPECT_THROW(moved.Commit(), EWriteError);  // once
    EXPECT_EQ(Search(t.path() + "*", faAnyFile & ~faDirectory), (std::vector<std::string>{"data.xml"}));

    // The folder gone before the commit: the error names the file, nothing stays.
    ForceDirectories(t.path() + "sub");
    TFileReplacement orphan(t.path() + "sub/x.xml", "x");
    for (const std::string& name : Search(t.path() + "sub/*", faAnyFile & ~faDirectory))
        ASSERT_EQ(::rename((t.path() + "sub/" + name).c_str(), (t.path() + "moved.tmp").c_str()), 0);
    ASSERT_TRUE(RemoveDir(t.path() + "sub"));
    try {
        orphan.Commit();
        ADD_FAILURE() << "the commit should fail";
    } catch (const EWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("sub/x.xml"), std::string::npos) << e.what();
    }
}

TEST(Files, LeftoversOfInterruptedAtomicWritesAreDeletedAndNothingElse) {
    TempDir t;
    for (const char* name : {".dish01.xml.123456789.tmp", ".a.7.tmp", ".dish01.xml.tmp", ".dish01.xml.12x.tmp",
                             "dish01.xml.123.tmp", ".keep", "dish01.xml", ".x.1.tmp.bak"})
        WriteFileAtomic(t.path() + name, "x");
    CreateDir(t.path() + ".folder.1.tmp");
    EXPECT_EQ(DeleteAtomicWriteLeftovers(t.path()), 2);
    EXPECT_EQ(Search(t.path() + "*", faAnyFile),
              (std::vector<std::string>{".", "..", ".dish01.xml.12x.tmp", ".dish01.xml.tmp", ".folder.1.tmp", ".keep",
                                        ".x.1.tmp.bak", "dish01.xml", "dish01.xml.123.tmp"}));
    EXPECT_EQ(DeleteAtomicWriteLeftovers(t.path() + "missing"), 0);
}

TEST(Files, OneFilesLeftoversARegularFileOnlyAndTheModeOfANewFile) {
    TempDir t;
    for (const char* name : {".log.elf.123.tmp", ".log.elf.45.tmp", ".other.elf.123.tmp", ".log.elf.x.123.tmp",
                             ".alog.elf.1.tmp"})
        WriteFileAtomic(t.path() + name, "x");
    EXPECT_EQ(DeleteAtomicWriteLeftovers(t.path(), "log.elf"), 2);
    EXPECT_EQ(DeleteAtomicWriteLeftovers(t.path(), ""), 0);
    EXPECT_EQ(Search(t.path() + ".*", faHidden),
              (std::vector<std::string>{".alog.elf.1.tmp", ".log.elf.x.123.tmp", ".other.elf.123.tmp"}));

    const std::string f = t.path() + "private";
    WriteFileAtomic(f, "secret", 0600);
    struct stat st;
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadRegularFileBytes(f), "secret");
    const std::string fifo = t.path() + "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& other : {fifo, t.path(), std::string("/dev/null")})
        EXPECT_THROW(ReadRegularFileBytes(other), EFOpenError) << other;
    EXPECT_THROW(ReadRegularFileBytes(t.path() + "missing"), EFOpenError);
}
