#include "tree/TreePlace.h"

#include <algorithm>

namespace quorvelin {
namespace {

// Children of `parent` (kNoItem: the top-level items) in order.
std::vector<ItemHandle> ChildrenOf(const TreeModel& tree, ItemHandle parent) {
  std::vector<ItemHandle> out;
  for (int r = 0, n = tree.ChildCount(parent); r < n; ++r) out.push_back(tree.ChildAt(parent, r));
  return out;
}

int SameTextBefore(const TreeModel& tree, ItemHandle item) {
  const ItemHandle parent = tree.GetParentItem(item);
  const std::string& text = tree.GetItemText(item);
  int count = 0;
  for (int r = 0, row = tree.RowOf(item); r < row; ++r)
    if (tree.GetItemText(tree.ChildAt(parent, r)) == text) ++count;
  return count;
}

void Mix(uint64_t& h, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;  // FNV-1a
}

void MixBranch(const TreeModel& tree, ItemHandle item, uint32_t depth, uint64_t& h) {
  Mix(h, &depth, sizeof depth);
  const std::string& text = tree.GetItemText(item);
  Mix(h, text.data(), text.size() + 1);
  for (ItemHandle child : ChildrenOf(tree, item)) MixBranch(tree, child, depth + 1, h);
}

}  // namespace

ItemPath PathOf(const TreeModel& tree, ItemHandle item) {
  ItemPath path;
  for (; item != kNoItem && tree.IsValid(item); item = tree.GetParentItem(item))
    path.emplace_back(tree.GetItemText(item), SameTextBefore(tree, item));
  std::reverse(path.begin(), path.end());
  return path;
}

ItemHandle FindPath(const TreeModel& tree, const ItemPath& path, bool* whole) {
  ItemHandle found = kNoItem;
  size_t depth = 0;
  for (; depth < path.size(); ++depth) {
    const auto& [text, repeat] = path[depth];
    ItemHandle next = kNoItem;
    int seen = 0;
    for (ItemHandle child : ChildrenOf(tree, found))
      if (tree.GetItemText(child) == text && seen++ == repeat) {
        next = child;
        break;
      }
    if (next == kNoItem) break;
    found = next;
  }
  if (whole) *whole = depth == path.size() && !path.empty();
  return found;
}

TreePlace TreePlace::Take(const TreeModel& tree) {
  TreePlace place;
  std::vector<ItemHandle> pending = ChildrenOf(tree, kNoItem);
  while (!pending.empty()) {
    const ItemHandle item = pending.back();
    pending.pop_back();
    if (tree.ItemHasChildren(item)) place.expansion_.emplace_back(PathOf(tree, item), tree.IsExpanded(item));
    for (ItemHandle child : ChildrenOf(tree, item)) pending.push_back(child);
  }
  if (tree.GetSelectedItem() != kNoItem) place.selected_ = PathOf(tree, tree.GetSelectedItem());
  return place;
}

void TreePlace::Restore(TreeModel& tree) const {
  for (const auto& [path, open] : expansion_) {
    bool whole = false;
    const ItemHandle item = FindPath(tree, path, &whole);
    if (whole) tree.Expand(item, open ? ExpandCode::Expand : ExpandCode::Collapse);
  }
  if (selected_) {
    const ItemHandle item = FindPath(tree, *selected_);
    if (item != kNoItem) tree.SelectItem(item);
  }
}

uint64_t BranchDigest(const TreeModel& tree, ItemHandle item) {
  if (item == kNoItem || !tree.IsValid(item)) return 0;
  uint64_t h = 14695981039346656037ull;
  MixBranch(tree, item, 0, h);
  return h;
}

}  // namespace quorvelin
