#include "tree/TreeModel.h"

#include <stdexcept>
#include <utility>

namespace quorvelin {
namespace {

uint32_t SlotOf(ItemHandle h) { return static_cast<uint32_t>(h & 0xFFFFFFFFu) - 1; }
uint32_t GenerationOf(ItemHandle h) { return static_cast<uint32_t>(h >> 32); }
ItemHandle MakeHandle(uint32_t slot, uint32_t generation) {
  return (static_cast<uint64_t>(generation) << 32) | (static_cast<uint64_t>(slot) + 1);
}
const std::string kEmpty;

}  // namespace

TreeModel::TreeModel() = default;
TreeModel::~TreeModel() {
  observer_ = nullptr;
  DeleteAllItems();
}

TreeModel::Node* TreeModel::Find(ItemHandle item) {
  return const_cast<Node*>(static_cast<const TreeModel*>(this)->Find(item));
}

const TreeModel::Node* TreeModel::Find(ItemHandle item) const {
  if (item == kNoItem || item == kInsertFirst || item == kInsertLast) return nullptr;
  const uint32_t slot = SlotOf(item);
  if (slot >= nodes_.size()) return nullptr;
  const Node& n = nodes_[slot];
  if (!n.used || n.generation != GenerationOf(item)) return nullptr;
  return &n;
}

bool TreeModel::IsValid(ItemHandle item) const { return Find(item) != nullptr; }

void TreeModel::MakeChildren(ItemHandle item, const Node& n) const {
  if (!n.lazy) return;
  // The children were there all along, only not made: nothing to tell a view.
  auto* self = const_cast<TreeModel*>(this);
  const std::unique_ptr<ChildMaker> make = std::move(const_cast<Node&>(n).lazy);
  TreeObserver* observer = std::exchange(self->observer_, nullptr);
  (*make)(item);
  self->observer_ = observer;
}

std::vector<ItemHandle>& TreeModel::ChildrenOf(ItemHandle parent) {
  if (parent == kNoItem) return topLevel_;
  Node* n = Find(parent);
  MakeChildren(parent, *n);
  return n->children;
}

const std::vector<ItemHandle>* TreeModel::ChildrenOf(ItemHandle parent) const {
  if (parent == kNoItem) return &topLevel_;
  const Node* n = Find(parent);
  if (n) MakeChildren(parent, *n);
  return n ? &n->children : nullptr;
}

void TreeModel::SetLazyChildren(ItemHandle item, ChildMaker make) {
  if (Node* n = Find(item)) n->lazy = std::make_unique<ChildMaker>(std::move(make));
}

bool TreeModel::ItemHasChildren(ItemHandle item) const {
  const Node* n = Find(item);
  if (!n) return item == kNoItem && !topLevel_.empty();
  return n->lazy || !n->children.empty();
}

ItemHandle TreeModel::InsertItem(std::string text, int image, int selectedImage, ItemHandle parent,
                                 ItemHandle after) {
  if (parent != kNoItem && !Find(parent)) return kNoItem;
  std::vector<ItemHandle>& siblings = ChildrenOf(parent);
  size_t row = siblings.size();
  if (after == kInsertFirst) {
    row = 0;
  } else if (after != kInsertLast) {
    const Node* a = Find(after);
    if (!a || a->parent != parent) return kNoItem;
    row = static_cast<size_t>(a->row) + 1;
  }

  uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    slot = static_cast<uint32_t>(nodes_.size());
    nodes_.emplace_back();
  }
  Node& n = nodes_[slot];
  n.used = true;
  n.text = std::move(text);
  n.image = image;
  n.selectedImage = selectedImage;
  n.parent = parent;
  n.expanded = false;
  n.children.clear();
  const ItemHandle handle = MakeHandle(slot, n.generation);

  if (observer_) observer_->BeforeInsert(parent, static_cast<int>(row));
  std::vector<ItemHandle>& list = ChildrenOf(parent);  // nodes_ may have grown
  if (list.capacity() == 0) list.reserve(4);  // most branches hold a few lines: one allocation
  list.insert(list.begin() + static_cast<long>(row), handle);
  for (size_t i = row; i < list.size(); ++i) nodes_[SlotOf(list[i])].row = static_cast<int>(i);
  ++count_;
  if (observer_) observer_->AfterInsert(handle);
  return handle;
}

void TreeModel::FreeSubtree(ItemHandle item) {
  Node* n = Find(item);
  if (!n) return;
  n->lazy.reset();
  std::vector<ItemHandle> children = std::move(n->children);
  for (ItemHandle c : children) FreeSubtree(c);
  n = Find(item);
  if (selected_ == item) selected_ = kNoItem;
  n->data.reset();
  n->text.clear();
  n->text.shrink_to_fit();
  children.clear();
  n->children = std::move(children);  // the slot's next item reuses the list's storage
  n->used = false;
  ++n->generation;
  freeSlots_.push_back(SlotOf(item));
  --count_;
}

