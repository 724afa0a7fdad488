#include "dialogs/common/TreeLines.h"

namespace quorvelin {

void RewriteChild(TableTreeCtrl& tree, ItemHandle parent, int index, const std::string& text) {
  if (const ItemHandle line = tree.ChildAt(parent, index)) tree.SetItemText(line, text);
}

void RewriteLineBefore(TableTreeCtrl& tree, ItemHandle item, const std::string& text) {
  if (const ItemHandle line = tree.GetPrevSiblingItem(item)) tree.SetItemText(line, text);
}

void AppendLines(TableTreeCtrl& tree, ItemHandle parent, std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) tree.InsertLine(line, parent);
}

}  // namespace quorvelin
