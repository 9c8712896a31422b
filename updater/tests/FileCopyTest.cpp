#include <gtest/gtest.h>

#include "DeviceFixture.h"
#include "base/Files.h"
#include "fileCopy.h"
#include "testsupport/TempDir.h"

using namespace pelgrane;
using menvaro::TStringList;

namespace {

const std::string kDeviceFolder = "\\Program Files\\Menvaro餐点";

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override { Device().Reset(); }
    void PcFile(const std::string& name, const std::string& content) { menvaro::WriteFileAtomic(pc_ + name, content); }
    std::string OnDevice(const std::string& name) { return kDeviceFolder + "\\" + name; }

    menvaro::test::TempDir dir_{"copy"};
    const std::string& pc_ = dir_.path();
};

}  // namespace

TEST_F(FileCopyTest, TheLibraryIsLoadedOnceAndKeptForLaterUpdates) {
    const int before = dlopenCalls;
    for (int update = 0; update < 2; ++update) {
        ASSERT_EQ(ConnectDevice(), TDeviceConnection::dcConnected);
        PcFile("area.xml", "<Area/>\r\n");
        EXPECT_TRUE(CopyFileToDevice(pc_, kDeviceFolder, "area.xml", true));
        EXPECT_TRUE(DisconnectDevice());
    }
    EXPECT_LE(dlopenCalls - before, 0);
    EXPECT_EQ(Device().inits, 2);
    // Entries the library has are bound, the others stay empty.
    EXPECT_NE(RapiEntry(20), nullptr);  // CeCreateFile
    EXPECT_EQ(RapiEntry(2), nullptr);   // CeFindAllFiles
}

TEST_F(FileCopyTest, ConnectTellsAMissingHandheldFromAConnectedOne) {
    Device().initResult = E_FAIL;
    EXPECT_EQ(ConnectDevice(), TDeviceConnection::dcNotConnected);
    Device().initResult = S_OK;
    EXPECT_EQ(ConnectDevice(), TDeviceConnection::dcConnected);
}

TEST_F(FileCopyTest, CopyWritesTheWholeFileUnderATemporaryNameThenReplaces) {
    Device().files[OnDevice("dish1.xml")] = "old content that is longer";
    PcFile("dish1.xml", "<CateDish/>\r\n");
    EXPECT_TRUE(CopyFileToDevice(pc_, kDeviceFolder, "dish1.xml"));
    EXPECT_EQ(Device().files, (std::map<std::string, std::string>{{OnDevice("dish1.xml"), "<CateDish/>\r\n"}}));
    // The old file is set aside and deleted only once the new one is in place.
    EXPECT_EQ(Device().log, (std::vector<std::string>{
                                "move " + OnDevice("dish1.xml.old") + " " + OnDevice("dish1.xml"),
                                "delete " + OnDevice("dish1.xml.part"),
                                "create " + OnDevice("dish1.xml.part"),
                                "move " + OnDevice("dish1.xml") + " " + OnDevice("dish1.xml.old"),
                                "move " + OnDevice("dish1.xml.part") + " " + OnDevice("dish1.xml"),
                                "delete " + OnDevice("dish1.xml.old"),
                            }));
}

TEST_F(FileCopyTest, FilesAnInterruptedCopyLeftAsideArePutBackOrDropped) {
    auto& files = Device().files;
    files[OnDevice("area.xml.old")] = "area before";  // set aside, the new one never arrived
    files[OnDevice("room.xml")] = "room new";         // in place, the old one not yet deleted
    files[OnDevice("room.xml.old")] = "room before";
    files[OnDevice("catsup.xml")] = "untouched";
    RestoreSetAside(kDeviceFolder, TStringList{"area.xml", "room.xml", "catsup.xml", "missing.xml"});
    EXPECT_EQ(files, (std::map<std::string, std::string>{{OnDevice("area.xml"), "area before"},
                                                         {OnDevice("room.xml"), "room new"},
                                                         {OnDevice("catsup.xml"), "untouched"}}));
    // A copy does the same for its own file before it starts.
    Device().Reset();
    Device().files[OnDevice("dish1.xml.old")] = "dish before";
    Device().failWriteAt = 0;
    PcFile("dish1.xml", "<CateDish/>\r\n");
    EXPECT_FALSE(CopyFileToDevice(pc_, kDeviceFolder, "dish1.xml"));
    EXPECT_EQ(Device().files, (std::map<std::string, std::string>{{OnDevice("dish1.xml"), "dish before"}}));
}

