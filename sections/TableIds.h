// PIDs and table_ids of the tables the editor handles (ISO/IEC 13818-1 2.4.4, ETSI EN 300 468 5.1.3).
#pragma once

#include <cstdint>

namespace quorvelin {

inline constexpr uint16_t kPatPid = 0x0000;
inline constexpr uint16_t kCatPid = 0x0001;
inline constexpr uint16_t kNitPid = 0x0010;     // unless the PAT's network entry names another
inline constexpr uint16_t kSdtBatPid = 0x0011;  // SDT and BAT
inline constexpr uint16_t kTdtTotPid = 0x0014;  // TDT and TOT

inline constexpr uint8_t kPatTableId = 0x00;
inline constexpr uint8_t kCatTableId = 0x01;
inline constexpr uint8_t kPmtTableId = 0x02;
inline constexpr uint8_t kNitTableId = 0x40;  // actual network
inline constexpr uint8_t kSdtTableId = 0x42;  // actual transport stream
inline constexpr uint8_t kBatTableId = 0x4A;
inline constexpr uint8_t kTdtTableId = 0x70;
inline constexpr uint8_t kTotTableId = 0x73;
inline constexpr uint8_t kNitOtherTableId = 0x41;
inline constexpr uint8_t kSdtOtherTableId = 0x46;

// Whether a section of `tableId` may answer a read of `pid` (0x0011 with `bat`: the BAT; any
// PID that is no fixed table's: a PMT).
constexpr bool TableIdAnswers(uint16_t pid, bool bat, uint8_t tableId) {
  switch (pid) {
    case kPatPid:
      return tableId == kPatTableId;
    case kCatPid:
      return tableId == kCatTableId;
    case kNitPid:
      return tableId == kNitTableId || tableId == kNitOtherTableId;
    case kSdtBatPid:
      return bat ? tableId == kBatTableId : tableId == kSdtTableId || tableId == kSdtOtherTableId;
    case kTdtTotPid:
      return tableId == kTdtTableId || tableId == kTotTableId;
    default:
      return tableId == kPmtTableId;
  }
}

}  // namespace quorvelin
