// A folder laid out as sysfs lays out USB hidraw interfaces, with a device
// node for each that a test can plug in (a listening socket), accept the
// library's connections on, and pull out again. Removed with its object.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "hid/UniqueFd.h"
#include "hid/fake/FakeHid.h"

namespace menvaro {

// Ways an interface's sysfs entry can be broken or unusual.
enum FakeHidFlags : unsigned {
    FakeHidNoDeviceName = FAKE_HID_NO_DEVICE_NAME,  // uevent without DEVNAME
    FakeHidBadVersion = FAKE_HID_BAD_VERSION,       // bcdDevice that is no number
    FakeHidNumbered = FAKE_HID_NUMBERED,            // descriptor with a Report ID item
    FakeHidNotUsb = FAKE_HID_NOT_USB,               // no USB device above the HID device
};

struct FakeHidInterface {
    std::string Name;  // "hidraw0"
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
    unsigned Flags = 0;
};

class FakeHidTree {
public:
    // Creates the tree in a new folder below $TMPDIR (or /tmp).
    // Raises EOSError when it cannot.
    FakeHidTree();
    ~FakeHidTree();
    FakeHidTree(const FakeHidTree&) = delete;
    FakeHidTree& operator=(const FakeHidTree&) = delete;

    const std::string& SysRoot() const noexcept { return sysRoot_; }
    const std::string& DevRoot() const noexcept { return devRoot_; }

    // Adds the interface's sysfs entries; its node is not plugged in yet.
    void Add(const FakeHidInterface& interface);
    // Removes the device classes, so that the interface list cannot be had.
    void RemoveClasses();

    // Makes the node accept opens; Unplug refuses later ones (connections
    // already accepted stay with their owner).
    void Plug(const std::string& name);
    void Unplug(const std::string& name);
    // The device's end of the next open of `name`, waiting up to timeoutMs;
    // invalid when none came.
    UniqueFd Accept(const std::string& name, int timeoutMs);

private:
    std::string base_;
    std::string sysRoot_;
    std::string devRoot_;
    std::map<std::string, UniqueFd> listeners_;
    unsigned count_ = 0;
};

}  // namespace menvaro
