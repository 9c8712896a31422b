#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

#include "uDM.h"

using namespace pelgrane;

namespace {
bool HasNonLoopbackInterface() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* p = list; p; p = p->ifa_next)
        if (p->ifa_addr && p->ifa_addr->sa_family == AF_INET && (p->ifa_flags & IFF_UP) &&
            (ntohl(reinterpret_cast<sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr) >> 24) != 127)
            found = true;
    freeifaddrs(list);
    return found;
}
}  // namespace

TEST(LocalAddress, IsADottedAddressTheHandheldCanReach) {
    std::string address = "stale";
    GetLocalIPAddress(address);
    if (!HasNonLoopbackInterface()) {
        // Only loopback here: the handheld could not reach any of it.
        EXPECT_TRUE(address.empty() || address.rfind("127.", 0) != 0) << address;
        return;
    }
    in_addr a;
    ASSERT_EQ(inet_pton(AF_INET, address.c_str(), &a), 1) << address;
    EXPECT_NE(address.rfind("127.", 0), 0u) << address;
}
