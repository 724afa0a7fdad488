// Reading received section bytes without ever going past them, and the lines every parsed
// section shares: the common header ("table_id: 0x%x" ... "last_section_number: 0x%x") and
// the closing "CRC_32: 0x%x".
//
// Use in a parser:
//   const SectionBytes s(bytes, size);                 // the table's received bytes
//   const SectionFields f = ReadSectionFields(s);      // bytes 0..7
//   StoreSectionFields(f, record);                     // into the section record
//   AddSectionFieldLines(tree, item, f, "transport_stream_id");
//   ForEachDescriptor(s, 8, LoopEnd(s, f), [&](size_t at, uint8_t tag, uint8_t length) {...});
//   AddCrcLine(tree, item, s, f);
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// A window on received bytes; every read past its end gives 0.
class SectionBytes {
 public:
  SectionBytes(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(bytes ? size : 0) {}

  size_t size() const { return size_; }
  uint8_t U8(size_t at) const { return at < size_ ? bytes_[at] : 0; }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(U8(at) << 8 | U8(at + 1)); }
  uint16_t U12(size_t at) const { return U16(at) & 0x0FFF; }
  uint16_t U13(size_t at) const { return U16(at) & 0x1FFF; }
  uint32_t U32(size_t at) const { return uint32_t{U16(at)} << 16 | U16(at + 2); }
  // True when bytes [at, at + n) were received.
  bool Has(size_t at, size_t n) const { return at <= size_ && n <= size_ - at; }
  // `n` bytes from `at`; only call after Has(at, n).
  std::vector<uint8_t> Copy(size_t at, size_t n) const;
  const uint8_t* Pointer(size_t at) const { return at < size_ ? bytes_ + at : nullptr; }
  // The bytes from `at` on, as a window of their own (empty past the end).
  SectionBytes From(size_t at) const { return at < size_ ? SectionBytes(bytes_ + at, size_ - at) : SectionBytes(nullptr, 0); }

 private:
  const uint8_t* bytes_;
  size_t size_;
};

// The common header of a section as read (bytes 0..7).
struct SectionFields {
  uint8_t table_id = 0;
  uint8_t section_syntax_indicator = 0;
  uint16_t section_length = 0;
  uint16_t id = 0;  // the family's identifier; reserved in the CAT
  uint8_t version_number = 0;
  uint8_t current_next_indicator = 0;
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;

  // Offset of the CRC_32: the last loop byte is at section_length - 2.
  size_t CrcOffset() const { return section_length >= 1 ? section_length - 1u : 0u; }
  // Bytes of the whole section: 3 + section_length.
  size_t TotalSize() const { return 3u + section_length; }
};

SectionFields ReadSectionFields(const SectionBytes& s);

// End of the section's loops: the CRC_32 offset, clipped at the received bytes.
inline size_t LoopEnd(const SectionBytes& s, const SectionFields& f) {
  return f.CrcOffset() < s.size() ? f.CrcOffset() : s.size();
}

// Calls visit(at, tag, length) for each descriptor (tag, length, `length` data bytes) that lies
// wholly inside [from, end), in order; stops at the first one that does not.
template <class Visit>
void ForEachDescriptor(const SectionBytes& s, size_t from, size_t end, Visit&& visit) {
  end = end < s.size() ? end : s.size();
  for (size_t at = from; at + 2 <= end;) {
    const uint8_t length = s.U8(at + 1);
    if (at + 2 + length > end) return;
    visit(at, s.U8(at), length);
    at += 2u + length;
  }
}

// End of the whole descriptors that start at `from` and lie inside [from, end).
inline size_t WholeDescriptorsEnd(const SectionBytes& s, size_t from, size_t end) {
  size_t last = from;
  ForEachDescriptor(s, from, end, [&](size_t at, uint8_t, uint8_t length) { last = at + 2u + length; });
  return last;
}

// A received descriptor loop length cut back to the whole descriptors it holds before `loopEnd`:
// a loop that runs past its section, or ends inside a descriptor, keeps what was read, and its
// length says so. A well-formed loop keeps its length as received.
inline uint16_t WholeDescriptorsLength(const SectionBytes& s, size_t from, size_t length, size_t loopEnd) {
  const size_t end = from + length < loopEnd ? from + length : loopEnd;
  return static_cast<uint16_t>(WholeDescriptorsEnd(s, from, end) - from);
}

inline constexpr size_t kNoSection = static_cast<size_t>(-1);
// Where the next section of `tableId` starts at or after `from`, passing over stuffing bytes
// (0xFF) and the pointer_field of the packet it starts in; kNoSection when none does.
size_t NextSectionStart(const SectionBytes& s, size_t from, uint8_t tableId);

// Receives one table through `exchange` into a buffer of `size` bytes filled with 0xFF first;
// nothing when the read fails.
std::optional<std::vector<uint8_t>> ReceiveTable(TableExchange& exchange, size_t size, uint16_t pid,
                                                 uint8_t selector, int port, bool bat = false);

void StoreSectionFields(const SectionFields& f, PatSectionHeader& r);  // PAT, PMT, SDT
void StoreSectionFields(const SectionFields& f, CatSectionHeader& r);
void StoreSectionFields(const SectionFields& f, LoopSectionHeader& r);  // NIT, BAT

// The eight header lines in order; `idLabel` names the identifier line ("transport_stream_id",
// "program_number", "network_id", "bouquet_id"), nullptr leaves it out (CAT).
void AddSectionFieldLines(TableTreeCtrl& tree, ItemHandle parent, const SectionFields& f, const char* idLabel);

// True when the section at the start of `s` was received whole and its CRC_32 checks (the
// CRC over the whole section, CRC field included, is 0: ISO/IEC 13818-1 Annex A).
bool CrcChecks(const SectionBytes& s, const SectionFields& f);
// "CRC_32: 0x%x" with the CRC_32 field as received (bytes at section_length - 1, most
// significant first; bytes that were not received count as 0), followed by " (CRC error)"
// when the section's CRC_32 does not check.
std::string CrcLineText(const SectionBytes& s, const SectionFields& f);
void AddCrcLine(TableTreeCtrl& tree, ItemHandle parent, const SectionBytes& s, const SectionFields& f);

// The sections of a table read over several receives (PMT, SDT), by identifier and
// section_number. A device may answer one section a read, in turn, or all of them at once, and
// a late answer may repeat a section: the read is over when every section 0..last_section_number
// of each identifier seen is in, when the first answer holds no section (the table is absent),
// or when a whole turn of reads (and two more) brought nothing new: the table is then incomplete.
inline constexpr int kMostSectionReads = 1024;
class SectionTally {
 public:
  // True when the section is new and is to be shown; false when its number came before.
  bool Take(const SectionFields& f);
  // After each receive: how many new sections it brought, and whether it held no section of
  // the table at all (the first such answer says the table is absent).
  void NoteRead(int added, bool empty);
  bool Over() const { return absent_ || Complete() || stale_ > Turn() + 2; }
  bool Complete() const;
  // "sections 2 and 5 of 0x0001 missing"; empty when complete or absent.
  std::string Missing() const;

 private:
  struct Sections {
    std::bitset<256> in;
    uint8_t last = 0;
  };
  int Turn() const;

  std::map<uint16_t, Sections> byId_;
  int stale_ = 0;
  bool absent_ = false;
};

}  // namespace quorvelin
