// The library's operations behind its C exports.
#pragma once

#include <cstdint>

namespace menvaro::quellin {

// The device the library is for.
inline constexpr std::uint16_t kVendorID = 0xE1B1;
inline constexpr std::uint16_t kProductID = 0x12CD;
inline constexpr std::uint16_t kVersionNumber = 0x0102;

// Status codes of OpenDevice.
enum : std::uint16_t {
    kOpenAlreadyOpen = 1,
    kOpenNoList = 2,
    kOpenNoPath = 3,
    kOpenLastFailed = 4,
    kOpenDone = 7,
    kOpenNotFound = 8,
};

// Status codes of WriteDevice.
enum : std::uint16_t {
    kWriteFailed = 8,
    kWriteNotOpen = 9,
    kWriteDone = 10,
};

std::uint16_t OpenDevice();
std::uint16_t WriteDevice(const std::uint8_t* data);
bool ReadDeviceEx(std::uint8_t* out);
bool ReadDevice(std::uint8_t* ring);
void CloseDevice();
int DeviceExists();
std::intptr_t DeviceHandle();
int RecordPosition();
void ResetRecordPosition();

}  // namespace menvaro::quellin
