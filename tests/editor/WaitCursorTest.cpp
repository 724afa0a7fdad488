// The wait cursor shows while a device exchange blocks the window, and only then.
#include <QCursor>
#include <QGuiApplication>
#include <QTest>

#include "EditorTestMain.h"
#include "editor/WaitCursor.h"

namespace quorvelin {
namespace {

// Notes the cursor shape each exchange runs under.
class CursorProbe : public TableExchange {
 public:
  bool ReadTable(uint8_t*, size_t, uint16_t, uint8_t, int, bool) override {
    shapes.push_back(Shape());
    return true;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, int, uint8_t) override {
    shapes.push_back(Shape());
    return false;
  }
  static int Shape() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : -1;
  }
  std::vector<int> shapes;
};

}  // namespace

class WaitCursorTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsDuringEachExchange() {
    CursorProbe device;
    WaitCursorExchange exchange;
    uint8_t buffer[8] = {};
    QVERIFY(!exchange.ReadTable(buffer, sizeof buffer, 0, 0, 1, false));  // no link yet: fails
    exchange.SetLink(&device);
    QVERIFY(exchange.ReadTable(buffer, sizeof buffer, 0, 0, 1, false));
    QVERIFY(!exchange.WriteTable(buffer, sizeof buffer, 0, 1, 0));  // the link's answer passes through
    QCOMPARE(device.shapes, (std::vector<int>{Qt::WaitCursor, Qt::WaitCursor}));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }
};

QUORVELIN_EDITOR_TEST(WaitCursorTest);

}  // namespace quorvelin

#include "WaitCursorTest.moc"
