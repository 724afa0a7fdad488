// The item model over the tree: structure, texts and images follow every change of the tree.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "EditorTestMain.h"
#include "EditorTestUtil.h"
#include "editor/QtText.h"
#include "editor/IconStrip.h"
#include "editor/TreeItemModel.h"
#include "util/Number.h"

namespace quorvelin {

class TreeItemModelTest : public QObject {
  Q_OBJECT

 private slots:
  void FollowsInsertTextChangeAndDelete() {
    TableTreeCtrl tree;
    TreeItemModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    tree.BuildRoots();
    const ItemHandle sec = test::AddPatSection(tree, 3);
    QCOMPARE(test::DumpModel(model), FromCp936(DumpTree(tree)));

    const ItemHandle list = tree.FindChildOfKind(sec, NodeKind::PatProgramList);
    tree.SetItemText(list, "programs:7");
    QCOMPARE(model.IndexOf(list).data().toString(), QStringLiteral("programs:7"));
    // Insert in the middle and at the front.
    tree.InsertLine("middle", list, tree.ChildAt(list, 0));
    tree.InsertLine("front", list, kInsertFirst);
    QCOMPARE(test::DumpModel(model), FromCp936(DumpTree(tree)));

    // A whole subtree goes with one removal.
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    tree.DeleteItem(sec);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(test::DumpModel(model), FromCp936(DumpTree(tree)));
    // A handle of a deleted item never reaches a live one.
    QCOMPARE(model.IndexOf(list), QModelIndex());
    tree.DeleteAllItems();
    QCOMPARE(model.rowCount(), 0);
  }

  void StaleIndexesAnswerNothing() {
    TableTreeCtrl tree;
    TreeItemModel model(tree);
    tree.BuildRoots();
    const QModelIndex pat = model.IndexOf(tree.Root(1, Table::Pat));
    const QPersistentModelIndex keep(pat);
    tree.DeleteItem(tree.PortNode(1));
    QVERIFY(!keep.isValid());
    // An index kept by a view while a batch is still open must not reach freed items.
    QCOMPARE(model.data(pat), QVariant());
    QCOMPARE(model.rowCount(pat), 0);
    QCOMPARE(model.parent(pat), QModelIndex());
    QCOMPARE(model.index(0, 0, pat), QModelIndex());
    QCOMPARE(model.flags(pat), Qt::NoItemFlags);
  }

  void ManyChangesInOneBatchBecomeOneReset() {
    TableTreeCtrl tree;
    TreeItemModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy afterReset(&model, &TreeItemModel::treeReset);
    {
      ModelBatch batch(model);
      tree.BuildRoots();  // 18 items: announced one by one
    }
    QCOMPARE(resets.count(), 0);
    QCOMPARE(inserted.count(), 18);
    {
      ModelBatch outer(model);
      ModelBatch inner(model);
      for (int i = 0; i < 500; ++i) tree.InsertLine(Format("line %d", i), tree.Root(1, Table::Nit));
      QVERIFY(model.StructureChanging());
    }
    QCOMPARE(resets.count(), 1);
    QCOMPARE(afterReset.count(), 1);
    QCOMPARE(inserted.count(), 18 + TreeItemModel::kResetThreshold);
    QVERIFY(!model.StructureChanging());
    QCOMPARE(model.rowCount(model.IndexOf(tree.Root(1, Table::Nit))), 500);
    QCOMPARE(test::DumpModel(model), FromCp936(DumpTree(tree)));
  }

  void ShowsChineseTextAsUnicode() {
    TableTreeCtrl tree;
    TreeItemModel model(tree);
    // "service_name: " followed by two characters in CP936.
    const ItemHandle h = tree.InsertLine("service_name: \xD6\xD0\xCE\xC4", kNoItem);
    QCOMPARE(model.IndexOf(h).data().toString(), QStringLiteral("service_name: ") + QString::fromUtf8("\u4E2D\u6587"));
  }

  void ImagesComeFromTheStrip() {
    const QPixmap strip = DrawIconStrip();
    QCOMPARE(strip.size(), QSize(320, 16));
    // Each image has something drawn and a transparent corner or edge.
    const QImage image = strip.toImage();
    for (int i = 0; i < kIconCount; ++i) {
      int opaque = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) opaque += qAlpha(image.pixel(i * 16 + x, y)) > 0;
      QVERIFY2(opaque > 10 && opaque < 256, qPrintable(QStringLiteral("image %1").arg(i)));
    }

    TableTreeCtrl tree;
    TreeItemModel model(tree);
    model.SetImages(IconImages());
    const ItemHandle withImage = tree.InsertItem("SECTION0:", kImageSection, kNoItem);
    const ItemHandle textOnly = tree.InsertTextItem("Service_list", kNoItem);
    const ItemHandle outOfRange = tree.InsertItem("x", 99, kNoItem);
    QVERIFY(!model.IndexOf(withImage).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!model.IndexOf(textOnly).data(Qt::DecorationRole).isValid());
    QVERIFY(!model.IndexOf(outOfRange).data(Qt::DecorationRole).isValid());
  }
};

QUORVELIN_EDITOR_TEST(TreeItemModelTest);

}  // namespace quorvelin

#include "TreeItemModelTest.moc"
