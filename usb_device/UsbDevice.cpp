#include "usb_device/UsbDevice.h"

#include <array>
#include <cstring>
#include <vector>

#include "hid/HidSystem.h"
#include "usb_device/DebugOutput.h"
#include "usb_device/DeviceState.h"
#include "usb_device/RecordRing.h"

namespace menvaro::quellin {

namespace {

constexpr std::size_t kReportSize = 9;  // report number 0 and 8 data bytes
constexpr int kWriteTimeoutMs = 1000;
// The longest a reader sleeps without looking at the open state; a close
// also wakes it at once through the handle's cancel.
constexpr int kWaitSliceMs = 500;

// One byte more than a report, so that a longer one shows.
using ReportBuffer = std::array<std::uint8_t, kReportSize + 1>;

bool IsTheDevice(const HidAttributes& a) {
    return a.VendorID == kVendorID && a.ProductID == kProductID && a.VersionNumber == kVersionNumber;
}

// Still open, and still as `device`: a reader belongs to the device it
// started on and ends when that one is closed or replaced.
bool StillOpen(const std::shared_ptr<HidDevice>& device) {
    DeviceState& s = State();
    return s.Opened.load(std::memory_order_acquire) && s.Handle.Load() == device;
}

// The device is gone: it is closed, so that it can be found and opened again.
void DropLostDevice(const std::shared_ptr<HidDevice>& device) {
    DeviceState& s = State();
    if (s.Handle.CompareExchange(device, nullptr)) s.Opened.store(false, std::memory_order_release);
}

enum class Awaited { Report, Closed, Lost, Oversized };

// Waits on `device` for one whole report, in slices, while it stays open.
Awaited AwaitReport(const std::shared_ptr<HidDevice>& device, ReportBuffer& report) {
    for (;;) {
        if (!StillOpen(device)) return Awaited::Closed;
        report.fill(0);
        const HidIoResult r = device->Read(report, kWaitSliceMs);
        switch (r.Status) {
        case HidIoStatus::TimedOut:
        case HidIoStatus::Cancelled:
            continue;
        case HidIoStatus::Lost:
        case HidIoStatus::Failed:
            DropLostDevice(device);
            return Awaited::Lost;
        case HidIoStatus::Ok:
            if (r.Length < kReportSize) continue;
            if (r.Length > kReportSize) return Awaited::Oversized;
            // A report that came in while the device was being closed is not delivered.
            return StillOpen(device) ? Awaited::Report : Awaited::Closed;
        }
    }
}

// Stores the report's record at the ring position, then publishes the next
// position: a caller that sees the position sees the whole record behind it.
void StoreRecord(std::uint8_t* ring, const ReportBuffer& report) {
    DeviceState& s = State();
    const int pos = s.RecPos.load(std::memory_order_acquire);
    std::uint8_t record[kRecordSize];
    MakeRecord(report.data() + 1, record);
    std::memcpy(ring + pos, record, kRecordSize);
    s.RecPos.store(NextRecordOffset(pos), std::memory_order_release);
}

// Puts a newly opened device into the handle unless another call was faster.
bool Publish(std::shared_ptr<HidDevice> device) {
    DeviceState& s = State();
    if (!s.Handle.CompareExchange(nullptr, std::move(device))) return false;
    s.Opened.store(true, std::memory_order_release);
    return true;
}

}  // namespace

std::uint16_t OpenDevice() {
    DeviceState& s = State();
    if (s.Handle.Load()) return kOpenAlreadyOpen;
    const auto system = CurrentHidSystem();
    std::vector<std::string> interfaces;
    if (!system->ListInterfaces(interfaces)) return kOpenNoList;
    // Every interface is examined; the result tells about the last one.
    bool lastOpenFailed = false;
    for (const std::string& interface : interfaces) {
        std::string path;
        if (!system->InterfacePath(interface, path)) return kOpenNoPath;
        std::shared_ptr<HidDevice> device = system->Open(path);
        lastOpenFailed = device == nullptr;
        if (lastOpenFailed) continue;
        HidAttributes attributes;
        // A device whose attributes cannot be read is not it; it closes as it goes.
        if (!system->GetAttributes(*device, attributes) || !IsTheDevice(attributes)) continue;
        s.SavedPath.Store(path);
        if (!Publish(std::move(device))) return kOpenAlreadyOpen;
        s.Found.store(true, std::memory_order_release);
        return kOpenDone;
    }
    return lastOpenFailed ? kOpenLastFailed : kOpenNotFound;
}

std::uint16_t WriteDevice(const std::uint8_t* data) {
    DeviceState& s = State();
    if (!s.Opened.load(std::memory_order_acquire)) return kWriteNotOpen;
    const std::shared_ptr<HidDevice> device = s.Handle.Load();
    if (!device || !data) return kWriteFailed;
    std::uint8_t report[kReportSize] = {0};
    std::memcpy(report + 1, data, kReportSize - 1);
    // A write the device does not take in time is not made at all: nothing
    // of it stays pending after the call.
    return device->Write(report, kWriteTimeoutMs).Status == HidIoStatus::Ok ? kWriteDone : kWriteFailed;
}

bool ReadDeviceEx(std::uint8_t* out) {
    DeviceState& s = State();
    const std::shared_ptr<HidDevice> device = s.Handle.Load();
    ReportBuffer report{};
    if (out && device && s.Opened.load(std::memory_order_acquire) &&
        AwaitReport(device, report) == Awaited::Report) {
        std::memcpy(out, report.data() + 1, kRecordSize);
        return true;
    }
    DebugString("Init");
    return false;
}

bool ReadDevice(std::uint8_t* ring) {
    DeviceState& s = State();
    const std::shared_ptr<HidDevice> device = s.Handle.Load();
    if (!ring || !device || !s.Opened.load(std::memory_order_acquire)) return false;
    ReportBuffer report{};
    for (;;) {
        switch (AwaitReport(device, report)) {
        case Awaited::Report:
            StoreRecord(ring, report);
            break;
        case Awaited::Closed:
            s.RecPos.store(0, std::memory_order_release);
            return false;
        case Awaited::Lost:
            return false;
        case Awaited::Oversized:
            DebugString("out1");
            return false;
        }
    }
}

void CloseDevice() {
    DeviceState& s = State();
    s.Found.store(false, std::memory_order_release);
    s.Opened.store(false, std::memory_order_release);
    // Readers and writers on it end at once; the descriptor closes when the
    // last of them lets go.
    if (const std::shared_ptr<HidDevice> device = s.Handle.Exchange(nullptr)) device->Cancel();
}

int DeviceExists() {
    DeviceState& s = State();
    if (!s.Found.load(std::memory_order_acquire)) return 0;
    if (s.Opened.load(std::memory_order_acquire)) return 1;
    s.Handle.Store(nullptr);
    std::shared_ptr<HidDevice> device = CurrentHidSystem()->Open(s.SavedPath.Load());
    if (!device) return 0;
    if (!Publish(std::move(device))) return s.Opened.load(std::memory_order_acquire) ? 1 : 0;
    return 1;
}

std::intptr_t DeviceHandle() {
    const std::shared_ptr<HidDevice> device = State().Handle.Load();
    return device ? device->Handle() : -1;
}

int RecordPosition() {
    return State().RecPos.load(std::memory_order_acquire);
}

void ResetRecordPosition() {
    State().RecPos.store(0, std::memory_order_release);
}

}  // namespace menvaro::quellin
