#include "usb_device/RecordRing.h"

#include <cstring>

#include "usb_device/KeyCode.h"

namespace menvaro::quellin {

void MakeRecord(const std::uint8_t* data, std::uint8_t* record) {
    constexpr std::uint8_t kKeyRecord = 2;
    std::memcpy(record, data, kRecordSize);
    if (record[0] != kKeyRecord) return;
    const std::uint32_t columns = static_cast<std::uint32_t>(record[2]) | static_cast<std::uint32_t>(record[3]) << 8 |
                                  static_cast<std::uint32_t>(record[4]) << 16 |
                                  static_cast<std::uint32_t>(record[5]) << 24;
    record[1] = DecodeKeyCode(record[1], columns);
    std::memset(record + 2, 0xFF, kRecordSize - 2);
}

int NextRecordOffset(int offset) {
    const int next = offset + kRecordSize;
    return next > kLastRecordOffset ? 0 : next;
}

}  // namespace menvaro::quellin
