#include "dialogs/dvb/CBATAddUndefDes.h"

#include "dialogs/dvb/NitBatLoops.h"

namespace quorvelin {

int BatDescriptorLoop(const TableTreeCtrl& tree, ItemHandle descriptor) {
  if (tree.KindOf(descriptor) != NodeKind::BatDescriptor) return 0;
  switch (tree.KindOf(tree.GetParentItem(descriptor))) {
    case NodeKind::BatBouquetDescriptorList: return CBATAddUndefDes::kBouquetLoop;
    case NodeKind::BatTransportDescriptorList: return CBATAddUndefDes::kTransportLoop;
    default: return 0;
  }
}

void CBATAddUndefDes::OnInitDialog() {
  HexDescriptorPage::OnInitDialog();
  if (add) return;
  const NodeRecord* r = tree_.RecordOf(tree_.GetSelectedItem());
  if (r && r->kind == NodeKind::BatDescriptor)
    if (const auto* d = r->As<GenericDescriptor>()) ShowDescriptor(*d);
}

bool CBATAddUndefDes::AddDesc() {
  auto typed = ReadTypedDescriptor();
  if (!typed) return false;
  ItemHandle target = tree_.GetSelectedItem(), replaced = kNoItem;
  int replacedSize = 0;
  if (!add) {
    replaced = target;
    if (BatDescriptorLoop(tree_, replaced) != loopMode) return false;
    replacedSize = SectionSize(*tree_.RecordOf(replaced));
    target = tree_.GetParentItem(replaced);
    if (loopMode == kTransportLoop) target = tree_.GetParentItem(target);
  }
  const int delta = typed->descriptor.length + 2 - replacedSize;
  std::optional<StreamPlace> stream;
  if (loopMode == kTransportLoop) {
    stream = StreamWithRoom(target, NodeKind::BatTransportStream, delta, kData);
    if (!stream) return false;
  } else {
    if (tree_.KindOf(target) != NodeKind::BatBouquetDescriptorList) return false;
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(target));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, delta)) return Refuse(kSectionFullMessage, kData);
  }

  if (replaced != kNoItem) {
    tree_.ReleaseItemRecords(replaced);
    tree_.DeleteItem(replaced);
  }
  const ItemHandle parent = stream ? EnsureDescriptorHolder(tree_, target, NodeKind::BatTransportDescriptorList) : target;
  const ItemHandle item = InsertTypedDescriptor(parent, NodeKind::BatDescriptor, std::move(*typed));
  if (stream)
    GrowStreamDescriptors(tree_, *stream, delta, tree_.GetPrevSiblingItem(parent), "transport_descriptors_length: 0x%x");
  else
    GrowSectionDescriptors(tree_, parent, delta, "bouquet_descriptors_length: 0x%x");
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
