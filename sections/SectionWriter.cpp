#include "sections/SectionWriter.h"

#include <algorithm>
#include <cstring>

#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {

SectionHead HeadOf(const PatSectionHeader& r) {
  return {r.table_id, r.section_syntax_indicator, r.transport_stream_id, r.version(), r.cni(),
          r.section_number, r.last_section_number};
}

SectionHead HeadOf(const CatSectionHeader& r) {
  return {r.table_id, r.section_syntax_indicator, 0xFFFF, r.version(), r.cni(), r.section_number,
          r.last_section_number};
}

SectionHead HeadOf(const LoopSectionHeader& r) {
  return {r.table_id, r.section_syntax_indicator, r.id, r.version_number, r.current_next_indicator,
          r.section_number, r.last_section_number};
}

SectionWriter::SectionWriter(size_t limit) : limit_(std::min(limit, kMaxSectionBytes)) {}

bool SectionWriter::Room(size_t n) {
  const bool fits = !overflowed() && size_ + n <= limit_;
  wanted_ += n;
  return fits;
}

void SectionWriter::U8(uint8_t v) {
  if (Room(1)) bytes_[size_++] = v;
}

void SectionWriter::U16(uint16_t v) {
  if (!Room(2)) return;
  bytes_[size_++] = static_cast<uint8_t>(v >> 8);
  bytes_[size_++] = static_cast<uint8_t>(v & 0xFF);
}

void SectionWriter::Bytes(const uint8_t* p, size_t n) {
  if (n == 0 || !Room(n)) return;
  std::memcpy(bytes_.data() + size_, p, n);
  size_ += n;
}

void SectionWriter::Padded(const std::vector<uint8_t>& data, size_t n) {
  if (n == 0 || !Room(n)) return;
  const size_t have = std::min(n, data.size());
  std::copy_n(data.begin(), have, bytes_.begin() + static_cast<ptrdiff_t>(size_));
  std::fill_n(bytes_.begin() + static_cast<ptrdiff_t>(size_ + have), n - have, uint8_t{0});
  size_ += n;
}

void SectionWriter::WriteHeader(const SectionHead& head, uint8_t fixedBits) {
  U8(head.table_id);
  U8(static_cast<uint8_t>(((head.section_syntax_indicator & 1) << 7) | (fixedBits & 0x70)));
  U8(0);
  U16(head.id);
  U8(static_cast<uint8_t>(0xC0 | ((head.version_number & 0x1F) << 1) | (head.current_next_indicator & 1)));
  U8(head.section_number);
  U8(head.last_section_number);
}

bool SectionWriter::Finish() {
  if (finished_ || overflowed() || size_ < 3) return false;
  if (size_ + 4 > limit_) {
    wanted_ += 4;  // the CRC_32 is what no longer fits
    finished_ = true;
    return false;
  }
  const size_t sectionLength = size_ + 1;
  bytes_[1] = static_cast<uint8_t>((bytes_[1] & 0xF0) | ((sectionLength >> 8) & 0x0F));
  bytes_[2] = static_cast<uint8_t>(sectionLength & 0xFF);
  uint32_t crc = 0;
  CRC_crc32Calculate(bytes_.data(), static_cast<int>(size_), &crc);
  finished_ = true;
  U16(static_cast<uint16_t>(crc >> 16));
  U16(static_cast<uint16_t>(crc & 0xFFFF));
  return true;
}

std::string SectionTooLongMessage(const char* table, const SectionWriter& w, const char* store) {
  return Format("%s section too long: %zu bytes, the limit is %zu bytes (%s); the table was not written.", table,
                w.needed(), w.limit(), store);
}

int WritePackets(const SectionWriter& w, uint16_t pid, uint8_t* area, size_t areaSize) {
  if (area == nullptr || static_cast<size_t>(PacketsForSection(w.size())) * kPacketSize > areaSize) return 0;
  std::memset(area, 0, areaSize);
  return PacketizeSection(w.data(), w.size(), pid, area, areaSize);
}

}  // namespace quorvelin

namespace quorvelin {

BuildResult FinishIntoArea(SectionWriter& w, const char* table, const char* store, uint16_t pid, uint8_t* area,
                           size_t areaSize) {
  BuildResult result;
  if (!w.Finish()) {
    result.error = SectionTooLongMessage(table, w, store);
  } else if ((result.count = WritePackets(w, pid, area, areaSize)) == 0) {
    result.error = Format("%s section not written: its %d packets do not fit the %zu-byte output area.", table,
                          PacketsForSection(w.size()), areaSize);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace quorvelin
