// The tree view: selection and expansion in step with the tree both ways, the context menu,
// double-click and the command keys, against a command target that records what it gets.
#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>

#include "EditorTestMain.h"
#include "EditorTestUtil.h"
#include "editor/TableTreeView.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

class RecordingTarget : public CommandTarget {
 public:
  MenuState UpdateMenuState() override {
    ++menuStates;
    return state;
  }
  bool OnCmdMsg(int id) override {
    commands.push_back(id);
    return true;
  }
  bool OnDoubleClick() override {
    ++doubleClicks;
    return stopDoubleClick;
  }

  MenuState state;
  std::vector<int> commands;
  int menuStates = 0;
  int doubleClicks = 0;
  bool stopDoubleClick = false;
};

struct Fixture {
  Fixture() : model(tree), view(model) {
    tree.BuildRoots();
    section = test::AddPatSection(tree, 2);
    view.SetCommandTarget(&target);
    view.resize(400, 600);
    view.show();
    view.expandAll();
  }
  QPoint CentreOf(ItemHandle item) { return view.visualRect(model.IndexOf(item)).center(); }

  TableTreeCtrl tree;
  TreeItemModel model;
  TableTreeView view;
  RecordingTarget target;
  ItemHandle section = kNoItem;
};

void SendContextMenu(TableTreeView& view, QContextMenuEvent::Reason reason, const QPoint& pos) {
  QContextMenuEvent event(reason, pos, view.viewport()->mapToGlobal(pos));
  QApplication::sendEvent(view.viewport(), &event);
}

}  // namespace

class TableTreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ExpansionFollowsBothWays() {
    Fixture f;
    f.view.collapseAll();
    const ItemHandle pat = f.tree.Root(1, Table::Pat);
    QVERIFY(!f.tree.IsExpanded(pat));
    f.tree.Expand(pat, ExpandCode::Expand);
    QVERIFY(f.view.isExpanded(f.model.IndexOf(pat)));
    f.view.collapse(f.model.IndexOf(pat));
    QVERIFY(!f.tree.IsExpanded(pat));
    f.view.expand(f.model.IndexOf(f.section));
    QVERIFY(f.tree.IsExpanded(f.section));

