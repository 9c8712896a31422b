// The HID system of the tests: the real sysfs parsing on a folder tree that
// stands for sysfs, and device nodes that are listening local sockets. Each
// open connects a sequenced-packet socket pair to the test, which keeps
// report boundaries as hidraw does; the test is the device.
#pragma once

#include "hid/HidSystem.h"

namespace menvaro {

class FakeHidSystem : public HidSystem {
public:
    using HidSystem::HidSystem;

protected:
    UniqueFd OpenNode(const std::string& devicePath) const override;
    std::string NodeClassDir(int fd, const std::string& devicePath) const override;
};

}  // namespace menvaro