TEST_F(FileCopyTest, ShortWritesAreContinuedAndAnEmptyFileArrivesEmpty) {
    std::string big;
    for (int i = 0; i < 1000; ++i) big += "餐点" + std::to_string(i);
    PcFile("big.xml", big);
    PcFile("empty.xml", "");
    Device().maxWrite = 7;
    EXPECT_TRUE(CopyFileToDevice(pc_, kDeviceFolder + "\\", "big.xml"));
    EXPECT_EQ(Device().files[OnDevice("big.xml")], big);
    EXPECT_EQ(Device().writes, static_cast<int>((big.size() + 6) / 7));
    EXPECT_TRUE(CopyFileToDevice(pc_, kDeviceFolder, "empty.xml"));
    EXPECT_EQ(Device().files.at(OnDevice("empty.xml")), "");
}

TEST_F(FileCopyTest, AFailedCopyLeavesTheDevicesFileAsItWas) {
    struct Case {
        const char* what;
        void (*arm)(TestDeviceControl&);
    } cases[] = {
        {"write fails half way", [](TestDeviceControl& d) { d.maxWrite = 4, d.failWriteAt = 2; }},
        {"close fails", [](TestDeviceControl& d) { d.failClose = true; }},
        {"the old file cannot be set aside", [](TestDeviceControl& d) { d.failMoveFrom = kDeviceFolder + "\\room.xml"; }},
        {"the new file cannot take its place",
         [](TestDeviceControl& d) { d.failMoveFrom = kDeviceFolder + "\\room.xml.part"; }},
    };
    PcFile("room.xml", "<RoomUpdate><Area/></RoomUpdate>\r\n");
    for (const auto& c : cases) {
        Device().Reset();
        Device().files[OnDevice("room.xml")] = "previous";
        c.arm(Device());
        EXPECT_FALSE(CopyFileToDevice(pc_, kDeviceFolder, "room.xml")) << c.what;
        EXPECT_EQ(Device().files, (std::map<std::string, std::string>{{OnDevice("room.xml"), "previous"}})) << c.what;
    }
}

TEST_F(FileCopyTest, AMissingPcFileIsSkippedWithoutTouchingTheDevice) {
    Device().files[OnDevice("Room.txt")] = "kept";
    EXPECT_FALSE(CopyFileToDevice(pc_, kDeviceFolder, "Room.txt"));
    EXPECT_TRUE(Device().log.empty());
    EXPECT_EQ(Device().files[OnDevice("Room.txt")], "kept");
    // A folder of that name is no file either.
    menvaro::CreateDir(pc_ + "sub.xml");
    EXPECT_FALSE(CopyFileToDevice(pc_, kDeviceFolder, "sub.xml"));
    EXPECT_TRUE(Device().log.empty());
}

TEST_F(FileCopyTest, DeleteDeviceFilesDeletesEachNameAndTakesMissingOnesCalmly) {
    DeleteDeviceFiles(kDeviceFolder, TStringList());
    EXPECT_EQ(Device().deletes, 0);
    Device().files[OnDevice("urgentdish2.xml")] = "x";
    DeleteDeviceFiles(kDeviceFolder, TStringList{"urgentdish2.xml", "limitdish2.xml"});
    EXPECT_EQ(Device().log, (std::vector<std::string>{"delete " + OnDevice("urgentdish2.xml"),
                                                      "delete " + OnDevice("limitdish2.xml")}));
    EXPECT_TRUE(Device().files.empty());
}

TEST(DevicePath, IsUtf16InAZeroFilledBufferOf260) {
    char16_t buf[260];
    std::fill(std::begin(buf), std::end(buf), u'x');
    ASSERT_TRUE(MakeDevicePath("\\Program Files\\Menvaro餐点", "dish1.xml", buf));
    EXPECT_EQ(std::u16string(buf), u"\\Program Files\\Menvaro餐点\\dish1.xml");
    EXPECT_EQ(buf[259], 0);
    EXPECT_TRUE(MakeDevicePath("\\", "x", buf));
    EXPECT_EQ(std::u16string(buf), u"\\x");
    EXPECT_TRUE(MakeDevicePath("\\a", std::string(256, 'n'), buf));   // 259 characters fit
    EXPECT_FALSE(MakeDevicePath("\\a", std::string(257, 'n'), buf));  // 260 do not
    EXPECT_FALSE(MakeDevicePath("\\a", "\xFF", buf));
}
