#include "sections/SectionReader.h"

#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {

std::vector<uint8_t> SectionBytes::Copy(size_t at, size_t n) const {
  if (!Has(at, n)) return {};
  return std::vector<uint8_t>(bytes_ + at, bytes_ + at + n);
}

SectionFields ReadSectionFields(const SectionBytes& s) {
  SectionFields f;
  f.table_id = s.U8(0);
  f.section_syntax_indicator = s.U8(1) >> 7;
  f.section_length = s.U12(1);
  f.id = s.U16(3);
  f.version_number = (s.U8(5) >> 1) & 0x1F;
  f.current_next_indicator = s.U8(5) & 1;
  f.section_number = s.U8(6);
  f.last_section_number = s.U8(7);
  return f;
}

size_t NextSectionStart(const SectionBytes& s, size_t from, uint8_t tableId) {
  size_t at = from;
  while (at < s.size() && s.U8(at) == 0xFF) ++at;
  if (s.U8(at) == 0x00 && s.U8(at + 1) == tableId) ++at;  // a pointer_field of 0
  return at < s.size() && s.U8(at) == tableId ? at : kNoSection;
}

std::optional<std::vector<uint8_t>> ReceiveTable(TableExchange& exchange, size_t size, uint16_t pid,
                                                 uint8_t selector, int port, bool bat) {
  std::vector<uint8_t> buffer(size, 0xFF);
  if (!exchange.ReadTable(buffer.data(), buffer.size(), pid, selector, port, bat)) return std::nullopt;
  return buffer;
}

namespace {
template <class Header>
void StoreCommon(const SectionFields& f, Header& r) {
  r.table_id = f.table_id;
  r.section_syntax_indicator = f.section_syntax_indicator;
  r.section_length.set(f.section_length);
  r.section_number = f.section_number;
  r.last_section_number = f.last_section_number;
}
uint8_t VersionCni(const SectionFields& f) {
  return static_cast<uint8_t>((f.version_number & 0x1F) | (f.current_next_indicator & 1) << 5);
}
}  // namespace

void StoreSectionFields(const SectionFields& f, PatSectionHeader& r) {
  StoreCommon(f, r);
  r.transport_stream_id = f.id;
  r.version_cni = VersionCni(f);
}

void StoreSectionFields(const SectionFields& f, CatSectionHeader& r) {
  StoreCommon(f, r);
  r.version_cni = VersionCni(f);
}

void StoreSectionFields(const SectionFields& f, LoopSectionHeader& r) {
  StoreCommon(f, r);
  r.id = f.id;
  r.version_number = f.version_number;
  r.current_next_indicator = f.current_next_indicator;
}

void AddSectionFieldLines(TableTreeCtrl& tree, ItemHandle parent, const SectionFields& f, const char* idLabel) {
  tree.InsertLine(Format("table_id: 0x%x", f.table_id), parent);
  tree.InsertLine(Format("section_syntax_indicator: 0x%x", f.section_syntax_indicator), parent);
  tree.InsertLine(Format("section_length: 0x%x", f.section_length), parent);
  if (idLabel != nullptr) tree.InsertLine(Format("%s: 0x%x", idLabel, f.id), parent);
  tree.InsertLine(Format("version_number: 0x%x", f.version_number), parent);
  tree.InsertLine(Format("current_next_indicator: 0x%x", f.current_next_indicator), parent);
  tree.InsertLine(Format("section_number: 0x%x", f.section_number), parent);
  tree.InsertLine(Format("last_section_number: 0x%x", f.last_section_number), parent);
}

bool CrcChecks(const SectionBytes& s, const SectionFields& f) {
  const size_t size = f.TotalSize();
  return f.section_length >= 4 && s.Has(0, size) && Crc32Mpeg(s.Pointer(0), size) == 0;
}

std::string CrcLineText(const SectionBytes& s, const SectionFields& f) {
  return Format("CRC_32: 0x%x", s.U32(f.CrcOffset())) + (CrcChecks(s, f) ? "" : " (CRC error)");
}

void AddCrcLine(TableTreeCtrl& tree, ItemHandle parent, const SectionBytes& s, const SectionFields& f) {
  tree.InsertLine(CrcLineText(s, f), parent);
}

bool SectionTally::Take(const SectionFields& f) {
  Sections& sections = byId_[f.id];
  if (sections.in[f.section_number]) return false;
  sections.in[f.section_number] = true;
  sections.last = f.last_section_number;
  return true;
}

void SectionTally::NoteRead(int added, bool empty) {
  absent_ = empty && byId_.empty();
  stale_ = added > 0 ? 0 : stale_ + 1;
}

int SectionTally::Turn() const {
  int sections = 0;
  for (const auto& [id, s] : byId_) sections += s.last + 1;
  return sections;
}

bool SectionTally::Complete() const {
  if (byId_.empty()) return false;
  for (const auto& [id, sections] : byId_)
    for (size_t number = 0; number <= sections.last; ++number)
      if (!sections.in[number]) return false;
  return true;
}

std::string SectionTally::Missing() const {
  if (byId_.empty()) return absent_ ? "" : "no section";
  std::string text;
  for (const auto& [id, sections] : byId_) {
    std::string numbers;
    for (size_t number = 0; number <= sections.last; ++number)
      if (!sections.in[number]) numbers += (numbers.empty() ? "" : ", ") + std::to_string(number);
    if (!numbers.empty()) text += (text.empty() ? "" : "; ") + Format("section %s of 0x%04x missing", numbers.c_str(), id);
  }
  return text;
}

}  // namespace quorvelin
