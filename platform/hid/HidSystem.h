// Finding and opening the machine's HID interfaces: the stand-in of the
// device-interface list, interface paths, opening a device path and reading
// the attributes of an open device.
//
// The system in use is the machine's own (sysfs at /sys, nodes in /dev)
// unless a test installs another; nothing a user sets at run time chooses it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hid/HidDevice.h"
#include "hid/HidSysfs.h"

namespace menvaro {

class HidSystem {
public:
    HidSystem(std::string sysRoot, std::string devRoot);
    virtual ~HidSystem();
    HidSystem(const HidSystem&) = delete;
    HidSystem& operator=(const HidSystem&) = delete;

    const std::string& SysRoot() const noexcept { return sysRoot_; }
    const std::string& DevRoot() const noexcept { return devRoot_; }

    // The present interfaces (their sysfs folders), in order. False when the
    // list cannot be obtained.
    bool ListInterfaces(std::vector<std::string>& interfaces) const;
    // The device path of a listed interface. False when it cannot be read.
    bool InterfacePath(const std::string& interface, std::string& devicePath) const;
    // Opens a device path for non-blocking reading and writing; nullptr when
    // it cannot be opened.
    std::shared_ptr<HidDevice> Open(const std::string& devicePath) const;
    // Vendor, product and version of an open device. False when unreadable.
    bool GetAttributes(const HidDevice& device, HidAttributes& attributes) const;

protected:
    // The descriptor of an opened node, or an invalid one.
    virtual UniqueFd OpenNode(const std::string& devicePath) const;
    // The sysfs folder of the interface behind an opened node ("" if unknown).
    virtual std::string NodeClassDir(int fd, const std::string& devicePath) const;

private:
    std::string sysRoot_;
    std::string devRoot_;
};

// The system the library works with.
std::shared_ptr<const HidSystem> CurrentHidSystem();

// For tests only: makes `system` the one in use (nullptr: the machine's own).
void UseHidSystemForTests(std::shared_ptr<const HidSystem> system);

}  // namespace menvaro
