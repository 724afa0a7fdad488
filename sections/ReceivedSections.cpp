#include "sections/ReceivedSections.h"

#include <algorithm>
#include <set>
#include <utility>

#include "sections/Packets.h"
#include "sections/SectionReader.h"

namespace quorvelin {

std::optional<TableTreeCtrl::Sections> SectionsOfAnswers(const std::vector<Answer>& answers, uint8_t tableId) {
  TableTreeCtrl::Sections sections;
  std::set<std::pair<uint16_t, uint8_t>> seen;
  for (const Answer& answer : answers) {
    const SectionBytes bytes(answer.data(), answer.size());
    for (size_t at = NextSectionStart(bytes, 0, tableId); at != kNoSection && bytes.Has(at, 3);) {
      const SectionBytes s = bytes.From(at);
      const SectionFields f = ReadSectionFields(s);
      if (f.section_syntax_indicator == 0) break;  // zeros behind the answer, not a section
      if (!s.Has(0, f.TotalSize()) || f.section_length < 9 || Crc32Mpeg(s.Pointer(0), f.TotalSize()) != 0)
        return std::nullopt;
      if (seen.emplace(f.id, f.section_number).second) sections.emplace_back(s.Pointer(0), s.Pointer(0) + f.TotalSize());
      at = NextSectionStart(bytes, at + f.TotalSize(), tableId);
    }
  }
  return sections;
}

int SectionItems(const TableTreeCtrl& tree, int port, Table table) {
  const ItemHandle root = tree.Root(port, table);
  int count = 0;
  for (ItemHandle c = root == kNoItem ? kNoItem : tree.GetChildItem(root); c != kNoItem; c = tree.GetNextSiblingItem(c))
    count += table == Table::Pmt ? tree.ChildCount(c) : 1;
  return count;
}

bool PlaceSections(const TableTreeCtrl::Sections& sections, uint16_t pid, uint8_t* area, size_t size) {
  std::fill(area, area + size, uint8_t{0});
  size_t at = 0;
  for (const std::vector<uint8_t>& s : sections) {
    const int packets = PacketizeSection(s.data(), s.size(), pid, area + at, size - at);
    if (packets == 0) {
      std::fill(area, area + size, uint8_t{0});
      return false;
    }
    at += static_cast<size_t>(packets) * kPacketSize;
  }
  return true;
}

}  // namespace quorvelin
