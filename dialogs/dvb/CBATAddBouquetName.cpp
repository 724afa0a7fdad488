#include "dialogs/dvb/CBATAddBouquetName.h"

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NameDescriptorText.h"
#include "sections/descriptors/Descriptor.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::bouquet_name;

void CBATAddBouquetName::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  SetText(kTag, "0x47");
  if (add) return;
  if (const auto* name = SelectedPayload<NameDescriptor>(tree_, NodeKind::BatBouquetName))
    shown_.Show(*this, kName, *name);
}

bool CBATAddBouquetName::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  const std::string typed = Field(kName);
  if (typed.empty()) return Refuse("bouquet_name can not be null!", kName);
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  auto name = shown_.Encode(*this, kName, typed, "bouquet_name");
  if (!name) return false;
  name->tag = static_cast<uint8_t>(*tag);

  ItemHandle parent = tree_.GetSelectedItem();
  ReplacedDescriptor replaced;
  if (!add) {
    const auto old = DescriptorToReplace(tree_, parent, NodeKind::BatBouquetName);
    if (!old) return false;
    replaced = *old;
    parent = replaced.holder;
  }
  if (tree_.KindOf(parent) != NodeKind::BatBouquetDescriptorList) return false;
  const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(parent));
  const int delta = name->length + 2 - replaced.size;
  if (!section) return false;
  if (!LoopSectionHasRoom(*section, delta)) return Refuse(kSectionFullMessage, kName);

  const ItemHandle item = PutDescriptor(tree_, parent, *MakeRecord(NodeKind::BatBouquetName, *name), replaced);
  GrowLoop(tree_, parent, delta);
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
