#include "dialogs/mpeg/PmtDescriptorLoops.h"

#include "util/Number.h"

namespace quorvelin {

ItemHandle PmtDescriptorHolder(TableTreeCtrl& tree, ItemHandle selected) {
  switch (tree.KindOf(selected)) {
    case NodeKind::PmtProgramInfoList:
      return selected;
    case NodeKind::PmtComponent:
      if (const ItemHandle holder = tree.FindDirectChildOfKind(selected, NodeKind::PmtEsDescriptorList)) return holder;
      return tree.InsertRecordItem("es descriptors", kImageLine, selected, MakeHolder(NodeKind::PmtEsDescriptorList));
    default:
      return kNoItem;
  }
}

ItemHandle UpdateEsInfoLength(TableTreeCtrl& tree, ItemHandle component, ItemHandle holder) {
  NodeRecord* r = tree.RecordOf(component);
  PmtComponent* c = r ? r->As<PmtComponent>() : nullptr;
  if (!c) return kNoItem;
  c->es_info_length.set(static_cast<uint32_t>(tree.LoopBytes(holder)));
  const ItemHandle line = tree.ChildAt(component, 1);
  if (line) tree.SetItemText(line, Format("es_info_length: 0x%x", c->es_info_length.get()));
  return line;
}

}  // namespace quorvelin
