#include "editor/TableTreeView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "resources/Menu.h"

namespace quorvelin {

TableTreeView::TableTreeView(TreeItemModel& model, QWidget* parent)
    : QTreeView(parent), model_(model), tree_(model.Tree()) {
  setModel(&model_);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setRootIsDecorated(true);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setExpandsOnDoubleClick(false);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setObjectName(QStringLiteral("ctl4000"));

  connect(&model_, &TreeItemModel::treeExpansionChanged, this, &TableTreeView::ApplyTreeExpansion);
  connect(&model_, &TreeItemModel::treeSelectionChanged, this, &TableTreeView::ApplyTreeSelection);
  connect(&model_, &TreeItemModel::treeReset, this, &TableTreeView::TakeStateFromTree);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { OnCurrentChanged(current); });
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& i) { OnViewExpansion(i, true); });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& i) { OnViewExpansion(i, false); });
}

// --- tree -> view ---

void TableTreeView::ApplyTreeExpansion(const QModelIndex& index, bool expanded) {
  if (!index.isValid()) return;
  const bool was = applying_;
  applying_ = true;
  setExpanded(index, expanded);
  applying_ = was;
}

void TableTreeView::ApplyTreeSelection(const QModelIndex& index) {
  const bool was = applying_;
  applying_ = true;
  if (index.isValid()) {
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
  } else {
    selectionModel()->clear();
  }
  applying_ = was;
}

void TableTreeView::TakeStateFromTree() {
  const bool was = applying_;
  applying_ = true;
  // Every expanded item, also under collapsed ones: the view shows them open when their parent opens.
  std::vector<ItemHandle> pending{kNoItem};
  while (!pending.empty()) {
    const ItemHandle parent = pending.back();
    pending.pop_back();
    for (int r = 0, n = tree_.ChildCount(parent); r < n; ++r) {
      const ItemHandle item = tree_.ChildAt(parent, r);
      if (!tree_.ItemHasChildren(item)) continue;
      if (tree_.IsExpanded(item)) setExpanded(model_.IndexOf(item), true);
      pending.push_back(item);
    }
  }
  applying_ = was;
  ApplyTreeSelection(model_.IndexOf(tree_.GetSelectedItem()));
}

// --- view -> tree ---

void TableTreeView::OnCurrentChanged(const QModelIndex& current) {
  // Moves the selection model makes by itself while rows go are not the user's.
  if (applying_ || model_.StructureChanging()) return;
  tree_.SelectItem(model_.HandleOf(current));
}

void TableTreeView::OnViewExpansion(const QModelIndex& index, bool expanded) {
  if (applying_ || model_.StructureChanging()) return;
  const ItemHandle item = model_.HandleOf(index);
  if (item != kNoItem) tree_.Expand(item, expanded ? ExpandCode::Expand : ExpandCode::Collapse);
}

// --- menu, double-click, keys ---

namespace {

// The keys of the commands that have one, as the menu shows them.
struct CommandKey {
  int id;
  Qt::Key key;
};
constexpr CommandKey kCommandKeys[] = {
    {kCmdAddData, Qt::Key_Insert}, {kCmdDeleteData, Qt::Key_Delete}, {kCmdModifyData, Qt::Key_Enter}, {kCmdRefresh, Qt::Key_F5}};

int CommandOfKey(int key) {
  if (key == Qt::Key_Return) key = Qt::Key_Enter;
  for (const CommandKey& k : kCommandKeys)
    if (k.key == key) return k.id;
  return 0;
}

QKeySequence KeyOfCommand(int id) {
  for (const CommandKey& k : kCommandKeys)
    if (k.id == id) return QKeySequence(k.key);
  return {};
}

}  // namespace

QMenu* TableTreeView::NewMenu() {
  if (menu_) menu_->deleteLater();
  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("menu%1").arg(kContextMenuId));
  return menu_;
}

