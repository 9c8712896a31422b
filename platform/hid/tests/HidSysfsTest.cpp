#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "hid/HidSysfs.h"
#include "hid/fake/FakeHidTree.h"

namespace menvaro {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<std::string>& dirs) {
    std::vector<std::string> names;
    for (const auto& d : dirs) names.push_back(fs::path(d).filename().string());
    return names;
}

TEST(HidSysfsTest, ListsInterfacesInTheOrderOfTheirNumbers) {
    FakeHidTree tree;
    for (const char* name : {"hidraw10", "hidraw2", "hidraw0", "hidraw1"}) tree.Add({name, 1, 2, 3, 0});
    std::vector<std::string> dirs;
    ASSERT_TRUE(ListHidrawInterfaces(tree.SysRoot(), dirs));
    EXPECT_EQ(Names(dirs), (std::vector<std::string>{"hidraw0", "hidraw1", "hidraw2", "hidraw10"}));
}

TEST(HidSysfsTest, NoHidrawClassIsAnEmptyListButNoClassesIsNoList) {
    FakeHidTree tree;
    std::vector<std::string> dirs{"stale"};
    fs::remove_all(fs::path(tree.SysRoot()) / "class" / "hidraw");
    ASSERT_TRUE(ListHidrawInterfaces(tree.SysRoot(), dirs));
    EXPECT_TRUE(dirs.empty());
    tree.RemoveClasses();
    EXPECT_FALSE(ListHidrawInterfaces(tree.SysRoot(), dirs));
}

TEST(HidSysfsTest, ReadsDeviceNameAndAttributes) {
    struct Case {
        unsigned flags;
        bool nameOk;
        bool attributesOk;
        std::uint16_t version;
    };
    const Case cases[] = {
        {0, true, true, 0x0102},
        {FakeHidNoDeviceName, false, true, 0x0102},
        {FakeHidBadVersion, true, false, 0},
        {FakeHidNotUsb, true, true, 0},  // no USB device above it: no release number
        {FakeHidNumbered, true, true, 0x0102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        FakeHidTree tree;
        tree.Add({"hidraw7", 0xE1B1, 0x12CD, 0x0102, c.flags});
        std::vector<std::string> dirs;
        ASSERT_TRUE(ListHidrawInterfaces(tree.SysRoot(), dirs));
        ASSERT_EQ(dirs.size(), 1u);
        std::string name;
        EXPECT_EQ(ReadHidrawDeviceName(dirs[0], name), c.nameOk);
        if (c.nameOk) {
            EXPECT_EQ(name, "hidraw7");
        }
        HidAttributes a;
        ASSERT_EQ(ReadHidAttributes(tree.SysRoot(), dirs[0], a), c.attributesOk);
        if (c.attributesOk) {
            EXPECT_EQ(a.VendorID, 0xE1B1);
            EXPECT_EQ(a.ProductID, 0x12CD);
            EXPECT_EQ(a.VersionNumber, c.version);
        }
        std::vector<std::uint8_t> descriptor;
        ASSERT_TRUE(ReadHidReportDescriptor(dirs[0], descriptor));
        EXPECT_EQ(ReportsAreNumbered(descriptor), (c.flags & FakeHidNumbered) != 0);
    }
}

TEST(HidSysfsTest, ADeviceOnAnotherBusBelowAUsbDeviceHasNoReleaseNumber) {
    // A Bluetooth HID device whose adapter is a USB dongle: the dongle's
    // bcdDevice is no release number of the HID device.
    FakeHidTree tree;
    const fs::path usb = fs::path(tree.SysRoot()) / "devices" / "pci0000:00" / "usb1" / "1-4";
    const fs::path hid = usb / "1-4:1.0" / "bluetooth" / "hci0" / "hci0:256" / "0005:E1B1:12CD.0001";
    const fs::path classDir = hid / "hidraw" / "hidraw0";
    fs::create_directories(classDir);
    auto write = [](const fs::path& file, const char* text) {
        FILE* f = std::fopen(file.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
    };
    write(usb / "bcdDevice", "0102\n");
    write(hid / "uevent", "HID_ID=0005:0000E1B1:000012CD\n");
    fs::create_directory_symlink(hid, classDir / "device");
    HidAttributes a;
    ASSERT_TRUE(ReadHidAttributes(tree.SysRoot(), classDir.string(), a));
    EXPECT_EQ(a.VendorID, 0xE1B1);
    EXPECT_EQ(a.ProductID, 0x12CD);
    EXPECT_EQ(a.VersionNumber, 0);
}

TEST(HidSysfsTest, RefusesDeviceNamesOutsideTheDeviceFolder) {
    FakeHidTree tree;
    tree.Add({"hidraw0", 1, 2, 3, FakeHidNoDeviceName});
    const fs::path uevent = fs::path(tree.SysRoot()) / "class" / "hidraw" / "hidraw0" / "uevent";
    for (const char* devName : {"DEVNAME=../etc/passwd\n", "DEVNAME=/etc/passwd\n", "DEVNAME=\n"}) {
        fs::remove(uevent);
        FILE* f = std::fopen(uevent.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(devName, f);
        std::fclose(f);
        std::string name;
        EXPECT_FALSE(ReadHidrawDeviceName(uevent.parent_path().string(), name)) << devName;
    }
}

TEST(HidSysfsTest, FindsReportIdItemsAmongOtherItems) {
    struct Case {
        std::vector<std::uint8_t> descriptor;
        bool numbered;
    };
    const Case cases[] = {
        {{}, false},
        {{0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x81, 0x02, 0xC0}, false},
        {{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x81, 0x02, 0xC0}, true},
        // 0x85 inside the data of a 4-byte item is no Report ID item
        {{0x27, 0x85, 0x85, 0x85, 0x85, 0xC0}, false},
        // a long item's data is skipped whole
        {{0xFE, 0x02, 0x10, 0x85, 0x01, 0xC0}, false},
        {{0xFE, 0x00, 0x10, 0x85, 0x01}, true},
        // cut off in the middle of an item
        {{0x26, 0xFF}, false},
        {{0xFE}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(ReportsAreNumbered(c.descriptor), c.numbered);
}

}  // namespace
}  // namespace menvaro
