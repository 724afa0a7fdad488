#include "EditorTestUtil.h"

#include "util/Number.h"

namespace quorvelin::test {

QString DumpModel(const QAbstractItemModel& model, const QModelIndex& parent, int depth) {
  QString out;
  for (int r = 0; r < model.rowCount(parent); ++r) {
    const QModelIndex i = model.index(r, 0, parent);
    out += QString(depth * 2, QLatin1Char(' ')) + i.data().toString() + QLatin1Char('\n');
    out += DumpModel(model, i, depth + 1);
  }
  return out;
}

ItemHandle AddPatSection(TableTreeCtrl& tree, int programs) {
  const ItemHandle sec = tree.InsertRecordItem("SECTION0:", kImageSection, tree.Root(1, Table::Pat),
                                               MakeRecord(NodeKind::PatSection, PatSectionHeader{}));
  tree.InsertLine("table_id: 0x0", sec);
  const ItemHandle list = tree.InsertRecordItem(Format("programs:%d", programs), kImageLine, sec,
                                                MakeHolder(NodeKind::PatProgramList));
  for (int i = 0; i < programs; ++i) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(i + 1);
    p.pid.set(static_cast<uint32_t>(0x100 + i));
    tree.InsertRecordItem(Format("program_number: 0x%x (%d) => pid: 0x%x (%d)", i + 1, i + 1, 0x100 + i, 0x100 + i),
                          kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  tree.InsertLine("crc_32: 0x0", sec);
  return sec;
}

}  // namespace quorvelin::test

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace quorvelin::test {

ModalScript::ModalScript() {
  previous_ = SetModalHook([this](QDialog& d) { Run(d); });
}

ModalScript::~ModalScript() { SetModalHook(std::move(previous_)); }

void ModalScript::Run(QDialog& dialog) {
  if (steps_.empty()) {
    unexpected << dialog.windowTitle() + QStringLiteral(": ") +
                      (qobject_cast<QMessageBox*>(&dialog) ? static_cast<QMessageBox&>(dialog).text() : QString());
    dialog.reject();
    return;
  }
  Step step = std::move(steps_.front());
  steps_.pop_front();
  QPointer<QDialog> guard(&dialog);
  step(dialog);
  if (guard && guard->isVisible() && QTest::currentTestFailed()) guard->reject();
}

ShownMessage ReadMessageBox(QDialog& dialog) {
  ShownMessage shown;
  auto* box = qobject_cast<QMessageBox*>(&dialog);
  if (!box) return shown;
  shown.text = box->text();
  shown.caption = box->windowTitle();
  shown.icon = box->icon();
  for (QAbstractButton* b : box->buttons()) shown.buttons << b->text();
  return shown;
}

void ClickButton(QDialog& dialog, const QString& text) {
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
    if (b->text() == text && b->isVisible()) {
      b->click();
      return;
    }
  dialog.reject();
}

}  // namespace quorvelin::test
