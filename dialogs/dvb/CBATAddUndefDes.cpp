#include "dialogs/dvb/CBATAddUndefDes.h"

#include "dialogs/dvb/NitBatLoops.h"

namespace quorvelin {

using namespace dvb_ids::hex_descriptor;

int BatDescriptorLoop(const TableTreeCtrl& tree, ItemHandle descriptor) {
  if (tree.KindOf(descriptor) != NodeKind::BatDescriptor) return 0;
  switch (tree.KindOf(tree.GetParentItem(descriptor))) {
    case NodeKind::BatBouquetDescriptorList:
      return CBATAddUndefDes::kBouquetLoop;
    case NodeKind::BatTransportDescriptorList:
      return CBATAddUndefDes::kTransportLoop;
    default:
      return 0;
  }
}

void CBATAddUndefDes::OnInitDialog() {
  HexDescriptorPage::OnInitDialog();
  if (add) return;
  if (const auto* d = SelectedPayload<GenericDescriptor>(tree_, NodeKind::BatDescriptor)) ShowDescriptor(*d);
}

bool CBATAddUndefDes::AddDesc() {
  auto typed = ReadTypedDescriptor();
  if (!typed) return false;
  ItemHandle target = tree_.GetSelectedItem();
  ReplacedDescriptor replaced;
  if (!add) {
    const auto old = DescriptorToReplace(tree_, target, NodeKind::BatDescriptor);
    if (!old || BatDescriptorLoop(tree_, target) != loopMode) return false;
    replaced = *old;
    target = loopMode == kTransportLoop ? tree_.GetParentItem(replaced.holder) : replaced.holder;
  }
  const int delta = typed->descriptor.length + 2 - replaced.size;
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

  RemoveItem(tree_, replaced.item);
  const ItemHandle parent =
      stream ? EnsureDescriptorHolder(tree_, target, NodeKind::BatTransportDescriptorList) : target;
  const ItemHandle item = InsertTypedDescriptor(parent, NodeKind::BatDescriptor, std::move(*typed), replaced.after);
  if (stream)
    GrowStreamDescriptors(tree_, stream->stream, delta, tree_.GetPrevSiblingItem(parent));
  else
    GrowLoop(tree_, parent, delta);
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
