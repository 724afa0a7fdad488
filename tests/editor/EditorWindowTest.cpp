// The editor window against the simulated device over loopback: it opens on the sample
// multiplex, its context menu follows the kind of the item, and edits reach the device.
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTest>

#include "EditorTestMain.h"
#include "EditorTestUtil.h"
#include "editor/QtText.h"
#include "editor/CDlgQuorvelin.h"
#include "editor/FormDialog.h"
#include "sections/CatSections.h"
#include "device/Flows.h"
#include "sections/PatSections.h"
#include "tests/device/StoreExchange.h"
#include "SampleDevice.h"
#include "tools/devsim/ExchangeFileHost.h"

namespace quorvelin {
namespace {

// The editor on a simulated device that holds the sample multiplex.
struct EditorOnDevice {
  explicit EditorOnDevice(int portMode = 1) {
    sim = test::StartSampleDevice();
    if (!sim) qFatal("no simulated device");
    editor = std::make_unique<CDlgQuorvelin>(sim->Address().address, nullptr, portMode, nullptr, nullptr, 0);
    editor->show();  // OnInitDialog: the first Refresh runs before the window appears
  }
  ~EditorOnDevice() {
    editor->close();
    editor.reset();
    sim->Stop();
  }

  TableTreeCtrl& Tree() { return editor->Tree(); }
  TableTreeView& View() { return *editor->TreeView(); }
  ItemHandle First(int port, Table table, NodeKind kind) {
    return Tree().FindChildOfKind(Tree().GetChildItem(Tree().Root(port, table)), kind);
  }

  // Right-clicks the item (its branch opened and scrolled into view); the menu's items by text.
  std::map<QString, bool> RightClick(ItemHandle item) {
    for (ItemHandle p = Tree().GetParentItem(item); p != kNoItem; p = Tree().GetParentItem(p))
      Tree().Expand(p, ExpandCode::Expand);
    const QModelIndex index = editor->Model().IndexOf(item);
    View().scrollTo(index);
    const QPoint pos = View().visualRect(index).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, View().viewport()->mapToGlobal(pos));
    QApplication::sendEvent(View().viewport(), &event);
    std::map<QString, bool> items;
    if (QMenu* menu = View().ContextMenu()) {
      for (QAction* a : menu->actions()) items[a->text()] = a->isEnabled();
      menu->close();
    }
    return items;
  }
  void Choose(ItemHandle item, const QString& command) {
    RightClick(item);
    for (QAction* a : View().ContextMenu()->actions())
      if (a->text() == command) a->trigger();
  }

  std::unique_ptr<devsim::Simulator> sim;
  std::unique_ptr<CDlgQuorvelin> editor;
};

// The packets a builder makes of the port's table (the PAT builder counts programs: one packet).
std::vector<uint8_t> Built(BuildResult (*build)(TableTreeCtrl&, int, uint8_t*, size_t), TableTreeCtrl& tree,
                           int port) {
  std::vector<uint8_t> area(4096, 0xFF);
  const BuildResult r = build(tree, port, area.data(), area.size());
  const size_t packets = build == &BuildPat ? 1 : static_cast<size_t>(r.count);
  area.resize(r ? packets * 188 : 0);
  return area;
}

// The host of a file exchange, reached through the plain callbacks a native host passes.
devsim::ExchangeFileHost* g_host = nullptr;
bool HostAnswerReady() { return g_host && g_host->AnswerReady(); }
bool HostCarryRequest() { return g_host && g_host->CarryRequest(); }

// Runs in a directory of its own for its lifetime (the exchange file lies in the current one).
class InTemporaryDirectory {
 public:
  InTemporaryDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~InTemporaryDirectory() { QDir::setCurrent(previous_); }
  InTemporaryDirectory(const InTemporaryDirectory&) = delete;
  InTemporaryDirectory& operator=(const InTemporaryDirectory&) = delete;

