// The checks that keep a host alive: no display, or a call from another thread, is refused
// instead of letting Qt abort the process.
#include <QTest>
#include <cstdlib>
#include <string>
#include <thread>

#include "EditorTestMain.h"
#include "editor/EditorApplication.h"

namespace quorvelin {
namespace {

// Sets (or, with nullptr, removes) an environment variable for its lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    had_ = std::getenv(name) != nullptr;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace

class EditorApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void NoDisplayIsRefused() {
    const ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    {
      const ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
      const ScopedEnv display("DISPLAY", nullptr);
      QVERIFY(!DisplayAvailable());
    }
    {
      // An X display nobody serves: Qt would abort on it.
      const ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
      const ScopedEnv display("DISPLAY", ":237");
      QVERIFY(!DisplayAvailable());
    }
    {
      const ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
      const ScopedEnv display("DISPLAY", ":237");
      QVERIFY(!DisplayAvailable());
    }
    {
      const ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
      const ScopedEnv display("DISPLAY", nullptr);
      QVERIFY(DisplayAvailable());
    }
  }

  void OnlyTheFirstThreadMayOpenTheEditor() {
    // The test's application object lives on this thread.
    QCOMPARE(PrepareApplication(), nullptr);
    const char* fromOther = nullptr;
    std::thread([&] { fromOther = PrepareApplication(); }).join();
    QVERIFY(fromOther != nullptr);
    QCOMPARE(std::string(fromOther), std::string("called from a thread other than the first"));
  }
};

QUORVELIN_EDITOR_TEST(EditorApplicationTest);

}  // namespace quorvelin

#include "EditorApplicationTest.moc"
