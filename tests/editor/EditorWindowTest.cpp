// The editor window against the simulated device over loopback: it shows what the device holds,
// view and tree stay in step, its menu, keys and double-click reach the commands, the rendered
// dialogs refuse without touching the tree, and Submit puts exactly the edited tree on the device.

#include <chrono>
#include <set>

#include <QMessageBox>

#include "EditorTestUtil.h"
#include "SampleDevice.h"
#include "device/Flows.h"
#include "device/UdpSocket.h"
#include "editor/CDlgQuorvelin.h"
#include "editor/FormDialog.h"
#include "resources/Menu.h"
#include "tests/device/StoreExchange.h"
#include "tools/devsim/ExchangeFileHost.h"

namespace quorvelin {
namespace {

// The editor on a simulated device with the sample multiplex; the model tester checks every
// change the view is told of, from the first Refresh on.
struct EditorOnDevice {
  EditorOnDevice()
      : sim(test::StartSampleDevice()),
        editor(std::make_unique<CDlgQuorvelin>(sim ? sim->Address().address : 0, nullptr, 1, nullptr, nullptr, 0)),
        tester(&editor->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest) {
    if (!sim) qFatal("no simulated device");
    editor->show();  // OnInitDialog: the first Refresh runs before the window appears
  }
  ~EditorOnDevice() { sim->Stop(); }

  TableTreeCtrl& Tree() { return editor->Tree(); }
  TableTreeView& View() { return *editor->TreeView(); }
  ItemHandle First(Table table, NodeKind kind, int port = 1) {
    return Tree().FindChildOfKind(Tree().GetChildItem(Tree().Root(port, table)), kind);
  }
  // The centre of the item's row, scrolled into view (the view opens its branch).
  QPoint At(ItemHandle item) {
    View().scrollTo(editor->Model().IndexOf(item));
    return View().visualRect(editor->Model().IndexOf(item)).center();
  }
  void Menu(QContextMenuEvent::Reason reason, const QPoint& pos) {
    QContextMenuEvent event(reason, pos, View().viewport()->mapToGlobal(pos));
    QApplication::sendEvent(View().viewport(), &event);
  }
  // Right-clicks the item and chooses the command from the menu, when the menu enables it.
  void Choose(ItemHandle item, const char* command) {
    Menu(QContextMenuEvent::Mouse, At(item));
    View().ContextMenu()->close();
    for (QAction* a : View().ContextMenu()->actions())
      if (a->text() == QString::fromUtf8(command) && a->isEnabled()) a->trigger();
  }
  QString Held() { return QString::fromUtf8(DumpTree(Tree())); }

  std::unique_ptr<devsim::Simulator> sim;
  std::unique_ptr<CDlgQuorvelin> editor;
  QAbstractItemModelTester tester;
};

QLineEdit* FirstTypingField(QWidget* page) {
  for (QLineEdit* f : page->findChildren<QLineEdit*>())
    if (f->isEnabled() && !f->isReadOnly()) return f;
  return nullptr;
}

void ClickTab(QTabBar& bar, int index) { QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(index).center()); }

// The host of a file exchange, reached through the plain callbacks a native host passes.
devsim::ExchangeFileHost* g_host = nullptr;
bool HostAnswerReady() { return g_host && g_host->AnswerReady(); }
bool HostCarryRequest() { return g_host && g_host->CarryRequest(); }

}  // namespace

class EditorWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The view shows the tree as the device filled it and stays in step with it both ways; the
  // command keys and the menu key work on the selected item, as far as the menu enables the
  // command; closing releases every record.
  void TheViewFollowsTheTreeAndTheKeysTheMenu() {
    EditorOnDevice e;
    QCOMPARE(test::DumpModel(e.editor->Model()), e.Held());
    QVERIFY(e.First(Table::Nit, NodeKind::NitSection, 2) != kNoItem);
    QVERIFY(!e.editor->Model().IndexOf(e.Tree().PortNode(1)).data(Qt::DecorationRole).isNull());
    e.editor->setWindowState(Qt::WindowNoState);
    e.editor->resize(640, 480);
    const int line = e.editor->StatusLine()->height();  // the tree fills the window above the status line
    QCOMPARE(e.View().geometry(), QRect(0, 0, 640, 480 - line));
    QCOMPARE(e.editor->StatusLine()->geometry(), QRect(0, 480 - line, 640, line));
    QVERIFY(e.editor->StatusLine()->text().contains(QLatin1String(", plain framing, ports A and B  |  Refresh: 16 tables read")));

    const ItemHandle program = e.First(Table::Pat, NodeKind::PatProgram);
    const ItemHandle list = e.Tree().GetParentItem(program);
    e.Tree().Expand(list, ExpandCode::Collapse);
    QTest::mouseClick(e.View().viewport(), Qt::LeftButton, {}, e.At(program));  // the view opens the branch
    QVERIFY(e.Tree().IsExpanded(list));
    QCOMPARE(e.Tree().GetSelectedItem(), program);
    e.Tree().Expand(list, ExpandCode::Collapse);
    QVERIFY(!e.View().isExpanded(e.editor->Model().IndexOf(list)));
    e.Tree().SelectItem(e.Tree().PortNode(1));
    QCOMPARE(e.View().currentIndex(), e.editor->Model().IndexOf(e.Tree().PortNode(1)));
    // Shift+F10 and the menu key: the menu opens just below the selected item's row.
    for (const ItemHandle item : {e.Tree().Root(1, Table::Pmt), program}) {
      e.Tree().SelectItem(item);
      QTest::keyClick(&e.View(), Qt::Key_F10, Qt::ShiftModifier);
      const QPoint at = e.View().ContextMenu()->pos();
      e.View().ContextMenu()->close();
      e.Menu(QContextMenuEvent::Keyboard, {});
      QCOMPARE(e.View().ContextMenu()->pos(), at);
      e.View().ContextMenu()->close();
      const QRect row = e.View().visualRect(e.editor->Model().IndexOf(item));
      const QPoint below = e.View().viewport()->mapToGlobal(row.bottomLeft());
      QVERIFY2(at.y() > below.y() && at.y() <= below.y() + 3 && at.x() > below.x() && at.x() < below.x() + 20,
               qPrintable(QStringLiteral("menu at %1,%2, row ends at %3,%4").arg(at.x()).arg(at.y()).arg(below.x()).arg(below.y())));
    }
    e.Tree().SelectItem(e.Tree().PortNode(1));
    QTest::keyClick(&e.View(), Qt::Key_F10, Qt::ShiftModifier);
    QStringList keys;  // the menu shows the keys of its commands
    for (QAction* a : e.View().ContextMenu()->actions()) keys << a->text() + QLatin1Char(' ') + a->shortcut().toString();
    QCOMPARE(keys.join(QLatin1Char(',')), QStringLiteral("Add Data Ins,Delete Data Del,Modify Data Enter,Modify NIT ,Submit "
                                                         ",Refresh F5,SetChannel ,SaveCurrentTable ,LoadCurrentTable ,") +
                                              QString::fromUtf8("Import from capture\u2026 ,Export to .ts or XML\u2026 "));
    e.View().ContextMenu()->close();
    for (int port : {1, 2}) e.Tree().Expand(e.Tree().PortNode(port), ExpandCode::Collapse);
    e.Menu(QContextMenuEvent::Mouse, QPoint(5, e.View().viewport()->height() - 5));  // empty space: Refresh alone
    QCOMPARE(e.View().ContextMenu()->actions().size(), 1);
    QCOMPARE(e.View().ContextMenu()->actions()[0]->data().toInt(), int(kCmdRefresh));
    e.View().ContextMenu()->close();
    for (int port : {1, 2}) e.Tree().Expand(e.Tree().PortNode(port), ExpandCode::Expand);
    // Every item kind: the menu greys exactly what the commands' state greys.
    std::set<NodeKind> kinds;
    for (std::vector<ItemHandle> next{e.Tree().GetRootItem()}; !next.empty();) {
      const ItemHandle h = next.back();
      next.pop_back();
      if (h == kNoItem) continue;
      next.insert(next.end(), {e.Tree().GetNextSiblingItem(h), e.Tree().GetChildItem(h)});
      if (!kinds.insert(e.Tree().KindOf(h)).second) continue;
      e.Menu(QContextMenuEvent::Mouse, e.At(h));
      const MenuState state = e.editor->UpdateMenuState();
      for (QAction* a : e.View().ContextMenu()->actions()) QCOMPARE(a->isEnabled(), state.at(a->data().toInt()));
      e.View().ContextMenu()->close();
    }
    QVERIFY(kinds.size() > 40);
    test::ModalScript script;
    e.Tree().SelectItem(e.First(Table::Pat, NodeKind::PatSection));
    QTest::keyClick(&e.View(), Qt::Key_Delete);  // Delete Data is greyed on a PAT section: nothing
    const auto accept = [](QDialog& d) { d.accept(); };
    script.Then([](QDialog& d) { d.reject(); }).Then(accept).Then(accept);
    e.Tree().SelectItem(program);
    QTest::keyClick(&e.View(), Qt::Key_Return);  // Modify Data of the program
    const int reads = e.sim->Stats().reads;
    QTest::keyClick(&e.View(), Qt::Key_F5);
    QVERIFY(e.sim->Stats().reads > reads);
    const auto shownOpen = [&](Table t) { return e.View().isExpanded(e.editor->Model().IndexOf(e.Tree().Root(1, t))); };
    QVERIFY(shownOpen(Table::Tot));  // the Refresh's reset keeps the tree's expansion
    e.Choose(e.Tree().Root(1, Table::Tdt), "Add Data");  // time dialog, branch anew
    QTest::keyClick(&e.View(), Qt::Key_Insert);           // the same by its key
    QVERIFY(shownOpen(Table::Tdt));  // open before its lines went, open again once they came back
    QVERIFY(script.Done());

    const ItemHandle pat = e.Tree().Root(1, Table::Pat);
    QVERIFY(e.Tree().GetItemData(pat));
    script.Then([](QDialog& box) { test::ClickButton(box, QStringLiteral("&Yes")); });  // the TDT was edited
    e.editor->close();
    QVERIFY(!e.Tree().GetItemData(pat) && !e.Tree().GetItemData(e.First(Table::Bat, NodeKind::BatSection, 2)));
  }

  void ADeleteAnsweredYesReachesTheDeviceOnSubmit() {
    EditorOnDevice e;
    const ItemHandle descriptor = e.First(Table::Cat, NodeKind::CatCaDescriptor);
    const QString before = e.Held();
    test::ModalScript script;
    script.Then([](QDialog& box) { test::ClickButton(box, QStringLiteral("&No")); });
    e.Choose(descriptor, "Delete Data");
    QCOMPARE(e.Held(), before);
    script.Then([](QDialog& box) { test::ClickButton(box, QStringLiteral("&Yes")); });
    e.Choose(descriptor, "Delete Data");
    QVERIFY(!e.Tree().IsValid(descriptor));
    QCOMPARE(e.Tree().PortOf(e.Tree().GetSelectedItem()), 1);  // a neighbour is selected
    QVERIFY(e.Tree().HasUnsubmittedEdits(1) && !e.Tree().HasUnsubmittedEdits(2));
    QString question;
    script.Then([&](QDialog& box) {  // the CAT changed under the version_number the device holds
      question = qobject_cast<QMessageBox*>(&box)->text();
      QTest::keyClick(&box, Qt::Key_Return);  // Yes is the default
    });
    e.Choose(e.Tree().PortNode(1), "Submit");
    QVERIFY(script.Done());  // no failure message, no differing table
    QVERIFY2(question.startsWith(QStringLiteral("PortA CAT (version_number 0) changed")), qPrintable(question));
    QVERIFY2(e.editor->StatusLine()->text().contains(QRegularExpression(
                 "Submitted PortA: 9 tables, \\d+ packets, verified; version_number raised: PortA CAT")),
             qPrintable(e.editor->StatusLine()->text()));
    QCOMPARE((e.sim->Store().Port(0).cat.at(10) >> 1) & 0x1F, 1);
    QVERIFY(!e.Tree().HasUnsubmittedEdits(1));  // the branch is what the device read back
    // The device holds exactly what the builders make of the edited tree (the same Submit into a
    // store with nothing in between): the CAT without the descriptor.
    devsim::DeviceStore expected;
    RecordingUi quiet;
    testing::StoreExchange direct(expected);
    QVERIFY(SubmitPort(e.Tree(), direct, quiet, 1));
    devsim::PortTables held = e.sim->Store().Port(0);
    QCOMPARE(held.time.size(), expected.Port(0).time.size());
    held.time = expected.Port(0).time;  // the TDT and TOT carry the time of their own write
    QVERIFY(held == expected.Port(0));
    QVERIFY(held.cat != devsim::SamplePortA().cat);
  }

  // Enter in a field of the dialog itself runs Ok; a refusal keeps the dialog and the tree.
  void ARefusedProgramLeavesTheTreeAsItWas() {
    EditorOnDevice e;
    const ItemHandle list = e.First(Table::Pat, NodeKind::PatProgramList);
    const int programs = e.Tree().ChildCount(list);
    QPointer<QDialog> form;
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      form = &d;
      const QString before = e.Held();
      auto* number = d.findChild<QLineEdit*>(QStringLiteral("ctl4001"));
      auto* pid = d.findChild<QLineEdit*>(QStringLiteral("ctl4002"));
      QTest::keyClicks(number, QStringLiteral("0x10"));
      QTest::keyClick(number, Qt::Key_Return);  // the PID is empty: refused
      QVERIFY(d.isVisible());
      QCOMPARE(d.focusWidget(), pid);
      QCOMPARE(e.Held(), before);
      QTest::keyClicks(pid, QStringLiteral("0x100"));
      test::ClickButton(d, QStringLiteral("OK"));
    });
    script.Then([&](QDialog& box) {
      QCOMPARE(test::MessageText(box), QStringLiteral("ProgramPID can not be null!"));
      QCOMPARE(box.parentWidget(), form.data());
      box.accept();
    });
    e.Choose(list, "Add Data");
    QVERIFY(script.Done());
    const ItemHandle added = e.Tree().ChildAt(list, programs);
    QCOMPARE(e.Tree().GetItemText(added), std::string("program_number: 0x10 (16) => PID: 0x100 (256)"));
    QCOMPARE(e.View().currentIndex(), e.editor->Model().IndexOf(added));
  }

  // Enter in a field of a tab page never runs the dialog's Ok: the page swallows it. Each tab
  // shows its page; a refusal of a page puts the focus on the page's field.
  void EnterInATabPageStaysOnThePage() {
    EditorOnDevice e;
    for (const auto& [table, holder, tabs] : {std::tuple{Table::Nit, NodeKind::NitNetworkDescriptorList, 3},
                                             std::tuple{Table::Bat, NodeKind::BatBouquetDescriptorList, 2}}) {
      const QString before = e.Held();
      int pages = 0;
      test::ModalScript script;
      script.Then([&](QDialog& d) {
        auto& bar = *d.findChild<QTabBar*>();
        auto& dialog = *qobject_cast<FormDialog*>(&d);
        for (pages = 0; pages < bar.count(); ++pages) {
          ClickTab(bar, pages);
          QVERIFY(dialog.PageWidget(pages)->isVisible());
          QTest::keyClicks(FirstTypingField(dialog.PageWidget(pages)), QStringLiteral("7"));
          QTest::keyClick(FirstTypingField(dialog.PageWidget(pages)), Qt::Key_Return);
          QVERIFY(d.isVisible());
        }
        ClickTab(bar, 0);
        FirstTypingField(dialog.PageWidget(0))->clear();
        static_cast<QAbstractButton*>(dialog.ControlWidget(kIdOk))->click();
        QCOMPARE(d.focusWidget(), FirstTypingField(dialog.PageWidget(0)));
        d.reject();
      });
      script.Then([](QDialog& box) { box.accept(); });
      e.Choose(e.First(table, holder), "Add Data");
      QVERIFY2(script.Done(), qPrintable(script.unexpected.join(QLatin1Char('\n'))));
      QCOMPARE(pages, tabs);
      QCOMPARE(e.Held(), before);
    }
  }

  // A double-click on a NIT service list runs Modify: its tab dialog opens on the ServiceList
  // page, locked there.
  void DoubleClickOpensTheLockedServiceListPage() {
    EditorOnDevice e;
    const ItemHandle list = e.First(Table::Nit, NodeKind::NitServiceList);
    const QPoint at = e.At(list);
    const bool expanded = e.Tree().IsExpanded(list);
    test::ModalScript script;
    script.Then([](QDialog& d) {
      auto& bar = *d.findChild<QTabBar*>();
      ClickTab(bar, 0);
      QTest::keyClick(&bar, Qt::Key_Left);  // the key asks the dialog first, as the click does
      QCOMPARE(bar.currentIndex(), 2);
      QVERIFY(qobject_cast<FormDialog*>(&d)->PageWidget(2)->isVisible());
      d.reject();
    });
    QTest::mouseDClick(e.View().viewport(), Qt::LeftButton, {}, at);
    QVERIFY(script.Done());
    QCOMPARE(e.Tree().IsExpanded(list), expanded);  // the dialog ran: no toggle
  }

  void SavesAndLoadsANitThroughTheFileDialog() {
    EditorOnDevice e;
    QTemporaryDir dir;
    QString name = QStringLiteral("network");
    auto answer = [&](QDialog& d) {
      qobject_cast<QFileDialog*>(&d)->selectFile(dir.filePath(name));
      d.accept();
    };
    test::ModalScript script;
    script.Then(answer).Then([](QDialog& box) { box.accept(); });  // "Save done"
    e.Choose(e.Tree().Root(1, Table::Nit), "SaveCurrentTable");
    const QString file = dir.filePath(QStringLiteral("network.data"));
    QCOMPARE(QFileInfo(file).size(), qint64(4106));  // the filter's extension
    const QString status = e.editor->StatusLine()->text();
    const QString packets = status.section(QLatin1String(": 1 table, "), 1);
    QVERIFY2(status.contains(QStringLiteral("  |  Saved the NIT of PortA to %1: 1 table, ").arg(file)), qPrintable(status));
    const ItemHandle nitB = e.Tree().Root(2, Table::Nit);
    const int sections = e.Tree().ChildCount(nitB) + e.Tree().ChildCount(e.Tree().Root(1, Table::Nit));
    name = QStringLiteral("network.data");
    script.Then(answer);
    e.Choose(nitB, "LoadCurrentTable");
    QVERIFY(script.Done());
    QCOMPARE(e.Tree().ChildCount(nitB), sections);
    QVERIFY(e.editor->StatusLine()->text().endsWith(
        QStringLiteral("  |  Loaded %1 into the NIT of PortB: 1 table, %2").arg(file, packets)));
  }

  // Export and Import of a port name the file, the tables and the packets on the status line;
  // the packets are those the file holds.
  void ExportAndImportSayWhatTheyDid() {
    EditorOnDevice e;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("portA.ts"));
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      qobject_cast<QFileDialog*>(&d)->selectFile(file);
      d.accept();
    });
    e.Choose(e.Tree().PortNode(1), "Export to .ts or XML\u2026");
    const qint64 packets = QFileInfo(file).size() / 188;
    QVERIFY(packets > 9);
    QCOMPARE(e.editor->StatusLine()->text().section(QLatin1String("  |  "), 1),
             QStringLiteral("Exported PortA to %1: 9 tables, %2 packets").arg(file).arg(packets));
    script.Then([&](QDialog& d) {
      qobject_cast<QFileDialog*>(&d)->selectFile(file);
      d.accept();
    });
    script.Then([](QDialog& box) { test::ClickButton(box, QStringLiteral("&Yes")); });
    e.Choose(e.Tree().PortNode(2), "Import from capture\u2026");
    QVERIFY(script.Done());
    QCOMPARE(e.editor->StatusLine()->text().section(QLatin1String("  |  "), 1),
             QStringLiteral("Imported %1 into PortB: PAT, PMT, SDT, CAT, NIT, TDT, TOT and BAT, 9 tables, %2 packets")
                 .arg(file)
                 .arg(packets));
  }

  // Edits not submitted go only when the user says so: F5, Escape and the close box ask, and No
  // leaves everything as it was. F5 keeps the open items and the selection; after a Delete the
  // next sibling, else the previous one, is selected.
  void EditsAreKeptAndTheRefreshKeepsThePlace() {
    EditorOnDevice e;
    test::ModalScript script;
    const auto List = [&] { return e.First(Table::Sdt, NodeKind::SdtServiceList); };
    const ItemHandle list = List();
    const auto texts = [&](ItemHandle parent) {
      QStringList out;
      for (int r = 0; r < e.Tree().ChildCount(parent); ++r) out << QString::fromStdString(e.Tree().GetItemText(e.Tree().ChildAt(parent, r)));
      return out.join(QLatin1Char('|'));
    };
    const QString programs = texts(list);
    QVERIFY(e.Tree().ChildCount(list) >= 3);
    e.Tree().Expand(e.Tree().Root(2, Table::Tot), ExpandCode::Collapse);
    e.Tree().SelectItem(e.Tree().ChildAt(list, 1));
    QTest::keyClick(&e.View(), Qt::Key_F5);  // nothing edited: no question
    QVERIFY(!e.Tree().IsExpanded(e.Tree().Root(2, Table::Tot)));
    QCOMPARE(e.Tree().GetParentItem(e.Tree().GetSelectedItem()), List());
    QCOMPARE(e.Tree().RowOf(e.Tree().GetSelectedItem()), 1);
    const auto answer = [&](const char* button) {
      return [&, button](QDialog& box) {
        if (test::MessageText(box).startsWith(QLatin1String("PortA has changes")))
          QCOMPARE(test::MessageText(box), QStringLiteral("PortA has changes that were not submitted. Discard them?"));
        test::ClickButton(box, QString::fromLatin1(button));
      };
    };
    script.Then(answer("&Yes")).Then(answer("&Yes"));
    const int services = e.Tree().ChildCount(List());
    QTest::keyClick(&e.View(), Qt::Key_Delete);
    QCOMPARE(e.Tree().ChildCount(List()), services - 1);
    QCOMPARE(e.Tree().GetSelectedItem(), e.Tree().ChildAt(List(), 1));  // the next service
    e.Tree().SelectItem(e.Tree().ChildAt(List(), services - 2));
    QTest::keyClick(&e.View(), Qt::Key_Delete);
    QCOMPARE(e.Tree().GetSelectedItem(), e.Tree().ChildAt(List(), services - 3));  // the last went: the previous one
    const QString edited = e.Held();
    script.Then(answer("&No")).Then(answer("&No")).Then(answer("&No"));
    QTest::keyClick(&e.View(), Qt::Key_F5);
    QTest::keyClick(e.editor.get(), Qt::Key_Escape);
    e.editor->close();
    QVERIFY(e.editor->isVisible());
    QCOMPARE(e.Held(), edited);
    script.Then(answer("&Yes"));
    QTest::keyClick(&e.View(), Qt::Key_F5);
    QCOMPARE(texts(List()), programs);
    QVERIFY(script.Done());
  }

  // The window opens maximised on its screen's work area, the tree and the status line filling
  // it; closed at another size and place, it opens there the next time.
  void TheWindowFillsItsScreenAndOpensWhereItWasLeft() {
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/quorvelin/editor.ini"));
    const QRect place(60, 40, 640, 480);
    {
      EditorOnDevice e;
      const QRect work = e.editor->screen()->availableGeometry();
      QVERIFY(e.editor->isVisible() && e.editor->isMaximized());
      QTRY_COMPARE(e.editor->frameGeometry(), work);  // once the maximise has come
      const QSize inside = e.editor->size();
      QCOMPARE(e.View().geometry(), QRect(0, 0, inside.width(), inside.height() - e.editor->StatusLine()->height()));
      QCOMPARE(e.editor->StatusLine()->geometry().bottom(), inside.height() - 1);
      e.editor->setWindowState(Qt::WindowNoState);
      e.editor->setGeometry(place);
      e.editor->close();
    }
    EditorOnDevice e;
    QVERIFY(!e.editor->isMaximized());
    QCOMPARE(e.editor->geometry(), place);
    QCOMPARE(e.View().size(), QSize(640, 480 - e.editor->StatusLine()->height()));
  }

  // A slow device: after about half a second the progress dialog offers Cancel, centred over the
  // window; the Refresh stops after the exchange in flight and the status line says so.
  void ASlowRefreshCanBeCancelled() {
    auto sim = test::StartSampleDevice(150);
    CDlgQuorvelin editor(sim->Address().address, nullptr, 1, nullptr, nullptr, 0);
    QTimer press;
    QPoint centre;
    QObject::connect(&press, &QTimer::timeout, [&] {
      if (QProgressDialog* d = editor.Progress().Dialog())
        if (auto* cancel = d->findChild<QPushButton*>(); cancel && d->isVisible()) {
          centre = d->frameGeometry().center();
          cancel->click();
        }
    });
    press.start(50);
    editor.show();
    QVERIFY2((centre - editor.frameGeometry().center()).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2 over %3,%4").arg(centre.x()).arg(centre.y())
                            .arg(editor.frameGeometry().center().x()).arg(editor.frameGeometry().center().y())));
    QVERIFY2(editor.StatusLine()->text().contains(QLatin1String("Refresh cancelled after")), qPrintable(editor.StatusLine()->text()));
    QVERIFY(!editor.Tree().ItemHasChildren(editor.Tree().Root(2, Table::Tot)));
    sim->Stop();
  }

  void ADeviceThatStopsAnsweringIsNamed() {
    EditorOnDevice e;
    e.editor->Link().timeouts.readDatagram = std::chrono::milliseconds(30);
    const uint32_t address = e.sim->Address().address;
    e.sim->Stop();
    test::ModalScript script;
    QString said;
    script.Then([&](QDialog& box) {
      said = qobject_cast<QMessageBox*>(&box)->text();
      QTest::keyClick(&box, Qt::Key_Return);
    });
    e.Choose(e.Tree().PortNode(1), "Refresh");
    QVERIFY(script.Done());
    QCOMPARE(said, QString::fromStdString(SilentDeviceText(address)));
    QVERIFY2(e.editor->StatusLine()->text().startsWith(QLatin1String("Device ") + QString::fromStdString(Ipv4Text(address)) +
                                                        QLatin1String(", plain framing, ports A and B")),
             qPrintable(e.editor->StatusLine()->text()));
  }

  void ReadsThroughTheExchangeFileWithTheHostsCallbacks() {
    devsim::DeviceStore store;
    devsim::LoadSample(store);
    devsim::ExchangeFileHost host(store, "Quorvelin");  // the exchange file in the current directory
    g_host = &host;
    CDlgQuorvelin editor(0, nullptr, 1, &HostAnswerReady, &HostCarryRequest, 0);
    editor.show();
    g_host = nullptr;
    TableTreeCtrl& tree = editor.Tree();
    QVERIFY(tree.FindChildOfKind(tree.GetChildItem(tree.Root(2, Table::Sdt)), NodeKind::SdtService) != kNoItem);
  }
};

}  // namespace quorvelin

QUORVELIN_EDITOR_TEST_MAIN(quorvelin::EditorWindowTest)
#include "EditorWindowTest.moc"
