// The caller's ring: 151 records of 8 bytes, one for each input report.
#pragma once

#include <cstdint>

namespace menvaro::quellin {

inline constexpr int kRecordSize = 8;
inline constexpr int kLastRecordOffset = 1200;  // 151 records: 0, 8, ..., 1200
inline constexpr int kRingSize = kLastRecordOffset + kRecordSize;

// The record of a report's 8 data bytes: as they are, except that a key
// record (type 2) gets its key code in byte 1 and 0xFF in bytes 2 to 7.
void MakeRecord(const std::uint8_t* data, std::uint8_t* record);

// The offset after `offset`, back to 0 after the last record.
int NextRecordOffset(int offset);

}  // namespace menvaro::quellin
