#include "hid/HidSysfs.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/Strings.h"

namespace menvaro {

namespace fs = std::filesystem;

namespace {

bool ReadText(const fs::path& path, std::string& text) {
    try {
        text = ReadFileBytes(path.string());
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// The value of "KEY=value" in a uevent text.
bool UeventValue(const std::string& uevent, std::string_view key, std::string& value) {
    for (const std::string& line : SplitString(uevent, '\n')) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=') {
            value = line.substr(key.size() + 1);
            return true;
        }
    }
    return false;
}

// A hexadecimal number of 1 to 8 digits, nothing else.
bool ParseHex(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseHex16(std::string_view text, std::uint16_t& value) {
    std::uint32_t v = 0;
    if (!ParseHex(text, v) || v > 0xFFFF) return false;
    value = static_cast<std::uint16_t>(v);
    return true;
}

// Number at the end of an interface name; names without one sort last.
unsigned long long TrailingNumber(const std::string& name) {
    std::size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') --i;
    if (i == name.size() || name.size() - i > 18) return ~0ULL;
    return std::stoull(name.substr(i));
}

bool IsBelow(const fs::path& path, const fs::path& root) {
    const std::string p = path.string();
    const std::string r = root.string();
    return p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '/';
}

// The USB device's release number: the nearest ancestor of the HID device
// that has bcdDevice, within the tree; 0 when none has.
bool ReadUsbVersion(const fs::path& root, const fs::path& hidDir, std::uint16_t& version) {
    std::error_code ec;
    for (fs::path dir = hidDir.parent_path(); IsBelow(dir, root); dir = dir.parent_path()) {
        const fs::path file = dir / "bcdDevice";
        if (!fs::exists(file, ec)) continue;
        std::string text;
        return ReadText(file, text) && ParseHex16(Trim(text), version);
    }
    version = 0;
    return true;
}

}  // namespace

bool ListHidrawInterfaces(const std::string& sysRoot, std::vector<std::string>& classDirs) {
    classDirs.clear();
    std::error_code ec;
    const fs::path classes = fs::path(sysRoot) / "class";
    if (!fs::is_directory(classes, ec)) return false;
    const fs::path hidraw = classes / "hidraw";
    if (!fs::exists(hidraw, ec)) return true;  // the hidraw driver is not loaded: no interfaces
    std::vector<std::string> names;
    for (fs::directory_iterator it(hidraw, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    if (ec) return false;
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto na = TrailingNumber(a), nb = TrailingNumber(b);
        return na != nb ? na < nb : a < b;
    });
    for (const std::string& name : names) classDirs.push_back((hidraw / name).string());
    return true;
}

bool ReadHidrawDeviceName(const std::string& classDir, std::string& deviceName) {
    std::string uevent, name;
    if (!ReadText(fs::path(classDir) / "uevent", uevent) || !UeventValue(uevent, "DEVNAME", name)) return false;
    const fs::path rel(name);
    if (name.empty() || rel.is_absolute()) return false;
    for (const fs::path& part : rel) {
        if (part == "..") return false;
    }
    deviceName = name;
    return true;
}

bool ReadHidAttributes(const std::string& sysRoot, const std::string& classDir, HidAttributes& attributes) {
    std::error_code ec;
    const fs::path root = fs::canonical(sysRoot, ec);
    if (ec) return false;
    const fs::path hidDir = fs::canonical(fs::path(classDir) / "device", ec);
    if (ec) return false;
    std::string uevent, id;
    if (!ReadText(hidDir / "uevent", uevent) || !UeventValue(uevent, "HID_ID", id)) return false;
    const std::vector<std::string> parts = SplitString(id, ':');  // bus:vendor:product
    HidAttributes a;
    std::uint32_t bus = 0;
    if (parts.size() != 3 || !ParseHex(parts[0], bus) || !ParseHex16(parts[1], a.VendorID) ||
        !ParseHex16(parts[2], a.ProductID)) {
        return false;
    }
    // Only a USB device has a release number; a device on another bus may
    // still sit below one (a Bluetooth adapter on USB).
    constexpr std::uint32_t kBusUsb = 0x0003;
    if (bus == kBusUsb && !ReadUsbVersion(root, hidDir, a.VersionNumber)) return false;
    attributes = a;
    return true;
}

bool ReadHidReportDescriptor(const std::string& classDir, std::vector<std::uint8_t>& descriptor) {
    std::string bytes;
    if (!ReadText(fs::path(classDir) / "device" / "report_descriptor", bytes)) return false;
    descriptor.assign(bytes.begin(), bytes.end());
    return true;
}

bool ReportsAreNumbered(std::span<const std::uint8_t> descriptor) {
    constexpr std::uint8_t kLongItem = 0xFE;
    constexpr std::uint8_t kReportIdTag = 0x84;  // global item 8, size bits masked
    std::size_t i = 0;
    while (i < descriptor.size()) {
        const std::uint8_t prefix = descriptor[i];
        if (prefix == kLongItem) {
            if (i + 1 >= descriptor.size()) break;
            i += 3 + descriptor[i + 1];
            continue;
        }
        if ((prefix & 0xFC) == kReportIdTag) return true;
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        i += 1 + size;
    }
    return false;
}

}  // namespace menvaro
