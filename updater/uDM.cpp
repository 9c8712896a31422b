#include "uDM.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <vector>

namespace pelgrane {

namespace {

bool IsLoopback(const in_addr& a) { return (ntohl(a.s_addr) >> 24) == 127; }

std::string Dotted(const in_addr& a) {
    char buf[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &a, buf, sizeof buf) ? std::string(buf) : std::string();
}

std::vector<in_addr> HostAddresses() {
    std::vector<in_addr> found;
    char host[64] = {};
    if (gethostname(host, sizeof host - 1) != 0) return found;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0) return found;
    for (addrinfo* p = list; p; p = p->ai_next)
        found.push_back(reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr);
    freeaddrinfo(list);
    return found;
}

std::vector<in_addr> InterfaceAddresses() {
    std::vector<in_addr> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (!p->ifa_addr || p->ifa_addr->sa_family != AF_INET || !(p->ifa_flags & IFF_UP)) continue;
        const in_addr a = reinterpret_cast<sockaddr_in*>(p->ifa_addr)->sin_addr;
        if (!IsLoopback(a)) found.push_back(a);
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

void GetLocalIPAddress(std::string& Address) {
    Address.clear();
    std::vector<in_addr> addresses = HostAddresses();
    bool onlyLoopback = true;
    for (const in_addr& a : addresses) onlyLoopback = onlyLoopback && IsLoopback(a);
    // Many Linux machines resolve their own name to 127.0.1.1: a handheld
    // cannot reach that.
    if (onlyLoopback) addresses = InterfaceAddresses();
    for (const in_addr& a : addresses) Address = Dotted(a);
}

}  // namespace pelgrane
