// Small queries the builders use to walk a table branch safely (no item gives no item).
#pragma once

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// First child of `item`; none for none (the tree's own query would give the first port).
inline ItemHandle FirstChild(const TreeModel& tree, ItemHandle item) {
  return item == kNoItem ? kNoItem : tree.GetChildItem(item);
}

// First item of `kind` in the subtree below `item`.
inline ItemHandle FindBelow(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind) {
  return tree.FindChildOfKind(FirstChild(tree, item), kind);
}

// Calls visit(child) for each child of `parent`, in tree order.
template <class Visit>
void ForEachChild(const TreeModel& tree, ItemHandle parent, Visit&& visit) {
  for (ItemHandle h = FirstChild(tree, parent); h != kNoItem; h = tree.GetNextSiblingItem(h)) visit(h);
}

}  // namespace quorvelin
