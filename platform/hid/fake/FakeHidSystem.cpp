#include "hid/fake/FakeHidSystem.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace menvaro {

UniqueFd FakeHidSystem::OpenNode(const std::string& devicePath) const {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (devicePath.size() >= sizeof addr.sun_path) {
        errno = ENAMETOOLONG;
        return UniqueFd();
    }
    std::memcpy(addr.sun_path, devicePath.c_str(), devicePath.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.Valid()) return fd;
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return UniqueFd();
    return fd;
}

std::string FakeHidSystem::NodeClassDir(int, const std::string& devicePath) const {
    // Sockets have no device number: the node's name leads to its interface.
    return (std::filesystem::path(SysRoot()) / "class" / "hidraw" /
            std::filesystem::path(devicePath).filename())
        .string();
}

}  // namespace menvaro
