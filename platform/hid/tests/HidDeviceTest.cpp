#include <gtest/gtest.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <thread>

#include "hid/HidDevice.h"
#include "hid/fake/FakeHidSystem.h"
#include "hid/fake/FakeHidTree.h"

namespace menvaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An opened fake interface: the library's handle and the device's end.
class HidDeviceTest : public ::testing::Test {
protected:
    void Open(unsigned flags = 0) {
        tree_.Add({"hidraw0", 0xE1B1, 0x12CD, 0x0102, flags});
        tree_.Plug("hidraw0");
        device_ = system_.Open(tree_.DevRoot() + "/hidraw0");
        ASSERT_NE(device_, nullptr);
        peer_ = tree_.Accept("hidraw0", 1000);
        ASSERT_TRUE(peer_.Valid());
    }
    void Send(const Bytes& packet) {
        ASSERT_EQ(::send(peer_.Get(), packet.data(), packet.size(), 0), static_cast<ssize_t>(packet.size()));
    }
    Bytes Receive() {
        std::array<std::uint8_t, 64> buf{};
        const ssize_t n = ::recv(peer_.Get(), buf.data(), buf.size(), MSG_DONTWAIT);
        return n < 0 ? Bytes{} : Bytes(buf.begin(), buf.begin() + n);
    }

    FakeHidTree tree_;
    FakeHidSystem system_{tree_.SysRoot(), tree_.DevRoot()};
    std::shared_ptr<HidDevice> device_;
    UniqueFd peer_;
};

TEST_F(HidDeviceTest, UnnumberedReportIsGivenReportNumberZero) {
    Open();
    Send({1, 2, 3, 4, 5, 6, 7, 8});
    std::array<std::uint8_t, 10> report{};
    report.fill(0xAA);
    const HidIoResult r = device_->Read(report, 1000);
    ASSERT_EQ(r.Status, HidIoStatus::Ok);
    EXPECT_EQ(r.Length, 9u);
    EXPECT_EQ(Bytes(report.begin(), report.begin() + 9), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(HidDeviceTest, NumberedReportKeepsItsOwnNumber) {
    Open(FakeHidNumbered);
    Send({5, 1, 2, 3, 4, 5, 6, 7, 8});
    std::array<std::uint8_t, 10> report{};
    const HidIoResult r = device_->Read(report, 1000);
    ASSERT_EQ(r.Status, HidIoStatus::Ok);
    EXPECT_EQ(Bytes(report.begin(), report.begin() + r.Length), (Bytes{5, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(HidDeviceTest, OversizedReportFillsTheWholeBuffer) {
    Open();
    Send(Bytes(12, 0x33));
    Send({9, 9, 9, 9, 9, 9, 9, 9});
    std::array<std::uint8_t, 10> report{};
    EXPECT_EQ(device_->Read(report, 1000).Length, 10u);
    // the rest of the long report is gone, the next one arrives whole
    const HidIoResult next = device_->Read(report, 1000);
    EXPECT_EQ(next.Length, 9u);
    EXPECT_EQ(report[1], 9);
}

TEST_F(HidDeviceTest, WritesTheReportAsOnePacket) {
    Open();
    const Bytes report{0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    const HidIoResult r = device_->Write(report, 1000);
    EXPECT_EQ(r.Status, HidIoStatus::Ok);
    EXPECT_EQ(r.Length, 9u);
    EXPECT_EQ(Receive(), report);
}

TEST_F(HidDeviceTest, ReadWithoutReportTimesOut) {
    Open();
    std::array<std::uint8_t, 10> report{};
    EXPECT_EQ(device_->Read(report, 20).Status, HidIoStatus::TimedOut);
    EXPECT_EQ(device_->Read(std::span<std::uint8_t>(report.data(), 1), 20).Status, HidIoStatus::Failed);
}

TEST_F(HidDeviceTest, WriteThatTimesOutLeavesNoPartOfItsReport) {
    Open();
    const int small = 1024;
    ASSERT_EQ(::setsockopt(device_->Handle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    const Bytes report{0, 1, 2, 3, 4, 5, 6, 7, 8};
    int written = 0;
    HidIoResult r;
    while ((r = device_->Write(report, 20)).Status == HidIoStatus::Ok) ++written;
    EXPECT_EQ(r.Status, HidIoStatus::TimedOut);
    EXPECT_GT(written, 0);
    for (int i = 0; i < written; ++i) EXPECT_EQ(Receive(), report);
    EXPECT_EQ(Receive(), Bytes{});
    EXPECT_EQ(device_->Write(report, 20).Status, HidIoStatus::Ok);  // room again
}

TEST_F(HidDeviceTest, CancelEndsABlockedReadAndEveryLaterWait) {
    Open();
    HidIoResult blocked;
    std::thread reader([&] {
        std::array<std::uint8_t, 10> report{};
        blocked = device_->Read(report, -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    device_->Cancel();
    reader.join();
    EXPECT_EQ(blocked.Status, HidIoStatus::Cancelled);
    Send({1, 2, 3, 4, 5, 6, 7, 8});  // a cancelled handle delivers nothing more
    std::array<std::uint8_t, 10> report{};
    EXPECT_EQ(device_->Read(report, 1000).Status, HidIoStatus::Cancelled);
    EXPECT_EQ(device_->Write(Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}, 1000).Status, HidIoStatus::Ok);
}

TEST_F(HidDeviceTest, DeviceGoneIsLostForReadsAndWrites) {
    Open();
    Send({1, 2, 3, 4, 5, 6, 7, 8});
    peer_.Reset();
    std::array<std::uint8_t, 10> report{};
    EXPECT_EQ(device_->Read(report, 1000).Status, HidIoStatus::Ok);  // sent before it went
    EXPECT_EQ(device_->Read(report, 1000).Status, HidIoStatus::Lost);
    EXPECT_EQ(device_->Write(Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}, 1000).Status, HidIoStatus::Lost);
}

}  // namespace
}  // namespace menvaro
