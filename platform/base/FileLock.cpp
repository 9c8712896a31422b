#include "base/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "base/Exceptions.h"

namespace menvaro {

bool TFileLock::Open(const std::string& path, bool exclusive) {
    Unlock();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        // A lock file this program may only read still serves: flock needs
        // no more. Otherwise the reason it could not be made is told.
        const int err = errno;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) errno = err;
    }
    if (fd_ < 0) return false;
    path_ = path;
    exclusive_ = exclusive;
    return true;
}

bool TFileLock::Lock(std::chrono::milliseconds wait) {
    if (fd_ < 0) throw EInOutError("The lock file is not open");
    if (locked_) return true;
    // flock cannot wait a bounded time: try, and try again in short steps.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd_, (exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
            locked_ = true;
            return true;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) throw EInOutError("Cannot lock \"" + path_ + "\": " + SysErrorMessage(errno));
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TFileLock::Unlock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
    fd_ = -1;
    locked_ = false;
}

}  // namespace menvaro