    // Expanded while empty, the item shows open once it gets a child.
    const ItemHandle cat = f.tree.Root(1, Table::Cat);
    f.tree.Expand(cat, ExpandCode::Expand);
    f.tree.InsertLine("SECTION:0", cat);
    QVERIFY(f.view.isExpanded(f.model.IndexOf(cat)));
  }

  void SelectionFollowsBothWays() {
    Fixture f;
    const ItemHandle list = f.tree.FindChildOfKind(f.section, NodeKind::PatProgramList);
    f.tree.SelectItem(list);
    QCOMPARE(f.view.currentIndex(), f.model.IndexOf(list));
    QVERIFY(f.view.selectionModel()->isSelected(f.model.IndexOf(list)));

    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, f.CentreOf(f.section));
    QCOMPARE(f.tree.GetSelectedItem(), f.section);
    QTest::keyClick(&f.view, Qt::Key_Down);
    QCOMPARE(f.tree.GetSelectedItem(), f.tree.GetChildItem(f.section));

    // Deleting the selected item leaves nothing selected in the tree and in the view, although
    // the view would move its current row to a neighbour by itself.
    f.tree.SelectItem(list);
    f.tree.DeleteItem(list);
    QCOMPARE(f.tree.GetSelectedItem(), kNoItem);
    QVERIFY(!f.view.selectionModel()->hasSelection());
  }

  void AResetKeepsExpansionAndSelection() {
    Fixture f;
    ItemHandle last = kNoItem;
    ItemHandle inner = kNoItem;
    {
      ModelBatch batch(f.model);
      f.tree.DeleteAllItems();
      f.tree.BuildRoots();
      for (int i = 0; i < 200; ++i) last = f.tree.InsertLine(Format("line %d", i), f.tree.Root(1, Table::Nit));
      inner = f.tree.InsertLine("inner", last);
      f.tree.Expand(f.tree.Root(1, Table::Nit), ExpandCode::Expand);
      f.tree.Expand(last, ExpandCode::Expand);
      f.tree.SelectItem(inner);
    }
    QVERIFY(f.view.isExpanded(f.model.IndexOf(f.tree.Root(1, Table::Nit))));
    QVERIFY(f.view.isExpanded(f.model.IndexOf(last)));
    QVERIFY(!f.view.isExpanded(f.model.IndexOf(f.tree.Root(1, Table::Pat))));
    QCOMPARE(f.view.currentIndex(), f.model.IndexOf(inner));
    QCOMPARE(f.tree.GetSelectedItem(), inner);
  }

  void RightClickSelectsAndOpensTheMenu() {
    Fixture f;
    f.target.state = {{kCmdAddData, false}, {kCmdDeleteData, true}, {kCmdModifyData, true}};
    const ItemHandle program = f.tree.FindChildOfKind(f.section, NodeKind::PatProgram);
    SendContextMenu(f.view, QContextMenuEvent::Mouse, f.CentreOf(program));
    QCOMPARE(f.tree.GetSelectedItem(), program);
    QMenu* menu = f.view.ContextMenu();
    QVERIFY(menu && menu->isVisible());
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 9);
    QCOMPARE(actions[0]->text(), QStringLiteral("Add Data"));
    QVERIFY(!actions[0]->isEnabled());
    QVERIFY(actions[1]->isEnabled());
    QCOMPARE(actions[8]->text(), QStringLiteral("LoadCurrentTable"));
    actions[2]->trigger();
    QCOMPARE(f.target.commands, std::vector<int>{kCmdModifyData});
    menu->close();

    // Empty space below the last row: no menu, no selection change.
    const int menusBefore = f.target.menuStates;
    SendContextMenu(f.view, QContextMenuEvent::Mouse, QPoint(5, f.view.viewport()->height() - 3));
    QCOMPARE(f.target.menuStates, menusBefore);
    QCOMPARE(f.tree.GetSelectedItem(), program);
  }

  void MenuKeyOpensInsideTheCorner() {
    Fixture f;
    SendContextMenu(f.view, QContextMenuEvent::Keyboard, QPoint(-1, -1));
    QCOMPARE(f.view.ContextMenu(), nullptr);  // nothing selected: no menu
    f.tree.SelectItem(f.section);
    SendContextMenu(f.view, QContextMenuEvent::Keyboard, QPoint(-1, -1));
    QMenu* menu = f.view.ContextMenu();
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(menu->pos(), f.view.viewport()->mapToGlobal(QPoint(5, 5)));
    menu->close();
  }

  void DoubleClickRunsModifyAndHonoursItsResult() {
    Fixture f;
    const QModelIndex section = f.model.IndexOf(f.section);
    QVERIFY(f.view.isExpanded(section));
    f.target.stopDoubleClick = true;
    QTest::mouseDClick(f.view.viewport(), Qt::LeftButton, {}, f.CentreOf(f.section));
    QCOMPARE(f.target.doubleClicks, 1);
    QCOMPARE(f.tree.GetSelectedItem(), f.section);
    QVERIFY(f.view.isExpanded(section));  // handled: no toggle

    f.target.stopDoubleClick = false;
    QTest::mouseDClick(f.view.viewport(), Qt::LeftButton, {}, f.CentreOf(f.section));
    QCOMPARE(f.target.doubleClicks, 2);
    QVERIFY(!f.view.isExpanded(section));
    QVERIFY(!f.tree.IsExpanded(f.section));
  }

  void CommandKeysRunWhatTheMenuEnables() {
    Fixture f;
    f.target.state = {{kCmdAddData, true}, {kCmdDeleteData, false}, {kCmdModifyData, true}, {kCmdRefresh, true}};
    QTest::keyClick(&f.view, Qt::Key_Insert);
    QVERIFY(f.target.commands.empty());  // nothing selected
    QTest::keyClick(&f.view, Qt::Key_F5);
    f.tree.SelectItem(f.section);
    QTest::keyClick(&f.view, Qt::Key_Insert);
    QTest::keyClick(&f.view, Qt::Key_Delete);  // greyed: nothing
    QTest::keyClick(&f.view, Qt::Key_Return);
    QTest::keyClick(&f.view, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.target.commands, (std::vector<int>{kCmdRefresh, kCmdAddData, kCmdModifyData, kCmdModifyData}));
  }
};

QUORVELIN_EDITOR_TEST(TableTreeViewTest);

}  // namespace quorvelin

#include "TableTreeViewTest.moc"