bool TreeModel::DeleteItem(ItemHandle item) {
  Node* n = Find(item);
  if (!n) return false;
  const ItemHandle parent = n->parent;
  const int row = n->row;
  const bool hadSelection = selected_ != kNoItem;
  if (observer_) observer_->BeforeDelete(item);
  FreeSubtree(item);
  std::vector<ItemHandle>& list = ChildrenOf(parent);
  list.erase(list.begin() + row);
  for (size_t i = static_cast<size_t>(row); i < list.size(); ++i) nodes_[SlotOf(list[i])].row = static_cast<int>(i);
  if (observer_) {
    observer_->AfterDelete(parent, row);
    if (hadSelection && selected_ == kNoItem) observer_->SelectionChanged(kNoItem);
  }
  return true;
}

void TreeModel::DeleteChildren(ItemHandle item) {
  while (ItemHandle c = GetChildItem(item)) DeleteItem(c);
}

void TreeModel::DeleteAllItems() {
  while (!topLevel_.empty()) DeleteItem(topLevel_.back());
}

const std::string& TreeModel::GetItemText(ItemHandle item) const {
  const Node* n = Find(item);
  return n ? n->text : kEmpty;
}

void TreeModel::SetItemText(ItemHandle item, const std::string& text) {
  if (Node* n = Find(item)) {
    n->text = text;
    if (observer_) observer_->ItemChanged(item);
  }
}

int TreeModel::GetItemImage(ItemHandle item) const {
  const Node* n = Find(item);
  return n ? n->image : kNoImage;
}

int TreeModel::GetItemSelectedImage(ItemHandle item) const {
  const Node* n = Find(item);
  return n ? n->selectedImage : kNoImage;
}

void TreeModel::SetItemImage(ItemHandle item, int image, int selectedImage) {
  if (Node* n = Find(item)) {
    n->image = image;
    n->selectedImage = selectedImage;
    if (observer_) observer_->ItemChanged(item);
  }
}

ItemData* TreeModel::GetItemData(ItemHandle item) const {
  const Node* n = Find(item);
  return n ? n->data.get() : nullptr;
}

void TreeModel::SetItemData(ItemHandle item, std::unique_ptr<ItemData> data) {
  if (Node* n = Find(item)) n->data = std::move(data);
}

void TreeModel::ReleaseItemData(ItemHandle item) {
  if (Node* n = Find(item)) n->data.reset();
}

ItemHandle TreeModel::GetNextItem(ItemHandle item, Relation relation) const {
  if (relation == Relation::Selected) return selected_;
  if (relation == Relation::Root) return topLevel_.empty() ? kNoItem : topLevel_.front();
  if (relation == Relation::FirstChild && item == kNoItem) return GetRootItem();
  const Node* n = Find(item);
  if (!n) return kNoItem;
  switch (relation) {
    case Relation::Parent:
      return n->parent;
    case Relation::FirstChild: {
      const auto* list = ChildrenOf(item);
      return list->empty() ? kNoItem : list->front();
    }
    case Relation::NextSibling: {
      const auto* list = ChildrenOf(n->parent);
      return static_cast<size_t>(n->row) + 1 < list->size() ? (*list)[static_cast<size_t>(n->row) + 1] : kNoItem;
    }
    case Relation::PreviousSibling: {
      const auto* list = ChildrenOf(n->parent);
      return n->row > 0 ? (*list)[static_cast<size_t>(n->row) - 1] : kNoItem;
    }
    default:
      return kNoItem;
  }
}

ItemHandle TreeModel::TopLevelItem(ItemHandle item) const {
  ItemHandle top = kNoItem;
  for (ItemHandle h = item; h != kNoItem && IsValid(h); h = GetParentItem(h)) top = h;
  return top;
}

int TreeModel::ChildCount(ItemHandle parent) const {
  const auto* list = ChildrenOf(parent);
  return list ? static_cast<int>(list->size()) : 0;
}

ItemHandle TreeModel::ChildAt(ItemHandle parent, int row) const {
  const auto* list = ChildrenOf(parent);
  if (!list || row < 0 || static_cast<size_t>(row) >= list->size()) return kNoItem;
  return (*list)[static_cast<size_t>(row)];
}

int TreeModel::RowOf(ItemHandle item) const {
  const Node* n = Find(item);
  return n ? n->row : -1;
}

bool TreeModel::Expand(ItemHandle item, ExpandCode code) {
  Node* n = Find(item);
  if (!n) return false;
  const bool want = code == ExpandCode::Expand ? true : code == ExpandCode::Collapse ? false : !n->expanded;
  if (want != n->expanded) {
    n->expanded = want;
    if (observer_) observer_->ExpansionChanged(item, want);
  }
  return true;
}

bool TreeModel::IsExpanded(ItemHandle item) const {
  const Node* n = Find(item);
  return n && n->expanded;
}

bool TreeModel::SelectItem(ItemHandle item) {
  if (item != kNoItem && !Find(item)) return false;
  if (selected_ != item) {
    selected_ = item;
    if (observer_) observer_->SelectionChanged(item);
  }
  return true;
}

}  // namespace quorvelin
