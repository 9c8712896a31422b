// The causes a failure carries, for the caller's own words: a full disk, a
// file this user may not touch, a database another program holds. Damaged
// and foreign backups are in the restore's tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using dbadmin::TDbAdminFailure;
using dbadmin::TDbAdminFile;
using test::Connection;

namespace {

// Runs `call` in a child process after `prepare` (which answers false when
// the machine cannot do what the case needs); answers the failure's cause
// and file as 10 * cause + file, -1 for no failure, 77 when the case cannot
// be made here.
int CauseInChild(const std::function<bool()>& prepare, const std::function<void()>& call) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!prepare()) ::_exit(77);
        try {
            call();
        } catch (const EDbAdminError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ::_exit(10 * static_cast<int>(e.Failure()) + static_cast<int>(e.File()));
        }
        ::_exit(99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return -2;
    return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

int Cause(TDbAdminFailure failure, TDbAdminFile file) { return 10 * static_cast<int>(failure) + static_cast<int>(file); }

// As root every file may be written: the case runs as another user.
bool BecomeAnotherUser() { return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0); }

bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// A file system of `bytes` over `folder`, seen by this process only.
bool SmallDiskOver(const std::string& folder, int bytes) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return false;
    } else if (::unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    // Nothing of it reaches the other processes' view.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    return ::mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + std::to_string(bytes)).c_str()) == 0;
}

}  // namespace

TEST(FailureCauses, ErrnoValues) {
    struct Case {
        int err;
        TDbAdminFailure failure;
    } cases[] = {{ENOSPC, TDbAdminFailure::NoSpace}, {EDQUOT, TDbAdminFailure::NoSpace},
                 {EACCES, TDbAdminFailure::NoPermission}, {EPERM, TDbAdminFailure::NoPermission},
                 {EIO, TDbAdminFailure::Other},          {EROFS, TDbAdminFailure::Other},
                 {EFBIG, TDbAdminFailure::Other},        {0, TDbAdminFailure::Other}};
    for (const Case& c : cases) EXPECT_EQ(dbadmin::FailureOfErrno(c.err), c.failure) << c.err;
}

TEST(FailureCauses, AFullDiskIsNoSpace) {
    test::SqliteServer s;
    test::Objects tool(s.Folder());
    ASSERT_GT(FileSize(s.Catalog()), 16 * 1024);
    const int cause = CauseInChild([&] { return SmallDiskOver(s.Backups(), 16 * 1024); },
                                   [&] { tool.BackupTo(s.Backups() + "database20240510"); });
    if (cause == 77) GTEST_SKIP() << "no file system of its own can be mounted here";
    EXPECT_EQ(cause, Cause(TDbAdminFailure::NoSpace, TDbAdminFile::BackupFile));
    // The small disk was the child's alone.
    EXPECT_EQ(test::Listing(s.Backups()), "");
}

TEST(FailureCauses, FilesThisUserMayNotWriteAreNoPermission) {
    test::SqliteServer s;
    const std::string top = ExtractFileDir(ExcludeTrailingPathDelimiter(s.Folder()));
    for (const std::string& path : {top, s.Folder(), s.Backups()}) ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(s.Catalog().c_str(), 0644), 0);
    const std::string file = s.Backups() + "database20240510";
    test::Objects(s.Folder()).BackupTo(file);
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(s.Backups().c_str(), 0555), 0);
        ASSERT_EQ(::chmod(s.Catalog().c_str(), 0444), 0);
    }
    // The backup folder, then the catalog, may not be written.
    EXPECT_EQ(CauseInChild(BecomeAnotherUser, [&] { test::Objects(s.Folder()).BackupTo(file); }),
              Cause(TDbAdminFailure::NoPermission, TDbAdminFile::BackupFile));
    EXPECT_EQ(CauseInChild(BecomeAnotherUser, [&] { test::Objects(s.Folder()).RestoreFrom(file); }),
              Cause(TDbAdminFailure::NoPermission, TDbAdminFile::Database));
    ::chmod(s.Backups().c_str(), 0755);
}

TEST(FailureCauses, ADatabaseAnotherProgramHoldsIsInUse) {
    test::SqliteServer s;
    test::Objects tool(s.Folder(), 50);
    const std::string file = s.Backups() + "database20240510";
    tool.BackupTo(file);
    Connection other(s.Catalog());
    ASSERT_TRUE(other.Exec("begin exclusive"));
    for (const auto& call : {std::function<void()>([&] { tool.BackupTo(s.Backups() + "database20240511"); }),
                             std::function<void()>([&] { tool.RestoreFrom(file); })}) {
        const EDbAdminError e = test::AdminError(call);
        EXPECT_EQ(e.Failure(), TDbAdminFailure::InUse) << e.Message();
        EXPECT_EQ(e.File(), TDbAdminFile::Database) << e.Message();
    }
    ASSERT_TRUE(other.Exec("rollback"));
}
