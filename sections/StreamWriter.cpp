#include "sections/StreamWriter.h"

#include <algorithm>

#include "sections/Packets.h"
#include "sections/SectionReader.h"

namespace quorvelin {

void StreamWriter::Add(uint16_t pid, const std::vector<uint8_t>& section) {
  Packets packets = PacketsOf(section, pid);
  uint8_t& counter = counters_[pid];
  for (size_t at = 0; at < packets.size(); at += kPacketSize) {
    packets[at + 3] = static_cast<uint8_t>(0x10 | counter);
    counter = (counter + 1) & 0x0F;
  }
  stream_.insert(stream_.end(), packets.begin(), packets.end());
}

std::vector<std::vector<uint8_t>> AnswerSections(const uint8_t* bytes, size_t size, const std::vector<uint8_t>& tableIds) {
  std::vector<std::vector<uint8_t>> out;
  const SectionBytes s(bytes, size);
  for (size_t at = 0;;) {
    size_t start = kNoSection;
    for (uint8_t id : tableIds) start = std::min(start, NextSectionStart(s, at, id));
    if (start == kNoSection) return out;
    const SectionBytes section = s.From(start);
    const SectionFields f = ReadSectionFields(section);
    const bool crc = f.section_syntax_indicator == 1 || f.table_id == 0x73;
    const bool whole = crc ? CrcChecks(section, f) : f.table_id == 0x70 && f.section_length == 5 && section.Has(0, 8);
    if (!whole) return out;
    out.push_back(section.Copy(0, f.TotalSize()));
    at = start + f.TotalSize();
  }
}

}  // namespace quorvelin