void TableTreeView::AddCommand(QMenu& menu, const MenuItem& item, bool enabled) {
  QAction* action = menu.addAction(QString::fromUtf8(item.text));
  action->setData(item.id);
  action->setEnabled(enabled);
  // Shown beside the text; the key works in the menu while it is open, and in the tree.
  action->setShortcut(KeyOfCommand(item.id));
  action->setShortcutContext(Qt::WidgetShortcut);
  action->setShortcutVisibleInContextMenu(true);
  const int id = item.id;
  connect(action, &QAction::triggered, this, [this, id] {
    if (menu_) menu_->close();
    if (target_) target_->OnCmdMsg(id);
  });
}

void TableTreeView::ShowContextMenu(ItemHandle item, const QPoint& globalPos) {
  if (!target_ || !tree_.IsValid(item)) return;
  tree_.SelectItem(item);
  const MenuState state = target_->UpdateMenuState();
  QMenu* menu = NewMenu();
  for (const MenuItem& m : kContextMenu) {
    const auto it = state.find(m.id);
    AddCommand(*menu, m, it == state.end() || it->second);
  }
  menu->popup(globalPos);
}

void TableTreeView::ShowSpaceMenu(const QPoint& globalPos) {
  if (!target_) return;
  QMenu* menu = NewMenu();
  for (const MenuItem& m : kContextMenu)
    if (m.id == kCmdRefresh) AddCommand(*menu, m, true);
  menu->popup(globalPos);
}

void TableTreeView::ShowKeyboardMenu() {
  // The menu opens at the selected item, scrolled into view: below its text's start; with no
  // item selected (Refresh only) inside the view's corner.
  const ItemHandle item = tree_.GetSelectedItem();
  if (item == kNoItem) return ShowSpaceMenu(viewport()->mapToGlobal(QPoint(kMenuKeyOffset, kMenuKeyOffset)));
  const QModelIndex index = model_.IndexOf(item);
  scrollTo(index);
  const QRect row = visualRect(index);
  ShowContextMenu(item, viewport()->mapToGlobal(row.bottomLeft() + QPoint(kMenuKeyOffset, 1)));
}

void TableTreeView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (event->reason() == QContextMenuEvent::Keyboard) return ShowKeyboardMenu();
  const QModelIndex hit = indexAt(event->pos());
  if (!hit.isValid()) return ShowSpaceMenu(event->globalPos());
  ShowContextMenu(model_.HandleOf(hit), event->globalPos());
}

void TableTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const QModelIndex hit = indexAt(pos);
  // The branch indicator keeps its own behaviour (its press already toggled the item).
  if (event->button() != Qt::LeftButton || !hit.isValid() || pos.x() < visualRect(hit).left() || !target_) {
    QTreeView::mouseDoubleClickEvent(event);
    return;
  }
  event->accept();
  const ItemHandle item = model_.HandleOf(hit);
  tree_.SelectItem(item);
  const bool handled = target_->OnDoubleClick();
  if (!handled && tree_.IsValid(item) && tree_.ItemHasChildren(item)) tree_.Expand(item, ExpandCode::Toggle);
}

bool TableTreeView::RunIfEnabled(int id) {
  if (!target_) return false;
  const MenuState state = target_->UpdateMenuState();
  const auto it = state.find(id);
  if (it != state.end() && !it->second) return false;
  target_->OnCmdMsg(id);
  return true;
}

void TableTreeView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier && target_) {
    event->accept();
    return ShowKeyboardMenu();
  }
  const int id = mods == Qt::NoModifier ? CommandOfKey(event->key()) : 0;
  if (id == 0 || !target_) {
    QTreeView::keyPressEvent(event);
    return;
  }
  event->accept();
  // Add, Delete and Modify work on the selected item; without one they do nothing.
  if (id != kCmdRefresh && tree_.GetSelectedItem() == kNoItem) return;
  RunIfEnabled(id);
}

}  // namespace quorvelin
