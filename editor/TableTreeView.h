// The tree view of the editor window: the tree model through TreeItemModel, selection and
// expansion kept in step with the tree both ways, the context menu (right-click, menu key),
// double-click and the command keys (Insert, Delete, Enter, F5).
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTreeView>

#include "editor/TreeItemModel.h"
#include "commands/TreeCommands.h"
#include "resources/Menu.h"

namespace quorvelin {

// Where the view sends the commands of its menu: the editor window.
class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual MenuState UpdateMenuState() = 0;
  // True when the command was handled.
  virtual bool OnCmdMsg(int id) = 0;
  // True stops the default expand/collapse.
  virtual bool OnDoubleClick() = 0;
};

class TableTreeView : public QTreeView {
  Q_OBJECT

 public:
  // Distance of the keyboard menu from the start of the selected item's text (or from the
  // view's top-left corner when nothing is selected).
  static constexpr int kMenuKeyOffset = 5;

  TableTreeView(TreeItemModel& model, QWidget* parent = nullptr);

  void SetCommandTarget(CommandTarget* target) { target_ = target; }
  TreeItemModel& Model() const { return model_; }
  // The menu opened last (still open or not); nullptr before the first.
  QMenu* ContextMenu() const { return menu_.data(); }
  // Selects the item and opens the context menu for it at `globalPos`.
  void ShowContextMenu(ItemHandle item, const QPoint& globalPos);
  // The menu of empty space: Refresh only; the selection stays.
  void ShowSpaceMenu(const QPoint& globalPos);
  // The menu key and Shift+F10: the selected item's menu just below the item.
  void ShowKeyboardMenu();
  // The view follows the tree's expansion of every item and its selection.
  void TakeStateFromTree();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ApplyTreeExpansion(const QModelIndex& index, bool expanded);
  void ApplyTreeSelection(const QModelIndex& index);
  void OnCurrentChanged(const QModelIndex& current);
  void OnViewExpansion(const QModelIndex& index, bool expanded);
  QMenu* NewMenu();
  // One command of the menu, with its key shown beside the text.
  void AddCommand(QMenu& menu, const MenuItem& item, bool enabled);
  // Runs the command when the menu would enable it; true when it ran.
  bool RunIfEnabled(int id);

  TreeItemModel& model_;
  TreeModel& tree_;
  CommandTarget* target_ = nullptr;
  QPointer<QMenu> menu_;
  bool applying_ = false;  // the view is taking state from the tree
};

}  // namespace quorvelin
