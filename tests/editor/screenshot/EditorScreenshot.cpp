// Saves a screenshot for people to look at: the editor on the simulated device with port A's PMT
// and SDT open, as OUTDIR/editor.png (docs/ for the README).
//   editor_screenshot OUTDIR        (under Xvfb; see run-screenshot.sh)
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <clocale>

#include "SampleDevice.h"
#include "editor/CDlgQuorvelin.h"

namespace {

using namespace quorvelin;

void ExpandBranch(TableTreeCtrl& tree, ItemHandle item) {
  tree.Expand(item, ExpandCode::Expand);
  for (ItemHandle c = tree.GetChildItem(item); c != kNoItem; c = tree.GetNextSiblingItem(c))
    if (tree.ItemHasChildren(c)) ExpandBranch(tree, c);
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
  bool saved = false;
  QTimer::singleShot(0, &editor, [&] {
    TableTreeCtrl& tree = editor.Tree();
    {
      const ModelBatch batch(editor.Model());
      for (int port : {1, 2}) tree.Expand(tree.PortNode(port), ExpandCode::Expand);
      for (Table t : {Table::Pmt, Table::Sdt}) ExpandBranch(tree, tree.Root(1, t));
      tree.SelectItem(tree.FindChildOfKind(tree.GetChildItem(tree.Root(1, Table::Pmt)), NodeKind::PmtComponent));
    }
    editor.TreeView()->scrollToTop();
    editor.setGeometry(editor.screen()->availableGeometry());  // maximised, also without a window manager
    (void)QTest::qWaitForWindowExposed(&editor);
    QTest::qWait(300);  // the first paint under a real X server
    const QPixmap shot = editor.screen()->grabWindow(0);
    saved = !shot.isNull() && shot.save(dir + QStringLiteral("/editor.png"), "PNG");
    std::printf("%s %s/editor.png\n", saved ? "saved" : "could not save", qPrintable(dir));
    editor.close();
  });
  editor.DoModal();
  sim->Stop();
  return saved ? 0 : 1;
}
