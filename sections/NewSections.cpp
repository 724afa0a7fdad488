#include "sections/NewSections.h"

#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

// The header as a new section starts: syntax 1, length 0, current, section 0 of 0.
SectionFields NewSectionFields(uint8_t tableId, uint16_t id, uint8_t version) {
  SectionFields f;
  f.table_id = tableId;
  f.section_syntax_indicator = 1;
  f.id = id;
  f.version_number = version;
  f.current_next_indicator = 1;
  return f;
}

template <class Header>
Header HeaderFrom(const SectionFields& f) {
  Header h;
  StoreSectionFields(f, h);
  return h;
}

void Finish(TableTreeCtrl& tree, ItemHandle root, ItemHandle section) {
  tree.InsertLine("CRC_32: 0x0", section);
  tree.Expand(root, ExpandCode::Expand);
  tree.Expand(section, ExpandCode::Expand);
}

}  // namespace

void InsertNewPatSection(TableTreeCtrl& tree, ItemHandle root, uint16_t transportStreamId) {
  const SectionFields f = NewSectionFields(kPatTableId, transportStreamId, 1);
  const auto h = HeaderFrom<PatSectionHeader>(f);
  const ItemHandle section =
      tree.InsertRecordItem("Section 0:", kImageSection, root, MakeRecord(NodeKind::PatSection, h));
  AddSectionFieldLines(tree, section, f, "transport_stream_id");
  tree.InsertRecordItem("programs:0", kImageLine, section, MakeHolder(NodeKind::PatProgramList));
  Finish(tree, root, section);
}

void InsertNewSdtSection(TableTreeCtrl& tree, ItemHandle root, uint16_t transportStreamId,
                         uint16_t originalNetworkId) {
  const SectionFields f = NewSectionFields(kSdtTableId, transportStreamId, 1);
  auto h = HeaderFrom<SdtSectionHeader>(f);
  h.original_network_id = originalNetworkId;
  const ItemHandle section =
      tree.InsertRecordItem("Section 0:", kImageSection, root, MakeRecord(NodeKind::SdtSection, h));
  AddSectionFieldLines(tree, section, f, "transport_stream_id");
  tree.InsertLine(Format("original_network_id: 0x%x", originalNetworkId), section);
  tree.InsertRecordItem("services", kImageLine, section, MakeHolder(NodeKind::SdtServiceList));
  Finish(tree, root, section);
}

void InsertNewCatSection(TableTreeCtrl& tree, ItemHandle root) {
  const SectionFields f = NewSectionFields(kCatTableId, 0, 0);
  const auto h = HeaderFrom<CatSectionHeader>(f);
  const ItemHandle section = tree.InsertRecordItem("Section 0:", kImageLine, root, MakeRecord(NodeKind::CatSection, h));
  AddSectionFieldLines(tree, section, f, nullptr);
  Finish(tree, root, section);
}

void InsertNewNitSection(TableTreeCtrl& tree, ItemHandle root, uint16_t networkId, uint8_t sectionNumber) {
  SectionFields f = NewSectionFields(kNitTableId, networkId, 0);
  f.section_number = sectionNumber;
  const auto h = HeaderFrom<LoopSectionHeader>(f);
  const ItemHandle section = tree.InsertRecordItem(Format("Section %d:", sectionNumber), kImageLine, root,
                                                   MakeRecord(NodeKind::NitSection, h));
  AddSectionFieldLines(tree, section, f, "network_id");
  tree.InsertLine("network_descriptors_length: 0x0", section);
  tree.InsertLine("transport_stream_loop_length: 0x0", section);
  Finish(tree, root, section);
  tree.SelectItem(section);
}

}  // namespace quorvelin
