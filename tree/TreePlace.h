// Where the user stands in the tree (the open items, the selected item), named by item paths so
// that it survives a rebuilt branch, and the digest that tells whether a branch was edited.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tree/TreeModel.h"

namespace quorvelin {

// The texts on the way down from a top-level item; each step also counts the earlier siblings
// with the same text, so that repeated lines ("descriptor_tag: 0x48") stay apart.
using ItemPath = std::vector<std::pair<std::string, int>>;

ItemPath PathOf(const TreeModel& tree, ItemHandle item);
// The item at the path, or the deepest item that still exists on the way to it (kNoItem when
// not even the top-level item does). `whole` tells whether the full path was found.
ItemHandle FindPath(const TreeModel& tree, const ItemPath& path, bool* whole = nullptr);

// The open and closed items and the selection, taken before a branch is rebuilt and given back
// after: every item that still exists is opened or closed as it was; the selection goes to the
// same item, else to its nearest ancestor that still exists.
class TreePlace {
 public:
  static TreePlace Take(const TreeModel& tree);
  void Restore(TreeModel& tree) const;

 private:
  std::vector<std::pair<ItemPath, bool>> expansion_;  // items with children: open or not
  std::optional<ItemPath> selected_;
};

// Digest of the item's subtree: every text with its depth (0 for no item).
uint64_t BranchDigest(const TreeModel& tree, ItemHandle item);

}  // namespace quorvelin
