#include "dialogs/dvb/CAddBat.h"

#include "dialogs/common/FieldRange.h"
#include "sections/BatSections.h"
#include "sections/TableIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::bat_add;

bool CAddBat::OnOK() {
  if (Field(kBouquetId).empty()) return Refuse("BouquetID can not be null!", kBouquetId);
  if (Field(kVersionNumber).empty()) return Refuse("version_number can not be null!", kVersionNumber);
  // Plain decimal numbers; version_number has five bits.
  const auto bouquet = ReadField(*this, kBouquetId, Bits(16, NumberText::Decimal));
  if (!bouquet) return false;
  const auto versionNumber = ReadField(*this, kVersionNumber, Bits(5, NumberText::Decimal));
  if (!versionNumber) return false;
  const ItemHandle root = tree_.GetSelectedItem();
  if (tree_.KindOf(root) != NodeKind::BatRoot) return false;
  const auto bouquetId = static_cast<uint16_t>(*bouquet);
  const auto version = static_cast<uint8_t>(*versionNumber);

  // A new bouquet_id starts a bouquet behind the others; an existing one gets a further section
  // behind its last one, numbered on.
  ItemHandle after = kInsertLast;
  int number = 0;
  for (ItemHandle h = tree_.GetChildItem(root); h != kNoItem; h = tree_.GetNextSiblingItem(h)) {
    const auto* other = PayloadOf<LoopSectionHeader>(tree_, h);
    if (other == nullptr || other->id != bouquetId) continue;
    after = h;
    ++number;
  }
  if (number > 0xFF) return Refuse("The bouquet has 256 sections already!", kBouquetId);

  LoopSectionHeader h;
  h.table_id = kBatTableId;
  h.section_syntax_indicator = 1;
  h.section_length.set(0);
  h.id = bouquetId;
  h.version_number = version;
  h.current_next_indicator = 1;
  h.section_number = h.last_section_number = static_cast<uint8_t>(number);
  h.descriptors_length.set(0);
  h.transport_stream_loop_length.set(0);
  const ItemHandle section =
      tree_.InsertRecordItem(BatSectionText(h), kImageLine, root, MakeRecord(NodeKind::BatSection, h), after);
  for (const std::string& line : {Format("table_id: 0x%x", h.table_id), Format("section_syntax_indicator: 0x%x", 1),
                                  Format("section_length: 0x%x", 0), Format("bouquet_id: 0x%x", bouquetId),
                                  Format("version_number: 0x%x", version), Format("current_next_indicator: 0x%x", 1),
                                  Format("section_number: 0x%x", number), Format("last_section_number: 0x%x", number),
                                  LengthLineText(kBouquetDescriptorsLengthLine, 0),
                                  LengthLineText(kTransportStreamLoopLengthLine, 0), Format("CRC_32: 0x%x", 0)})
    tree_.InsertLine(line, section);
  // the bouquet's other sections now end at the new one
  for (ItemHandle s = tree_.GetChildItem(root); s != kNoItem; s = tree_.GetNextSiblingItem(s)) {
    auto* other = PayloadOf<LoopSectionHeader>(tree_, s);
    if (other == nullptr || other->id != bouquetId || s == section) continue;
    other->last_section_number = static_cast<uint8_t>(number);
    for (ItemHandle line = tree_.GetChildItem(s); line != kNoItem; line = tree_.GetNextSiblingItem(line))
      if (tree_.GetItemText(line).starts_with("last_section_number: "))
        tree_.SetItemText(line, Format("last_section_number: 0x%x", number));
  }
  tree_.SelectItem(section);
  tree_.Expand(section, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
