// One open hidraw interface: report reads and writes with time-outs, and a
// cancel that ends every wait on the handle at once.
//
// hidraw hands out an unnumbered input report as its data bytes alone; the
// device prefixes report number 0 so that callers always see the report
// number in byte 0, numbered or not. Output reports go out as given: byte 0
// is the report number (0 for unnumbered devices), the data follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "hid/UniqueFd.h"

namespace menvaro {

enum class HidIoStatus {
    Ok,         // a report was read or written
    TimedOut,   // nothing happened within the time-out; nothing was written
    Cancelled,  // Cancel() was called on this handle
    Lost,       // the device is gone (unplugged, peer closed)
    Failed,     // any other failure; Error holds the errno value
};

struct HidIoResult {
    HidIoStatus Status = HidIoStatus::Failed;
    std::size_t Length = 0;  // bytes of the report, report number included
    int Error = 0;
};

class HidDevice {
public:
    // Takes the non-blocking descriptor `fd`. `classDir` is the interface's
    // sysfs folder ("" when unknown); `numberedReports` tells whether the
    // device's input reports carry their report number themselves.
    // Raises EOSError when the cancel event cannot be made.
    HidDevice(UniqueFd fd, std::string classDir, bool numberedReports);
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    int Handle() const noexcept { return fd_.Get(); }
    const std::string& ClassDir() const noexcept { return classDir_; }

    // Waits up to `timeoutMs` (< 0: without limit) for one input report and
    // reads it into `report`: byte 0 is the report number. A report longer
    // than the buffer is cut to its size, so a buffer one byte longer than
    // the expected report shows an oversized one. Needs at least 2 bytes.
    HidIoResult Read(std::span<std::uint8_t> report, int timeoutMs) noexcept;

    // Writes one output report whole, waiting up to `timeoutMs` while the
    // device cannot take it. On time-out nothing of the report was written.
    HidIoResult Write(std::span<const std::uint8_t> report, int timeoutMs) noexcept;

    // Ends the current and every later wait on this handle with Cancelled.
    // Safe from any thread while others read or write.
    void Cancel() noexcept;

private:
    UniqueFd fd_;
    UniqueFd cancel_;
    std::string classDir_;
    bool numbered_;
    bool socket_;  // the test device is a socket: writes must not raise SIGPIPE
};

}  // namespace menvaro
