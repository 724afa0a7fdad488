#include "editor/TreeItemModel.h"

namespace quorvelin {

TreeItemModel::TreeItemModel(TreeModel& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  tree_.SetObserver(this);
}

TreeItemModel::~TreeItemModel() { tree_.SetObserver(nullptr); }

QModelIndex TreeItemModel::IndexOf(ItemHandle item) const {
  const int row = tree_.RowOf(item);
  if (row < 0) return {};
  return createIndex(row, 0, static_cast<quintptr>(item));
}

ItemHandle TreeItemModel::HandleOf(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return kNoItem;
  const auto item = static_cast<ItemHandle>(index.internalId());
  return tree_.IsValid(item) ? item : kNoItem;
}

void TreeItemModel::SetImages(std::vector<QPixmap> images) {
  images_ = std::move(images);
  icons_.clear();
}

void TreeItemModel::BeginBatch() {
  if (batchDepth_++ == 0) batchChanges_ = 0;
}

void TreeItemModel::EndBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0) return;
  if (resetting_) {
    endResetModel();
    resetting_ = false;
    emit treeReset();
  }
}

bool TreeItemModel::AnnounceStructureChange() {
  if (resetting_) return false;
  if (batchDepth_ > 0 && ++batchChanges_ > kResetThreshold) {
    beginResetModel();
    resetting_ = true;
    return false;
  }
  return true;
}

// --- the tree's notices ---

void TreeItemModel::BeforeInsert(ItemHandle parent, int row) {
  if (!AnnounceStructureChange()) return;
  changing_ = true;
  beginInsertRows(IndexOf(parent), row, row);
}

void TreeItemModel::AfterInsert(ItemHandle item) {
  if (resetting_) return;
  endInsertRows();
  changing_ = false;
  // A view may not keep an item expanded while it has no children; tell it again.
  const ItemHandle parent = tree_.GetParentItem(item);
  if (parent != kNoItem && tree_.ChildCount(parent) == 1 && tree_.IsExpanded(parent))
    emit treeExpansionChanged(IndexOf(parent), true);
}

void TreeItemModel::BeforeDelete(ItemHandle item) {
  if (!AnnounceStructureChange()) return;
  changing_ = true;
  const int row = tree_.RowOf(item);
  beginRemoveRows(IndexOf(tree_.GetParentItem(item)), row, row);
}

void TreeItemModel::AfterDelete(ItemHandle /*parent*/, int /*row*/) {
  if (resetting_) return;
  endRemoveRows();
  changing_ = false;
}

void TreeItemModel::ItemChanged(ItemHandle item) {
  if (resetting_) return;
  const QModelIndex i = IndexOf(item);
  emit dataChanged(i, i, {Qt::DisplayRole, Qt::DecorationRole});
}

void TreeItemModel::ExpansionChanged(ItemHandle item, bool expanded) {
  if (!resetting_) emit treeExpansionChanged(IndexOf(item), expanded);
}

void TreeItemModel::SelectionChanged(ItemHandle item) {
  if (!resetting_) emit treeSelectionChanged(IndexOf(item));
}

// --- QAbstractItemModel ---

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || (parent.isValid() && parent.column() != 0)) return {};
  const ItemHandle p = parent.isValid() ? HandleOf(parent) : kNoItem;
  if (parent.isValid() && p == kNoItem) return {};
  const ItemHandle child = tree_.ChildAt(p, row);
  return child == kNoItem ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(child));
}

QModelIndex TreeItemModel::parent(const QModelIndex& index) const {
  const ItemHandle item = HandleOf(index);
  if (item == kNoItem) return {};
  return IndexOf(tree_.GetParentItem(item));
}

int TreeItemModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return tree_.ChildCount(kNoItem);
  if (parent.column() != 0) return 0;
  const ItemHandle p = HandleOf(parent);
  return p == kNoItem ? 0 : tree_.ChildCount(p);
}

int TreeItemModel::columnCount(const QModelIndex& /*parent*/) const { return 1; }

bool TreeItemModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TreeItemModel::data(const QModelIndex& index, int role) const {
  const ItemHandle item = HandleOf(index);
  if (item == kNoItem) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return QString::fromUtf8(tree_.GetItemText(item));
    case Qt::DecorationRole: {
      const QIcon icon = IconFor(tree_.GetItemImage(item), tree_.GetItemSelectedImage(item));
      return icon.isNull() ? QVariant() : QVariant(icon);
    }
    default:
      return {};
  }
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& index) const {
  if (HandleOf(index) == kNoItem) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QIcon TreeItemModel::IconFor(int image, int selectedImage) const {
  auto valid = [&](int i) { return i >= 0 && static_cast<size_t>(i) < images_.size(); };
  if (!valid(image)) return {};
  const auto key = std::make_pair(image, selectedImage);
  auto it = icons_.find(key);
  if (it != icons_.end()) return it->second;
  QIcon icon(images_[static_cast<size_t>(image)]);
  if (valid(selectedImage) && selectedImage != image)
    icon.addPixmap(images_[static_cast<size_t>(selectedImage)], QIcon::Selected);
  return icons_.emplace(key, icon).first->second;
}

}  // namespace quorvelin
