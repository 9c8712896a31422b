#include "hid/HidSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <mutex>

#include "base/Exceptions.h"

namespace menvaro {

namespace fs = std::filesystem;

HidSystem::HidSystem(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

HidSystem::~HidSystem() = default;

bool HidSystem::ListInterfaces(std::vector<std::string>& interfaces) const {
    return ListHidrawInterfaces(sysRoot_, interfaces);
}

bool HidSystem::InterfacePath(const std::string& interface, std::string& devicePath) const {
    std::string name;
    if (!ReadHidrawDeviceName(interface, name)) return false;
    devicePath = (fs::path(devRoot_) / name).string();
    return true;
}

std::shared_ptr<HidDevice> HidSystem::Open(const std::string& devicePath) const {
    try {
        UniqueFd fd = OpenNode(devicePath);
        if (!fd.Valid()) return nullptr;
        std::string classDir = NodeClassDir(fd.Get(), devicePath);
        std::vector<std::uint8_t> descriptor;
        const bool numbered = !classDir.empty() && ReadHidReportDescriptor(classDir, descriptor) &&
                              ReportsAreNumbered(descriptor);
        return std::make_shared<HidDevice>(std::move(fd), std::move(classDir), numbered);
    } catch (const std::exception&) {
        return nullptr;  // no cancel event, no memory: the device cannot be used
    }
}

bool HidSystem::GetAttributes(const HidDevice& device, HidAttributes& attributes) const {
    return !device.ClassDir().empty() && ReadHidAttributes(sysRoot_, device.ClassDir(), attributes);
}

UniqueFd HidSystem::OpenNode(const std::string& devicePath) const {
    return UniqueFd(::open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

std::string HidSystem::NodeClassDir(int fd, const std::string&) const {
    // Found by the node's device number, so the attributes are those of the
    // device actually opened, not of whatever now has its name.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return {};
    const fs::path dir = fs::path(sysRoot_) / "dev" / "char" /
                         (std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)));
    std::error_code ec;
    return fs::is_directory(dir, ec) ? dir.string() : std::string();
}

namespace {

std::mutex gSystemLock;
std::shared_ptr<const HidSystem> gTestSystem;

}  // namespace

std::shared_ptr<const HidSystem> CurrentHidSystem() {
    static const std::shared_ptr<const HidSystem> machine = std::make_shared<HidSystem>("/sys", "/dev");
    const std::lock_guard<std::mutex> lock(gSystemLock);
    return gTestSystem ? gTestSystem : machine;
}

void UseHidSystemForTests(std::shared_ptr<const HidSystem> system) {
    const std::lock_guard<std::mutex> lock(gSystemLock);
    gTestSystem = std::move(system);
}

}  // namespace menvaro
