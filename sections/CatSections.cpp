#include "sections/CatSections.h"

#include "sections/BranchQueries.h"
#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "sections/descriptors/EditableKinds.h"

namespace quorvelin {

namespace {
constexpr size_t kCatLoopStart = 8;
constexpr size_t kCatReadBuffer = kTableReadBuffer;
}  // namespace

bool ParseCatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  const SectionBytes s(bytes, size);
  const ItemHandle root = tree.Root(port, Table::Cat);
  if (!root || s.size() == 0 || s.U8(0) != kCatTableId) return false;

  const SectionFields f = ReadSectionFields(s);
  CatSectionHeader header;
  StoreSectionFields(f, header);
  const ItemHandle section =
      tree.InsertRecordItem("Section 0:", kImageLine, root, MakeRecord(NodeKind::CatSection, header));
  AddSectionFieldLines(tree, section, f, nullptr);
  if (f.section_length > 9) {
    const ItemHandle list =
        tree.InsertRecordItem("descriptors", kImageLine, section, MakeHolder(NodeKind::CatDescriptorList));
    VisitDescriptors(s, kCatLoopStart, LoopEnd(s, f) - kCatLoopStart,
                     [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, list, d); });
  }
  AddCrcLine(tree, section, s, f);
  return true;
}

bool ReadCat(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  const auto bytes = ReceiveTable(exchange, kCatReadBuffer, kCatPid, 0, port);
  return bytes && ParseCatSection(tree, bytes->data(), bytes->size(), port);
}

BuildResult BuildCat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const ItemHandle section = FirstChild(tree, tree.Root(port, Table::Cat));
  const auto* header = PayloadOf<CatSectionHeader>(tree, section);
  if (!header) return {};

  SectionWriter w(kFivePacketSection);
  w.WriteHeader(HeadOf(*header), kFixedBits30);
  ForEachChild(tree, FindBelow(tree, section, NodeKind::CatDescriptorList), [&](ItemHandle h) {
    if (const NodeRecord* r = tree.RecordOf(h)) WriteLoopDescriptor(w, *r);
  });
  return FinishIntoArea(w, "CAT", "five packets", kCatPid, area, areaSize);
}

}  // namespace quorvelin
