// An advisory lock (flock) on a lock file, held for the object's lifetime.
//
// Several programs share folders and settings; each takes the lock for as
// long as it works on them. A holder that hangs must not hang the others:
// Lock waits a bounded time and then reports the lock as busy.
#pragma once

#include <chrono>
#include <string>

namespace menvaro {

// How long a program waits for a lock another program holds.
inline constexpr std::chrono::milliseconds kLockWait{3000};

class TFileLock {
public:
    TFileLock() = default;
    ~TFileLock() { Unlock(); }
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // Opens `path`, creating it when missing; a file it can only read serves
    // as well (one another user made, say). False, with errno set, when the
    // file cannot be opened.
    bool Open(const std::string& path, bool exclusive);
    // Takes the lock, waiting at most `wait` while another holder has it:
    // false when it is still held then. Raises EInOutError when locking
    // fails otherwise.
    bool Lock(std::chrono::milliseconds wait = kLockWait);
    bool Locked() const { return locked_; }
    // Lets go of the lock and closes the file.
    void Unlock();

private:
    std::string path_;
    int fd_ = -1;
    bool exclusive_ = false;
    bool locked_ = false;
};

}  // namespace menvaro