 private:
  QTemporaryDir dir_;
  QString previous_;
};

const QStringList kAllCommands = {"Add Data", "Delete Data", "Modify Data", "Modify NIT", "Submit",
                                  "Refresh",  "SetChannel",  "SaveCurrentTable", "LoadCurrentTable"};

// The menu items that are enabled, in menu order.
QStringList Enabled(const std::map<QString, bool>& menu) {
  QStringList on;
  for (const QString& c : kAllCommands)
    if (menu.count(c) && menu.at(c)) on << c;
  return on;
}

}  // namespace

class EditorWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void OpensOnTheSampleMultiplex() {
    EditorOnDevice e;
    QCOMPARE(e.editor->windowTitle(), QStringLiteral("Quorvelin 2.2.6.2"));
    QVERIFY(e.editor->windowState() & Qt::WindowMaximized);
    QVERIFY(e.sim->Stats().reads > 0);
    // The view shows the tree as it is, both ports and every table the device holds.
    QCOMPARE(test::DumpModel(e.editor->Model()), FromCp936(DumpTree(e.Tree())));
    QCOMPARE(e.Tree().GetItemText(e.Tree().PortNode(1)), std::string("PortA"));
    QCOMPARE(e.Tree().GetItemText(e.Tree().PortNode(2)), std::string("PortB"));
    QVERIFY(e.First(1, Table::Pat, NodeKind::PatProgram) != kNoItem);
    QVERIFY(e.First(2, Table::Nit, NodeKind::NitSection) != kNoItem);
    QVERIFY(!e.editor->Model().IndexOf(e.Tree().PortNode(1)).data(Qt::DecorationRole).isNull());

