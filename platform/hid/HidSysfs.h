// The machine's hidraw interfaces as sysfs shows them, read from a sysfs
// tree at `sysRoot` ("/sys" on a real machine, a folder in tests):
//
//   class/hidraw/hidrawN            the interface (a link into devices/)
//   class/hidraw/hidrawN/uevent     DEVNAME=hidrawN: its node below /dev
//   class/hidraw/hidrawN/device     the HID device: uevent with
//                                   HID_ID=<bus>:<vendor>:<product>, report_descriptor
//   an ancestor with bcdDevice      the USB device: its release number
//   dev/char/<major>:<minor>        the interface of a character device number
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace menvaro {

// Vendor, product and version of a HID device.
struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// The folders of the present hidraw interfaces, in the order of their
// numbers (hidraw2 before hidraw10). False when the tree has no device
// classes at all; a machine without hidraw interfaces gives an empty list.
bool ListHidrawInterfaces(const std::string& sysRoot, std::vector<std::string>& classDirs);

// The interface's node name below /dev ("hidraw3"). False when it cannot be
// read or is not a plain relative name.
bool ReadHidrawDeviceName(const std::string& classDir, std::string& deviceName);

// The interface's vendor and product (from HID_ID) and version (the USB
// device's bcdDevice; 0 for a device on another bus). False when a value
// cannot be read or is malformed.
bool ReadHidAttributes(const std::string& sysRoot, const std::string& classDir, HidAttributes& attributes);

// The HID report descriptor of the interface's device. False when unreadable.
bool ReadHidReportDescriptor(const std::string& classDir, std::vector<std::uint8_t>& descriptor);

// True when the descriptor declares report numbers (a Report ID item).
bool ReportsAreNumbered(std::span<const std::uint8_t> descriptor);

}  // namespace menvaro
