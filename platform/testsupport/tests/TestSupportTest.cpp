// The helpers the other tests stand on: temporary folders, copies of
// programs and the runner that uses them, and expected error messages.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

namespace fs = std::filesystem;

namespace menvaro::test {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TempDir, IsANewFolderUnderTheTemporaryFolderAndGoesWithAllItHolds) {
    std::string kept;
    {
        TempDir a("tag"), b("tag");
        kept = a.path();
        EXPECT_NE(a.path(), b.path());
        EXPECT_EQ(a.path().back(), '/');
        EXPECT_EQ(fs::path(a.path()).parent_path().parent_path(), fs::temp_directory_path());
        EXPECT_EQ(fs::path(a.path()).parent_path().filename().string().rfind("menvaro-tag-", 0), 0u);
        EXPECT_EQ(Read(a.Write("f.txt", "数据")), "数据");
        fs::create_directories(a.path() + "x/y");
        a.Write("x/y/z");
        fs::permissions(a.path() + "x/y/z", fs::perms::none);
    }
    EXPECT_FALSE(fs::exists(kept));
}

TEST(TempDir, AFileThatCannotBeWrittenIsAnError) {
    TempDir dir;
    EXPECT_THROW(dir.Write("no/such/folder"), std::runtime_error);
}

TEST(CopyProgram, CopiesTheBytesAndThePermissions) {
    TempDir from, to;
    const std::string program = from.Write("tool", "#!/bin/sh\nexit 0\n");
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read);
    EXPECT_EQ(CopyProgram(program, to.path()), to.path() + "tool");
    EXPECT_EQ(Read(to.path() + "tool"), Read(program));
    EXPECT_EQ(fs::status(to.path() + "tool").permissions(), fs::perms::owner_all | fs::perms::group_read);
    EXPECT_EQ(CopyProgram(program, to.path(), "other"), to.path() + "other");
    EXPECT_TRUE(fs::exists(to.path() + "other"));
}

// The runner starts the copy, with the files asked for beside it, passes the
// arguments on, answers the program's status and leaves nothing behind.
TEST(RunCopy, RunsTheProgramFromATemporaryCopyWithItsFilesBesideIt) {
    TempDir dir;
    const std::string program = dir.Write("where",
                                          "#!/bin/sh\n"
                                          "here=$(dirname \"$0\")\n"
                                          "echo \"$here\" > \"$1\"\n"
                                          "cat \"$here/beside.txt\" >> \"$1\"\n"
                                          "exit 3\n");
    fs::permissions(program, fs::perms::owner_all);
    const std::string beside = dir.Write("beside.txt", "found\n");
    const std::string out = dir.path() + "out.txt";
    const int raw = std::system(
        (std::string(MENVARO_RUN_COPY) + " --with '" + beside + "' '" + program + "' '" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 3);
    const std::string text = Read(out);
    const std::string ran = text.substr(0, text.find('\n'));
    EXPECT_NE(ran + "/", dir.path());
    EXPECT_EQ(text.substr(text.find('\n') + 1), "found\n");
    EXPECT_FALSE(fs::exists(ran));
    // Without a program it says how it is used.
    const int usage = std::system((std::string(MENVARO_RUN_COPY) + " 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(usage), 2);
}

TEST(ErrorMessage, AnswersTheMessageOfTheErrorRaised) {
    EXPECT_EQ(ErrorMessage<std::invalid_argument>([] { throw std::invalid_argument("bad value"); }), "bad value");
    // A base class catches what derives from it.
    EXPECT_EQ(ErrorMessage<std::logic_error>([] { throw std::invalid_argument("derived"); }), "derived");
}

TEST(ErrorMessage, NothingRaisedOrAnotherKindFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(ErrorMessage<std::runtime_error>([] {}), "but nothing was raised");
    EXPECT_NONFATAL_FAILURE(ErrorMessage<std::runtime_error>([] { throw std::logic_error("wrong kind"); }),
                            "std::logic_error was raised: wrong kind");
}

}  // namespace
}  // namespace menvaro::test
