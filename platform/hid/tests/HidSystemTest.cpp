#include <gtest/gtest.h>

#include <filesystem>

#include "hid/HidSystem.h"
#include "hid/fake/FakeHidSystem.h"
#include "hid/fake/FakeHidTree.h"

namespace menvaro {
namespace {

namespace fs = std::filesystem;

TEST(HidSystemTest, MachineSystemFindsAnOpenNodesInterfaceByItsDeviceNumber) {
    // /dev/null (1:3) stands for the node; the tree says which interface has that number.
    FakeHidTree tree;
    tree.Add({"hidraw0", 0x1111, 0x2222, 0x0001, 0});
    tree.Add({"hidraw1", 0xE1B1, 0x12CD, 0x0102, 0});
    const fs::path link = fs::path(tree.SysRoot()) / "dev" / "char" / "1:3";
    fs::create_symlink(fs::read_symlink(fs::path(tree.SysRoot()) / "class" / "hidraw" / "hidraw1"), link);
    const HidSystem system(tree.SysRoot(), "/dev");

    std::vector<std::string> interfaces;
    ASSERT_TRUE(system.ListInterfaces(interfaces));
    ASSERT_EQ(interfaces.size(), 2u);
    std::string path;
    ASSERT_TRUE(system.InterfacePath(interfaces[1], path));
    EXPECT_EQ(path, "/dev/hidraw1");

    const auto device = system.Open("/dev/null");
    ASSERT_NE(device, nullptr);
    HidAttributes a;
    ASSERT_TRUE(system.GetAttributes(*device, a));
    EXPECT_EQ(a.VendorID, 0xE1B1);
    EXPECT_EQ(a.ProductID, 0x12CD);
    EXPECT_EQ(a.VersionNumber, 0x0102);
    const std::uint8_t report[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(device->Write(report, 100).Status, HidIoStatus::Ok);
    std::uint8_t in[10];
    EXPECT_EQ(device->Read(in, 100).Status, HidIoStatus::Lost);  // end of file: nothing behind it

    EXPECT_EQ(system.Open(tree.DevRoot() + "/missing"), nullptr);
    const auto unknown = system.Open("/dev/zero");  // a number no interface has
    ASSERT_NE(unknown, nullptr);
    EXPECT_FALSE(system.GetAttributes(*unknown, a));
}

TEST(HidSystemTest, TestSystemIsUsedOnlyWhileInstalled) {
    FakeHidTree tree;
    EXPECT_EQ(CurrentHidSystem()->SysRoot(), "/sys");
    UseHidSystemForTests(std::make_shared<FakeHidSystem>(tree.SysRoot(), tree.DevRoot()));
    EXPECT_EQ(CurrentHidSystem()->SysRoot(), tree.SysRoot());
    UseHidSystemForTests(nullptr);
    EXPECT_EQ(CurrentHidSystem()->SysRoot(), "/sys");
}

}  // namespace
}  // namespace menvaro
