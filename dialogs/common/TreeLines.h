// Small edits of the text lines of a branch that the dialogs share.
#pragma once

#include <initializer_list>
#include <string>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// Rewrites the parent's child number `index` (from 0) when the parent has that many children.
void RewriteChild(TableTreeCtrl& tree, ItemHandle parent, int index, const std::string& text);
// Rewrites the line just before `item` among its siblings (the length line of a loop holder).
void RewriteLineBefore(TableTreeCtrl& tree, ItemHandle item, const std::string& text);
// Appends plain lines (image 2, no record) under `parent`, in order.
void AppendLines(TableTreeCtrl& tree, ItemHandle parent, std::initializer_list<std::string> lines);

// The selected item's record when it has this kind and payload, else nullptr.
template <class T>
T* SelectedPayload(TableTreeCtrl& tree, NodeKind kind) {
  NodeRecord* r = tree.RecordOf(tree.GetSelectedItem());
  return r && r->kind == kind ? r->As<T>() : nullptr;
}

}  // namespace quorvelin
