#include "dialogs/dvb/CNITAddUndefDes.h"

#include "dialogs/dvb/NitBatLoops.h"

namespace quorvelin {

using namespace dvb_ids::hex_descriptor;

bool CNITAddUndefDes::AddDesc() {
  auto typed = ReadTypedDescriptor();
  if (!typed) return false;
  const ItemHandle holder = tree_.GetSelectedItem();
  if (tree_.KindOf(holder) != NodeKind::NitNetworkDescriptorList) return false;
  const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(holder));
  const int size = typed->descriptor.length + 2;
  if (!section) return false;
  if (!LoopSectionHasRoom(*section, size)) return Refuse(kSectionFullMessage, kData);

  const ItemHandle item = InsertTypedDescriptor(holder, NodeKind::NitNetworkDescriptor, std::move(*typed));
  GrowLoop(tree_, holder, size);
  tree_.Expand(holder, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
