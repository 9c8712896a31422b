// The library's process-wide state, shared by the caller's threads and the
// reader thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "hid/HidDevice.h"
#include "usb_device/Locked.h"

namespace menvaro::quellin {

struct DeviceState {
    // The open device (empty: none). Whoever takes it out cancels it; the
    // descriptor closes when the last thread using it lets go, so no read
    // or write is ever pending on a closed or reused descriptor.
    Locked<std::shared_ptr<HidDevice>> Handle;
    // The device-interface path of the matched device.
    Locked<std::string> SavedPath;
    // The device handle is usable (g_bOpened).
    std::atomic<bool> Opened{false};
    // A matching device has been found and its path saved (g_bFound).
    std::atomic<bool> Found{false};
    // Byte offset in the caller's ring of the next record (g_nRecPos); the
    // reader publishes it with release order after the record is complete.
    std::atomic<int> RecPos{0};
};

DeviceState& State();

}  // namespace menvaro::quellin