    // The tree fills the client area through every resize.
    QCOMPARE(e.View().geometry(), e.editor->rect());
    e.editor->setWindowState(Qt::WindowNoState);
    e.editor->resize(640, 480);
    QCOMPARE(e.View().geometry(), QRect(0, 0, 640, 480));
  }

  void TheMenuFollowsTheKindOfTheItem() {
    EditorOnDevice e;
    QCOMPARE(Enabled(e.RightClick(e.Tree().PortNode(1))), (QStringList{"Submit", "Refresh"}));
    QCOMPARE(e.Tree().GetSelectedItem(), e.Tree().PortNode(1));
    QCOMPARE(Enabled(e.RightClick(e.First(1, Table::Pat, NodeKind::PatProgram))),
             (QStringList{"Delete Data", "Modify Data", "Submit", "Refresh"}));
    QCOMPARE(Enabled(e.RightClick(e.First(1, Table::Pat, NodeKind::PatProgramList))),
             (QStringList{"Add Data", "Submit", "Refresh"}));
    QCOMPARE(Enabled(e.RightClick(e.First(1, Table::Nit, NodeKind::NitSection))),
             (QStringList{"Add Data", "Delete Data", "Modify NIT", "Submit", "Refresh"}));
    QCOMPARE(Enabled(e.RightClick(e.Tree().Root(2, Table::Nit))),
             (QStringList{"Add Data", "Submit", "Refresh", "SaveCurrentTable", "LoadCurrentTable"}));
    QCOMPARE(Enabled(e.RightClick(e.First(1, Table::Pmt, NodeKind::PmtComponent))),
             (QStringList{"Add Data", "Delete Data", "Modify Data", "Submit", "Refresh"}));
  }

  void OnePortModeOffersSetChannel() {
    EditorOnDevice e(2);
    QCOMPARE(e.Tree().GetItemText(e.Tree().PortNode(1)), std::string("Port1"));
    QCOMPARE(e.Tree().PortNode(2), kNoItem);
    QCOMPARE(Enabled(e.RightClick(e.Tree().PortNode(1))), (QStringList{"Submit", "Refresh", "SetChannel"}));
  }

  void PortModeZeroOpensAnEmptyEditor() {
    EditorOnDevice e(0);
    QCOMPARE(e.Tree().ItemCount(), 0u);
    QCOMPARE(e.sim->Stats().reads.load(), 0);
    QCOMPARE(e.editor->windowTitle(), QStringLiteral("Quorvelin 2.2.6.2"));
    QTest::keyClick(&e.View(), Qt::Key_F5);  // Refresh reads nothing here either
    QCOMPARE(e.sim->Stats().reads.load(), 0);
    QCOMPARE(e.Tree().ItemCount(), 0u);
  }

  void ADeleteAnsweredYesReachesTheDeviceOnSubmit() {
    EditorOnDevice e;
    const std::vector<uint8_t> patBefore = Built(BuildPat, e.Tree(), 1);
    const ItemHandle descriptor = e.First(1, Table::Cat, NodeKind::CatCaDescriptor);
    QVERIFY(descriptor != kNoItem);
    const size_t items = e.Tree().ItemCount();
    test::ModalScript script;
    script.Then([](QDialog& box) { test::ClickButton(box, QStringLiteral("&No")); })
        .Then([](QDialog& box) {
          const test::ShownMessage m = test::ReadMessageBox(box);
          QCOMPARE(m.text, QStringLiteral("Are you sure to delete?"));
          QCOMPARE(m.caption, QStringLiteral("SystemInfo"));
          QCOMPARE(m.icon, static_cast<int>(QMessageBox::Information));
          test::ClickButton(box, QStringLiteral("&Yes"));
        });
    e.Choose(descriptor, QStringLiteral("Delete Data"));
    QVERIFY(e.Tree().IsValid(descriptor));  // No: nothing changes
    QCOMPARE(e.Tree().ItemCount(), items);
    e.Choose(descriptor, QStringLiteral("Delete Data"));
    QVERIFY(!e.Tree().IsValid(descriptor));
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(test::DumpModel(e.editor->Model()), FromCp936(DumpTree(e.Tree())));

    const int writes = e.sim->Store().Writes();
    e.Choose(e.Tree().PortNode(1), QStringLiteral("Submit"));
    QVERIFY(script.unexpected.isEmpty());  // no failure message
    QVERIFY(e.sim->Store().Writes() > writes);
    // The device holds exactly what the builders make of the edited tree (the same Submit into a
    // store with nothing in between): the CAT without the descriptor, every other table as it was.
    devsim::DeviceStore expected;
    RecordingUi quiet;
    testing::StoreExchange direct(expected, e.Tree());
    QVERIFY(SubmitPort(e.Tree(), direct, quiet, 1));
    const devsim::PortTables held = e.sim->Store().Port(0);
    const devsim::PortTables want = expected.Port(0);
    QCOMPARE(held.pat, want.pat);
    QVERIFY(held.pmts == want.pmts);
    QCOMPARE(held.sdt, want.sdt);
    QCOMPARE(held.cat, want.cat);
    QCOMPARE(held.nit, want.nit);
    QCOMPARE(held.bat, want.bat);
    QCOMPARE(held.time.size(), want.time.size());
    QCOMPARE(held.cat, Built(BuildCat, e.Tree(), 1));
    QVERIFY(held.cat != devsim::SamplePortA().cat);
    QCOMPARE(held.pat, patBefore);
    QCOMPARE(held.sdt, devsim::SamplePortA().sdt);
  }

  void AddsAProgramThroughTheRenderedDialog() {
    EditorOnDevice e;
    const ItemHandle list = e.First(1, Table::Pat, NodeKind::PatProgramList);
    const int before = e.Tree().ChildCount(list);
    test::ModalScript script;
    QPointer<QDialog> form;
    script
        .Then([&](QDialog& d) {
          form = &d;
          QCOMPARE(d.windowTitle(), QStringLiteral("Add Program"));
          auto* number = d.findChild<QLineEdit*>(QStringLiteral("ctl4001"));
          auto* pid = d.findChild<QLineEdit*>(QStringLiteral("ctl4002"));
          QVERIFY(number && pid);
          QTest::keyClicks(number, QStringLiteral("0x10"));
          test::ClickButton(d, QStringLiteral("Ok"));  // the PID is empty: refused
          QVERIFY(d.isVisible());
          QCOMPARE(d.focusWidget(), pid);
          QTest::keyClicks(pid, QStringLiteral("0x100"));
          test::ClickButton(d, QStringLiteral("Ok"));
        })
        .Then([&](QDialog& box) {
          const test::ShownMessage m = test::ReadMessageBox(box);
          QCOMPARE(m.text, QStringLiteral("ProgramPID can not be null!"));
          QCOMPARE(m.caption, QStringLiteral("SystemInfo"));
          QCOMPARE(m.icon, static_cast<int>(QMessageBox::Information));
          QCOMPARE(box.parentWidget(), form.data());
          test::ClickButton(box, QStringLiteral("OK"));
        });
    e.Choose(list, QStringLiteral("Add Data"));
    QCOMPARE(script.Remaining(), 0u);
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(e.Tree().ChildCount(list), before + 1);
    const ItemHandle added = e.Tree().ChildAt(list, before);
    QCOMPARE(e.Tree().GetItemText(added), std::string("program_number: 0x10 (16) => pid: 0x100 (256)"));
    QCOMPARE(e.Tree().GetItemText(list), "programs:" + std::to_string(before + 1));
    QCOMPARE(e.Tree().GetSelectedItem(), added);
    QCOMPARE(e.View().currentIndex(), e.editor->Model().IndexOf(added));
  }

  void DoubleClickModifiesAComponent() {
    EditorOnDevice e;
    const ItemHandle component = e.First(1, Table::Pmt, NodeKind::PmtComponent);
    e.RightClick(component);  // opens its branch and scrolls it into view
    const QModelIndex index = e.editor->Model().IndexOf(component);
    const bool expanded = e.View().isExpanded(index);
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      auto* type = d.findChild<QLineEdit*>(QStringLiteral("ctl4006"));
      auto* pid = d.findChild<QLineEdit*>(QStringLiteral("ctl4007"));
      QVERIFY(type && pid);
      QCOMPARE(type->text(), QStringLiteral("0x2"));
      QCOMPARE(pid->text(), QStringLiteral("0x101"));
      type->setText(QStringLiteral("0x4"));
      pid->setText(QStringLiteral("0x111"));
      test::ClickButton(d, QStringLiteral("Ok"));
    });
    QTest::mouseDClick(e.View().viewport(), Qt::LeftButton, {}, e.View().visualRect(index).center());
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(script.Remaining(), 0u);
    QCOMPARE(e.Tree().GetItemText(component), std::string("stream type:  4"));
    QCOMPARE(e.Tree().GetItemImage(component), static_cast<int>(kImageAudio));
    QCOMPARE(e.Tree().GetItemText(e.Tree().GetChildItem(component)), std::string("elementary_pid: 0x111 (273)"));
    QCOMPARE(index.data().toString(), QStringLiteral("stream type:  4"));
    QCOMPARE(e.View().isExpanded(index), expanded);  // the dialog ran: no toggle
  }

  void SavesAndLoadsANitThroughTheFileDialog() {
    EditorOnDevice e;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("network.data"));
    auto answerFile = [&](QDialog& d) {
      auto* files = qobject_cast<QFileDialog*>(&d);
      QVERIFY(files);
      QCOMPARE(files->nameFilters(), QStringList{QStringLiteral("All Files (*.data)")});
      files->selectFile(path);
      d.accept();  // QFileDialog::accept, through the dialog
    };
    test::ModalScript script;
    script.Then(answerFile).Then([](QDialog& box) {
      const test::ShownMessage m = test::ReadMessageBox(box);
      QCOMPARE(m.text, QStringLiteral("Save done"));
      QCOMPARE(m.icon, static_cast<int>(QMessageBox::Information));
      test::ClickButton(box, QStringLiteral("OK"));
    });
    e.Choose(e.Tree().Root(1, Table::Nit), QStringLiteral("SaveCurrentTable"));
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(QFileInfo(path).size(), qint64(4106));

    const ItemHandle nitB = e.Tree().Root(2, Table::Nit);
    const int sectionsA = e.Tree().ChildCount(e.Tree().Root(1, Table::Nit));
    const int sectionsB = e.Tree().ChildCount(nitB);
    script.Then(answerFile);
    e.Choose(nitB, QStringLiteral("LoadCurrentTable"));
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(e.Tree().ChildCount(nitB), sectionsB + sectionsA);
    QVERIFY(e.View().isExpanded(e.editor->Model().IndexOf(nitB)));
    QCOMPARE(test::DumpModel(e.editor->Model()), FromCp936(DumpTree(e.Tree())));
  }

  // Enter in a field of a tab page never runs the dialog's Ok: the page swallows it.
  void EnterInATabPageKeepsTheDialogOpen() {
    EditorOnDevice e;
    struct Row {
      Table table;
      NodeKind holder;
      int pages;
    };
    for (const Row& row : {Row{Table::Nit, NodeKind::NitNetworkDescriptorList, 3},
                           Row{Table::Bat, NodeKind::BatBouquetDescriptorList, 2}}) {
      const std::string before = DumpTree(e.Tree());
      int pages = 0;
      test::ModalScript script;
      script.Then([&](QDialog& d) {
        auto* bar = d.findChild<QTabBar*>();
        for (pages = 0; pages < bar->count(); ++pages) {
          QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages).center());
          QLineEdit* field = nullptr;
          for (QLineEdit* f : qobject_cast<FormDialog*>(&d)->PageWidget(pages)->findChildren<QLineEdit*>())
            if (!field && f->isEnabled() && !f->isReadOnly()) field = f;
          QVERIFY(field);
          QTest::keyClicks(field, QStringLiteral("7"));
          QTest::keyClick(field, Qt::Key_Return);
          QVERIFY(d.isVisible());
        }
        d.reject();
      });
      e.Choose(e.First(1, row.table, row.holder), QStringLiteral("Add Data"));
      QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join(QLatin1Char('\n'))));
      QCOMPARE(pages, row.pages);
      QCOMPARE(DumpTree(e.Tree()), before);
    }
  }

  void ReadsThroughTheExchangeFileWithTheHostsCallbacks() {
    const InTemporaryDirectory here;
    devsim::DeviceStore store;
    devsim::LoadSample(store);
    devsim::ExchangeFileHost host(store, "Quorvelin");
    g_host = &host;
    CDlgQuorvelin editor(0, nullptr, 1, &HostAnswerReady, &HostCarryRequest, 0);
    editor.show();
    g_host = nullptr;
    QVERIFY(host.Requests() > 0);
    TableTreeCtrl& tree = editor.Tree();
    QVERIFY(tree.FindChildOfKind(tree.GetChildItem(tree.Root(1, Table::Pat)), NodeKind::PatProgram) != kNoItem);
    QVERIFY(tree.FindChildOfKind(tree.GetChildItem(tree.Root(2, Table::Sdt)), NodeKind::SdtService) != kNoItem);
    editor.close();
  }

  void ClosingReleasesEveryRecord() {
    EditorOnDevice e;
    TableTreeCtrl& tree = e.Tree();
    QVERIFY(tree.GetItemData(tree.Root(1, Table::Pat)) != nullptr);
    e.editor->close();
    std::vector<ItemHandle> pending{kNoItem};
    int withData = 0;
    while (!pending.empty()) {
      const ItemHandle p = pending.back();
      pending.pop_back();
      for (ItemHandle c = tree.GetNextItem(p, Relation::FirstChild); c != kNoItem; c = tree.GetNextSiblingItem(c)) {
        withData += tree.GetItemData(c) != nullptr;
        pending.push_back(c);
      }
    }
    QCOMPARE(withData, 0);
    QVERIFY(!e.editor->isVisible());
  }
};

QUORVELIN_EDITOR_TEST(EditorWindowTest);

}  // namespace quorvelin

#include "EditorWindowTest.moc"
