#include "hid/fake/FakeHidTree.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/Exceptions.h"
#include "base/Files.h"

namespace menvaro {

namespace fs = std::filesystem;

namespace {

std::string Hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

std::string LowerHex4(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", value);
    return buf;
}

void WriteText(const fs::path& path, const std::string& text) {
    WriteFileAtomic(path.string(), text);
}

void Link(const fs::path& target, const fs::path& link) {
    fs::create_directories(link.parent_path());
    fs::create_symlink(fs::relative(target, link.parent_path()), link);
}

// An 8-byte vendor-defined input and output report, as the keypad has.
std::string Descriptor(bool numbered) {
    std::vector<std::uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    if (numbered) d.insert(d.end(), {0x85, 0x01});
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08,
                       0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0});
    return std::string(d.begin(), d.end());
}

sockaddr_un NodeAddress(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) throw EInvalidArgument("Device node path too long: " + path);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return addr;
}

}  // namespace

FakeHidTree::FakeHidTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fakehid.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) RaiseLastOSError("Cannot create the fake sysfs folder");
    base_ = buf.data();
    sysRoot_ = base_ + "/sys";
    devRoot_ = base_ + "/dev";
    fs::create_directories(fs::path(sysRoot_) / "class" / "hidraw");
    fs::create_directories(fs::path(sysRoot_) / "dev" / "char");
    fs::create_directories(devRoot_);
}

FakeHidTree::~FakeHidTree() {
    listeners_.clear();
    std::error_code ec;
    fs::remove_all(base_, ec);
}

void FakeHidTree::Add(const FakeHidInterface& interface) {
    const unsigned n = ++count_;
    const fs::path sys(sysRoot_);
    const std::string hidName = std::string(interface.Flags & FakeHidNotUsb ? "0006" : "0003") + ":" +
                                Hex(interface.VendorID, 4) + ":" + Hex(interface.ProductID, 4) + "." + Hex(n, 4);
    fs::path hidDir;
    if (interface.Flags & FakeHidNotUsb) {
        hidDir = sys / "devices" / "virtual" / "misc" / "uhid" / hidName;
    } else {
        const fs::path usbDir = sys / "devices" / "pci0000:00" / "usb1" / ("1-" + std::to_string(n));
        hidDir = usbDir / ("1-" + std::to_string(n) + ":1.0") / hidName;
        fs::create_directories(hidDir);
        WriteText(usbDir / "idVendor", LowerHex4(interface.VendorID) + "\n");
        WriteText(usbDir / "idProduct", LowerHex4(interface.ProductID) + "\n");
        WriteText(usbDir / "bcdDevice",
                  (interface.Flags & FakeHidBadVersion ? std::string("1.2") : LowerHex4(interface.VersionNumber)) + "\n");
        WriteText(hidDir.parent_path() / "bInterfaceNumber", "00\n");
    }
    fs::create_directories(hidDir);
    WriteText(hidDir / "uevent", "DRIVER=hid-generic\nHID_ID=" + std::string(interface.Flags & FakeHidNotUsb ? "0006" : "0003") +
                                     ":0000" + Hex(interface.VendorID, 4) + ":0000" + Hex(interface.ProductID, 4) +
                                     "\nHID_NAME=Test keypad\nHID_UNIQ=\n");
    WriteText(hidDir / "report_descriptor", Descriptor(interface.Flags & FakeHidNumbered));

    const std::string devNumber = "240:" + std::to_string(n);
    const fs::path classDev = hidDir / "hidraw" / interface.Name;
    fs::create_directories(classDev);
    WriteText(classDev / "dev", devNumber + "\n");
    WriteText(classDev / "uevent", "MAJOR=240\nMINOR=" + std::to_string(n) + "\n" +
                                       (interface.Flags & FakeHidNoDeviceName ? "" : "DEVNAME=" + interface.Name + "\n"));
    Link(hidDir, classDev / "device");
    Link(classDev, sys / "class" / "hidraw" / interface.Name);
    Link(classDev, sys / "dev" / "char" / devNumber);
}

void FakeHidTree::RemoveClasses() {
    fs::remove_all(fs::path(sysRoot_) / "class");
}

void FakeHidTree::Plug(const std::string& name) {
    const std::string path = (fs::path(devRoot_) / name).string();
    const sockaddr_un addr = NodeAddress(path);
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) RaiseLastOSError("Cannot create a fake device node");
    ::unlink(path.c_str());
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd.Get(), 16) != 0) {
        RaiseLastOSError("Cannot plug in fake device " + path);
    }
    listeners_[name] = std::move(fd);
}

void FakeHidTree::Unplug(const std::string& name) {
    listeners_.erase(name);
    ::unlink((fs::path(devRoot_) / name).c_str());
}

UniqueFd FakeHidTree::Accept(const std::string& name, int timeoutMs) {
    const auto it = listeners_.find(name);
    if (it == listeners_.end()) return UniqueFd();
    pollfd p{it->second.Get(), POLLIN, 0};
    int n;
    do {
        n = ::poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return UniqueFd();
    return UniqueFd(::accept4(it->second.Get(), nullptr, nullptr, SOCK_CLOEXEC));
}

}  // namespace menvaro
