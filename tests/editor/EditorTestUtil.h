// Helpers shared by the editor's tests.
#pragma once

#include <QAbstractItemModel>
#include <QString>

#include "tree/TableTreeCtrl.h"

namespace quorvelin::test {

// One line per row, indented two blanks per depth (the layout of DumpTree), as the model shows it.
QString DumpModel(const QAbstractItemModel& model, const QModelIndex& parent = {}, int depth = 0);

// A PAT section with its count line and `programs` program items under the first port's PAT root.
ItemHandle AddPatSection(TableTreeCtrl& tree, int programs);

}  // namespace quorvelin::test

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>

#include "editor/ModalHook.h"

namespace quorvelin::test {

// Answers the modal dialogs of a test in order. A dialog without a step, or one left open by a
// failed step, is rejected so that a test never blocks; each is noted in `unexpected`.
class ModalScript {
 public:
  using Step = std::function<void(QDialog&)>;
  ModalScript();
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  ModalScript& Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  size_t Remaining() const { return steps_.size(); }
  QStringList unexpected;

 private:
  void Run(QDialog& dialog);
  std::deque<Step> steps_;
  ModalHook previous_;
};

// The message box's text, caption and buttons, then a click on `button` ("OK", "&Yes", "&No").
struct ShownMessage {
  QString text, caption;
  int icon = 0;  // QMessageBox::Icon
  QStringList buttons;
};
ShownMessage ReadMessageBox(QDialog& dialog);
void ClickButton(QDialog& dialog, const QString& text);

}  // namespace quorvelin::test
