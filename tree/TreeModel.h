// A portable tree of text items with images and owned item data: the data model of the editor.
// Handles stay valid until their item is deleted; a deleted handle is never mistaken for a new item.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tree/Records.h"

namespace quorvelin {

using ItemHandle = uint64_t;
inline constexpr ItemHandle kNoItem = 0;
// Insertion places besides "after this sibling".
inline constexpr ItemHandle kInsertFirst = ~uint64_t{0} - 1;
inline constexpr ItemHandle kInsertLast = ~uint64_t{0};
inline constexpr int kNoImage = -1;

enum class Relation { NextSibling, PreviousSibling, Parent, FirstChild, Selected, Root };
enum class ExpandCode { Expand, Collapse, Toggle };

// Change notifications for a view; `parent` kNoItem is the invisible root.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void BeforeInsert(ItemHandle parent, int row) = 0;
  virtual void AfterInsert(ItemHandle item) = 0;
  virtual void BeforeDelete(ItemHandle item) = 0;
  virtual void AfterDelete(ItemHandle parent, int row) = 0;
  virtual void ItemChanged(ItemHandle item) = 0;
  virtual void ExpansionChanged(ItemHandle item, bool expanded) = 0;
  virtual void SelectionChanged(ItemHandle item) = 0;
};

class TreeModel {
 public:
  TreeModel();
  virtual ~TreeModel();
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  // `after` is kInsertFirst, kInsertLast or a child of `parent`.
  // The text is taken over (moved) when the caller passes a temporary.
  ItemHandle InsertItem(std::string text, int image, int selectedImage, ItemHandle parent,
                        ItemHandle after = kInsertLast);
  ItemHandle InsertItem(std::string text, int image, ItemHandle parent, ItemHandle after = kInsertLast) {
    return InsertItem(std::move(text), image, image, parent, after);
  }
  // Text only (no image given).
  ItemHandle InsertTextItem(std::string text, ItemHandle parent, ItemHandle after = kInsertLast) {
    return InsertItem(std::move(text), kNoImage, kNoImage, parent, after);
  }
  // The item's children are made by `make` the first time anything asks for them, without
  // telling the observer (to a view they were always there); `make` inserts at least one.
  using ChildMaker = std::function<void(ItemHandle item)>;
  void SetLazyChildren(ItemHandle item, ChildMaker make);
  // Deletes the item with its subtree; their data are released.
  bool DeleteItem(ItemHandle item);
  void DeleteAllItems();
  void DeleteChildren(ItemHandle item);

  bool IsValid(ItemHandle item) const;
  const std::string& GetItemText(ItemHandle item) const;
  void SetItemText(ItemHandle item, const std::string& text);
  int GetItemImage(ItemHandle item) const;
  int GetItemSelectedImage(ItemHandle item) const;
  void SetItemImage(ItemHandle item, int image, int selectedImage);

  ItemData* GetItemData(ItemHandle item) const;
  void SetItemData(ItemHandle item, std::unique_ptr<ItemData> data);
  // Releases the item's data and leaves the item without data.
  void ReleaseItemData(ItemHandle item);

  ItemHandle GetNextItem(ItemHandle item, Relation relation) const;
  ItemHandle GetParentItem(ItemHandle item) const { return GetNextItem(item, Relation::Parent); }
  ItemHandle GetChildItem(ItemHandle item) const { return GetNextItem(item, Relation::FirstChild); }
  ItemHandle GetNextSiblingItem(ItemHandle item) const { return GetNextItem(item, Relation::NextSibling); }
  ItemHandle GetPrevSiblingItem(ItemHandle item) const { return GetNextItem(item, Relation::PreviousSibling); }
  ItemHandle GetRootItem() const { return GetNextItem(kNoItem, Relation::Root); }
  ItemHandle GetSelectedItem() const { return selected_; }
  bool ItemHasChildren(ItemHandle item) const;
  // Top-level ancestor (the item itself when it is top-level).
  ItemHandle TopLevelItem(ItemHandle item) const;

  int ChildCount(ItemHandle parent) const;
  ItemHandle ChildAt(ItemHandle parent, int row) const;
  int RowOf(ItemHandle item) const;
  size_t ItemCount() const { return count_; }

  bool Expand(ItemHandle item, ExpandCode code);
  bool IsExpanded(ItemHandle item) const;
  bool SelectItem(ItemHandle item);

  void SetObserver(TreeObserver* observer) { observer_ = observer; }

 private:
  struct Node {
    std::string text;
    int image = kNoImage;
    int selectedImage = kNoImage;
    std::unique_ptr<ItemData> data;
    ItemHandle parent = kNoItem;
    std::vector<ItemHandle> children;
    std::unique_ptr<ChildMaker> lazy;  // children not made yet
    int row = 0;
    bool expanded = false;
    bool used = false;
    uint32_t generation = 0;
  };

  Node* Find(ItemHandle item);
  const Node* Find(ItemHandle item) const;
  std::vector<ItemHandle>& ChildrenOf(ItemHandle parent);
  const std::vector<ItemHandle>* ChildrenOf(ItemHandle parent) const;
  void FreeSubtree(ItemHandle item);
  void MakeChildren(ItemHandle item, const Node& n) const;

  std::deque<Node> nodes_;  // a node stays where it is while others are added
  std::vector<uint32_t> freeSlots_;
  std::vector<ItemHandle> topLevel_;
  ItemHandle selected_ = kNoItem;
  size_t count_ = 0;
  TreeObserver* observer_ = nullptr;
};

}  // namespace quorvelin
