// The library's exports. Nothing raises across them: a failure inside
// (out of memory) gives the call's failure result.
#include "usb_device/Quellin.h"

#include "usb_device/UsbDevice.h"

namespace {

template <typename R, typename F>
R Guard(R failed, F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return failed;
    }
}

namespace q = menvaro::quellin;

}  // namespace

extern "C" {

uint16_t Open_USB_Device(void) {
    return Guard<uint16_t>(q::kOpenNoList, [] { return q::OpenDevice(); });
}

uint16_t Write_USB_Device(const uint8_t* data) {
    return Guard<uint16_t>(q::kWriteFailed, [&] { return q::WriteDevice(data); });
}

bool Read_USB_DeviceEX(uint8_t* out) {
    return Guard(false, [&] { return q::ReadDeviceEx(out); });
}

bool Read_USB_Device(uint8_t* ring) {
    return Guard(false, [&] { return q::ReadDevice(ring); });
}

bool Close_USB_Device(void) {
    return Guard(false, [] {
        q::CloseDevice();
        return false;
    });
}

int Is_USB_Device_Exist(void) {
    return Guard(0, [] { return q::DeviceExists(); });
}

intptr_t Get_USB_Device_Handler(void) {
    return Guard<intptr_t>(-1, [] { return q::DeviceHandle(); });
}

int Is_USB_Device_Rec(void) {
    return q::RecordPosition();
}

void Reset_USB_Device_Rec(void) {
    q::ResetRecordPosition();
}

int nTarnex = 0;

int fnTarnex(void) {
    return 42;
}

}  // extern "C"

CTarnex::CTarnex() = default;

CTarnex& CTarnex::operator=(const CTarnex&) {
    return *this;
}
