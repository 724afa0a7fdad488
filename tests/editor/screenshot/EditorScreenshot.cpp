// Saves screenshots of the editor for people to look at: the editor on the simulated device
// with the sample multiplex expanded, and one tab dialog (Add on a NIT transport stream).
//   editor_screenshot OUTDIR        (run under Xvfb; see run-screenshot.sh)
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "editor/CDlgQuorvelin.h"
#include "editor/ModalHook.h"
#include "SampleDevice.h"

namespace {

using namespace quorvelin;

void ExpandBranch(TableTreeCtrl& tree, ItemHandle item) {
  tree.Expand(item, ExpandCode::Expand);
  for (ItemHandle c = tree.GetChildItem(item); c != kNoItem; c = tree.GetNextSiblingItem(c))
    if (tree.ItemHasChildren(c)) ExpandBranch(tree, c);
}

ItemHandle FirstOfKind(TableTreeCtrl& tree, Table table, NodeKind kind) {
  const ItemHandle root = tree.Root(1, table);
  return root ? tree.FindChildOfKind(tree.GetChildItem(root), kind) : kNoItem;
}

bool Save(const QPixmap& shot, const QString& path) {
  const bool ok = !shot.isNull() && shot.save(path, "PNG");
  std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  std::printf("editor_screenshot: display up (%s)\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(dir);

  const auto sim = test::StartSampleDevice();
  if (!sim) return 1;

  CDlgQuorvelin editor(sim->Address().address, nullptr, 1, nullptr, nullptr, 0);
  bool editorSaved = false;
  bool dialogSaved = false;
  QTimer::singleShot(0, &editor, [&] {
    TableTreeCtrl& tree = editor.Tree();
    {
      // Port A with its PMT and SDT open (components and service names), port B's tables listed.
      const ModelBatch batch(editor.Model());
      tree.Expand(tree.PortNode(1), ExpandCode::Expand);
      for (Table t : {Table::Pmt, Table::Sdt}) {
        const ItemHandle root = tree.Root(1, t);
        tree.Expand(root, ExpandCode::Expand);
        if (const ItemHandle first = tree.GetChildItem(root)) ExpandBranch(tree, first);
      }
      tree.Expand(tree.PortNode(2), ExpandCode::Expand);
      tree.SelectItem(FirstOfKind(tree, Table::Pmt, NodeKind::PmtComponent));
    }
    editor.TreeView()->scrollToTop();
    editor.setGeometry(editor.screen()->availableGeometry());  // maximised, also without a window manager
    (void)QTest::qWaitForWindowExposed(&editor);
    QTest::qWait(300);  // the first paint under a real X server
    editorSaved = Save(editor.screen()->grabWindow(0), dir + QStringLiteral("/editor.png"));

    const ModalHook previous = SetModalHook([&](QDialog& dialog) {
      (void)QTest::qWaitForWindowExposed(&dialog);
      QTest::qWait(200);
      dialogSaved = Save(dialog.grab(), dir + QStringLiteral("/tab-dialog.png"));
      dialog.reject();
    });
    tree.SelectItem(FirstOfKind(tree, Table::Nit, NodeKind::NitTransportStream));
    editor.OnCmdMsg(kCmdAddData);
    SetModalHook(previous);
    editor.close();
  });
  editor.DoModal();
  sim->Stop();
  return editorSaved && dialogSaved ? 0 : 1;
}
