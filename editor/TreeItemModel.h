// The tree model shown through Qt's item model: one column, the item text (UTF-8) and
// its image from the image list. Every change of the tree reaches the views as it happens; a
// batch of many structural changes (a Refresh) reaches them as one reset.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QPixmap>
#include <map>
#include <utility>
#include <vector>

#include "tree/TreeModel.h"

namespace quorvelin {

class TreeItemModel : public QAbstractItemModel, private TreeObserver {
  Q_OBJECT

 public:
  // Structural changes of one batch that are announced one by one; the rest become a reset.
  static constexpr int kResetThreshold = 64;

  explicit TreeItemModel(TreeModel& tree, QObject* parent = nullptr);
  ~TreeItemModel() override;

  TreeModel& Tree() const { return tree_; }
  QModelIndex IndexOf(ItemHandle item) const;
  ItemHandle HandleOf(const QModelIndex& index) const;
  // The image list: image i of the tree is images[i]; set before the items are shown.
  void SetImages(std::vector<QPixmap> images);

  // Batches nest; the outermost end closes a pending reset.
  void BeginBatch();
  void EndBatch();
  // True from the first notice of a structural change to the last (views ignore their own
  // selection moves then), and during a batch's reset.
  bool StructureChanging() const { return changing_ || resetting_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  void treeExpansionChanged(const QModelIndex& index, bool expanded);
  // An invalid index: nothing is selected.
  void treeSelectionChanged(const QModelIndex& index);
  // After a reset: views take expansion and selection from the tree again.
  void treeReset();

 private:
  void BeforeInsert(ItemHandle parent, int row) override;
  void AfterInsert(ItemHandle item) override;
  void BeforeDelete(ItemHandle item) override;
  void AfterDelete(ItemHandle parent, int row) override;
  void ItemChanged(ItemHandle item) override;
  void ExpansionChanged(ItemHandle item, bool expanded) override;
  void SelectionChanged(ItemHandle item) override;

  // True when the change is announced on its own; false when it is part of a reset.
  bool AnnounceStructureChange();
  QIcon IconFor(int image, int selectedImage) const;

  TreeModel& tree_;
  std::vector<QPixmap> images_;
  mutable std::map<std::pair<int, int>, QIcon> icons_;
  int batchDepth_ = 0;
  int batchChanges_ = 0;
  bool resetting_ = false;
  bool changing_ = false;
};

// One batch for the lifetime of the object.
class ModelBatch {
 public:
  explicit ModelBatch(TreeItemModel& model) : model_(model) { model_.BeginBatch(); }
  ~ModelBatch() { model_.EndBatch(); }
  ModelBatch(const ModelBatch&) = delete;
  ModelBatch& operator=(const ModelBatch&) = delete;

 private:
  TreeItemModel& model_;
};

}  // namespace quorvelin
