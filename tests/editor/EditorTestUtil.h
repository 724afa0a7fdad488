// Shared by the editor's QtTest programs: their main, the script that answers modal dialogs, and
// the model's rows as text.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <clocale>
#include <deque>
#include <functional>

#include "editor/ModalHook.h"

namespace quorvelin::test {

// One line per row, indented two blanks per depth (the layout of DumpTree).
inline QString DumpModel(const QAbstractItemModel& model, const QModelIndex& parent = {}, int depth = 0) {
  QString out;
  for (int r = 0; r < model.rowCount(parent); ++r) {
    const QModelIndex i = model.index(r, 0, parent);
    out += QString(depth * 2, QLatin1Char(' ')) + i.data().toString() + QLatin1Char('\n') + DumpModel(model, i, depth + 1);
  }
  return out;
}

// Clicks the visible button with that text ("OK", "&Yes"); rejects the dialog when there is none.
inline void ClickButton(QDialog& dialog, const QString& text) {
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
    if (b->text() == text && b->isVisible()) return b->click();
  dialog.reject();
}

inline QString MessageText(QDialog& dialog) {
  auto* box = qobject_cast<QMessageBox*>(&dialog);
  return box ? box->text() : QString();
}

// Answers the modal dialogs of a test in order. A dialog without a step, or one left open by a
// failed step, is rejected so that a test never blocks; each is noted in `unexpected`.
class ModalScript {
 public:
  using Step = std::function<void(QDialog&)>;
  ModalScript() : previous_(SetModalHook([this](QDialog& d) { Run(d); })) {}
  ~ModalScript() { SetModalHook(std::move(previous_)); }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  ModalScript& Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  // Every step ran and no other dialog came.
  bool Done() const { return steps_.empty() && unexpected.isEmpty(); }
  QStringList unexpected;

 private:
  void Run(QDialog& dialog) {
    if (steps_.empty()) {
      unexpected << dialog.windowTitle() + QStringLiteral(": ") + MessageText(dialog);
      return dialog.reject();
    }
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    const QPointer<QDialog> guard(&dialog);
    step(dialog);
    if (guard && guard->isVisible() && QTest::currentTestFailed()) guard->reject();
  }

  std::deque<Step> steps_;
  ModalHook previous_;
};

}  // namespace quorvelin::test

// The main of a test program: the offscreen platform unless another is set, numbers in the C
// locale, the user's config and cache folders (window place, LCN width, dumps) in a scratch directory.
#define QUORVELIN_EDITOR_TEST_MAIN(Class)                                                         \
  int main(int argc, char** argv) {                                                              \
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    const QTemporaryDir userFolders;                                                             \
    qputenv("XDG_CONFIG_HOME", (userFolders.path() + "/config").toLocal8Bit());                  \
    qputenv("XDG_CACHE_HOME", (userFolders.path() + "/cache").toLocal8Bit());                    \
    QApplication app(argc, argv);                                                                \
    std::setlocale(LC_NUMERIC, "C");                                                             \
    return QTest::qExec(std::make_unique<Class>().get(), argc, argv);                            \
  }
