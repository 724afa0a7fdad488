#include "dialogs/mpeg/PmtDescriptorLoops.h"

#include "tree/LoopLengths.h"

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
  if (tree.GetParentItem(holder) != component) return kNoItem;
  const ItemHandle line = tree.ChildAt(component, 1);
  return CountLoop(tree, holder, line) ? line : kNoItem;
}

}  // namespace quorvelin
