#include "hid/HidDevice.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/Exceptions.h"

namespace menvaro {

namespace {

using Clock = std::chrono::steady_clock;

// Time left of a wait, for poll(); restarts after EINTR keep the whole limit.
class Deadline {
public:
    explicit Deadline(int timeoutMs)
        : unlimited_(timeoutMs < 0), end_(Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs)) {}
    int RemainingMs() const {
        if (unlimited_) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }

private:
    bool unlimited_;
    Clock::time_point end_;
};

// Errors with which hidraw and the test socket say that the device is gone.
bool IsGone(int err) {
    switch (err) {
    case ENODEV: case EIO: case ENXIO: case EPIPE: case ECONNRESET: case ENOTCONN: case ESHUTDOWN:
        return true;
    default:
        return false;
    }
}

HidIoResult Outcome(HidIoStatus status, std::size_t length = 0, int err = 0) {
    return HidIoResult{status, length, err};
}

HidIoResult ErrorOutcome(int err) {
    return Outcome(IsGone(err) ? HidIoStatus::Lost : HidIoStatus::Failed, 0, err);
}

// Waits for `events` on fd or for the cancel event. Cancelled wins over
// readiness, so a cancelled handle never delivers another report.
HidIoStatus Wait(int fd, short events, int cancelFd, const Deadline& deadline, int& err) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, deadline.RemainingMs());
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return HidIoStatus::Failed;
        }
        if (fds[1].revents != 0) return HidIoStatus::Cancelled;
        if (n == 0) return HidIoStatus::TimedOut;
        if (fds[0].revents & POLLNVAL) {
            err = EBADF;
            return HidIoStatus::Failed;
        }
        return HidIoStatus::Ok;  // ready, or hung up: the read or write says which
    }
}

bool IsSocket(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

HidDevice::HidDevice(UniqueFd fd, std::string classDir, bool numberedReports)
    : fd_(std::move(fd)),
      cancel_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      classDir_(std::move(classDir)),
      numbered_(numberedReports),
      socket_(IsSocket(fd_.Get())) {
    if (!cancel_.Valid()) RaiseLastOSError("Cannot create the cancel event of a HID device");
}

HidIoResult HidDevice::Read(std::span<std::uint8_t> report, int timeoutMs) noexcept {
    if (report.size() < 2) return Outcome(HidIoStatus::Failed, 0, EINVAL);
    const Deadline deadline(timeoutMs);
    // Unnumbered reports arrive without their number: leave byte 0 for it.
    std::uint8_t* dest = numbered_ ? report.data() : report.data() + 1;
    const std::size_t room = numbered_ ? report.size() : report.size() - 1;
    for (;;) {
        int err = 0;
        const HidIoStatus waited = Wait(fd_.Get(), POLLIN, cancel_.Get(), deadline, err);
        if (waited != HidIoStatus::Ok) return Outcome(waited, 0, err);
        const ssize_t n = ::read(fd_.Get(), dest, room);
        if (n > 0) {
            if (!numbered_) report[0] = 0;
            return Outcome(HidIoStatus::Ok, static_cast<std::size_t>(n) + (numbered_ ? 0 : 1));
        }
        if (n == 0) return Outcome(HidIoStatus::Lost, 0, ENODEV);  // peer hung up
        if (errno == EAGAIN || errno == EINTR) continue;           // woken without a report
        return ErrorOutcome(errno);
    }
}

HidIoResult HidDevice::Write(std::span<const std::uint8_t> report, int timeoutMs) noexcept {
    if (report.empty()) return Outcome(HidIoStatus::Failed, 0, EINVAL);
    const Deadline deadline(timeoutMs);
    for (;;) {
        const ssize_t n = socket_ ? ::send(fd_.Get(), report.data(), report.size(), MSG_NOSIGNAL)
                                  : ::write(fd_.Get(), report.data(), report.size());
        if (n == static_cast<ssize_t>(report.size())) return Outcome(HidIoStatus::Ok, report.size());
        if (n >= 0) return Outcome(HidIoStatus::Failed, static_cast<std::size_t>(n), EIO);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return ErrorOutcome(errno);
        // Nothing went out; wait until the device takes a report again.
        int err = 0;
        const HidIoStatus waited = Wait(fd_.Get(), POLLOUT, cancel_.Get(), deadline, err);
        if (waited != HidIoStatus::Ok) return Outcome(waited, 0, err);
    }
}

void HidDevice::Cancel() noexcept {
    // The event is never drained: once cancelled, a handle stays cancelled.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(cancel_.Get(), &one, sizeof one);
}

}  // namespace menvaro
