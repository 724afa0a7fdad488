// Writing one private section (ISO/IEC 13818-1 2.4.4.10) from tree records: a bounded byte
// writer, the 8-byte common header, section_length, CRC_32 and the packets of the result.
//
// Use in a builder:
//   SectionWriter w(kPacketStoreSection);          // most section bytes the store carries
//   w.WriteHeader(HeadOf(record), kFixedBits30);   // bytes 0..7, length bits left 0
//   w.U16(...); w.Pid13(...); w.Length12(...); w.Bytes(...);
//   if (!w.Finish()) return Refused("SDT", w, "919 bytes");   // section_length, CRC_32
//   WritePackets(w, 0x0011, area, areaSize);      // clears the area, packets at its start
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tree/Records.h"

namespace quorvelin {

// Bits 6..4 of section byte 1: PAT, CAT, PMT and TOT write 0x30; SDT, NIT and BAT 0x70.
inline constexpr uint8_t kFixedBits30 = 0x30;
inline constexpr uint8_t kFixedBits70 = 0x70;

// Section bytes that fit the packet stores of the builders: one packet (PAT), five packets
// (CAT: 1024-byte store), six packets (PMT, SDT: the largest section ISO/IEC 13818-1 and
// ETSI EN 300 468 allow them) and ten packets (NIT, BAT: 2048-byte store).
inline constexpr size_t kOnePacketSection = 183;
inline constexpr size_t kFivePacketSection = 919;
inline constexpr size_t kSixPacketSection = 1024;
inline constexpr size_t kTenPacketSection = 1839;
// Largest private section: 3 header bytes + section_length of at most 4093.
inline constexpr size_t kMaxSectionBytes = 4096;

// The common header fields as a builder writes them.
struct SectionHead {
  uint8_t table_id = 0;
  uint8_t section_syntax_indicator = 0;  // bit 0
  uint16_t id = 0;                       // transport_stream_id, program_number, ...; 0xFFFF for the CAT
  uint8_t version_number = 0;            // 5 bits
  uint8_t current_next_indicator = 0;    // bit 0
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;
};

// PAT, PMT and SDT records (and everything derived from PatSectionHeader).
SectionHead HeadOf(const PatSectionHeader& r);
// The CAT writes 0xFFFF as its reserved identifier.
SectionHead HeadOf(const CatSectionHeader& r);
// NIT and BAT: network_id or bouquet_id.
SectionHead HeadOf(const LoopSectionHeader& r);

// Appends bytes to one section, never beyond `limit` bytes (CRC_32 included). Once a write
// would pass the limit the writer is overflowed: nothing more is stored, but the size the
// section would have had is still counted for the message.
class SectionWriter {
 public:
  explicit SectionWriter(size_t limit);

  void U8(uint8_t v);
  void U16(uint16_t v);  // most significant byte first
  void Bytes(const uint8_t* p, size_t n);
  // Exactly `n` bytes: those of `data` first, zero bytes for any that `data` lacks.
  void Padded(const std::vector<uint8_t>& data, size_t n);
  // Three reserved bits (1) and a 13-bit PID.
  void Pid13(uint16_t pid) { U16(static_cast<uint16_t>(0xE000 | (pid & 0x1FFF))); }
  // Four reserved bits (1) and a 12-bit length.
  void Length12(uint16_t length) { U16(static_cast<uint16_t>(0xF000 | (length & 0x0FFF))); }

  // Section bytes 0..7: byte 1 carries the syntax bit and `fixedBits`, byte 2 is 0 until Finish.
  void WriteHeader(const SectionHead& head, uint8_t fixedBits);

  // Sets section_length = k + 1 (k bytes written so far) and appends the CRC_32. False, and
  // nothing changed, when the writer has overflowed or the CRC_32 does not fit.
  bool Finish();

  bool overflowed() const { return wanted_ > size_; }
  // Bytes written (after Finish, the whole section).
  size_t size() const { return size_; }
  // Bytes the section needs, CRC_32 included, counted also past the limit.
  size_t needed() const { return wanted_ + (finished_ ? 0 : 4); }
  size_t limit() const { return limit_; }
  const uint8_t* data() const { return bytes_.data(); }
  uint8_t* data() { return bytes_.data(); }

 private:
  bool Room(size_t n);

  std::array<uint8_t, kMaxSectionBytes> bytes_{};
  size_t limit_;
  size_t size_ = 0;
  size_t wanted_ = 0;
  bool finished_ = false;
};

// What a builder reports: ok, or why nothing was written. `error` is empty when there simply
// was no section to build; otherwise it is the text to show the user.
struct BuildResult {
  bool ok = false;
  int count = 0;  // programs written by the PAT builder; packets by the others
  std::string error;

  explicit operator bool() const { return ok; }
};

// "PAT section too long: 187 bytes, at most 183 bytes (42 programs) fit one packet; not written."
std::string SectionTooLongMessage(const char* table, const SectionWriter& w, const char* store);

// Clears the whole area (zero) and puts the finished section's packets at its start.
// Returns the number of packets, 0 when they do not fit the area.
int WritePackets(const SectionWriter& w, uint16_t pid, uint8_t* area, size_t areaSize);

// The last steps of the PAT, CAT and SDT builders: Finish, then WritePackets. ok with
// count = packets, or not ok with the message naming `table` and `store` (the limit).
BuildResult FinishIntoArea(SectionWriter& w, const char* table, const char* store, uint16_t pid, uint8_t* area,
                           size_t areaSize);

}  // namespace quorvelin
