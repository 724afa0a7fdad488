#include "editor/FlowProgressDialog.h"

#include <QCoreApplication>

namespace quorvelin {

FlowProgressDialog::~FlowProgressDialog() { End(); }

void FlowProgressDialog::Step(const std::string& table, int done, int total) {
  if (!running_) {
    running_ = true;
    cancelled_ = false;
    clock_.start();
    if (view_) view_->setUpdatesEnabled(false);  // its rows change under it until the flow ends
  }
  label_ = QStringLiteral("%1 of %2: %3").arg(done + 1).arg(total).arg(QString::fromStdString(table));
  done_ = done;
  total_ = total;
  if (dialog_) {
    dialog_->setMaximum(total_);
    dialog_->setValue(done_);
    dialog_->setLabelText(label_);
  }
  LetTheWindowRepaint();
}

bool FlowProgressDialog::CancelRequested() {
  if (running_) LetTheWindowRepaint();
  return cancelled_;
}

void FlowProgressDialog::Tick() {
  if (running_) LetTheWindowRepaint();
}

void FlowProgressDialog::ShowWhenDue() {
  if (dialog_ || !running_ || clock_.elapsed() < kShowAfterMs) return;
  dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("Cancel"), 0, total_, owner_.data());
  dialog_->setObjectName(QStringLiteral("progress"));
  dialog_->setWindowTitle(QStringLiteral("Quorvelin"));
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setAutoReset(false);
  dialog_->setAutoClose(false);
  dialog_->setMinimumDuration(0);
  dialog_->setValue(done_);
  QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] {
    cancelled_ = true;
    if (dialog_) dialog_->setLabelText(QStringLiteral("Stopping after the exchange in flight..."));
  });
  // Over the window's middle, also while the window has not appeared yet (the first Refresh).
  if (owner_) {
    dialog_->adjustSize();
    const QRect frame = owner_->window()->frameGeometry();
    dialog_->move(frame.center() - QPoint(dialog_->width() / 2, dialog_->height() / 2));
  }
  dialog_->show();
  // Its first paint shows the text: laid out and painted before the flow goes on.
  dialog_->repaint();
}

void FlowProgressDialog::LetTheWindowRepaint() {
  ShowWhenDue();
  // Only once the dialog is up: it is modal and takes the input itself, so nothing the user
  // types reaches the tree in the middle of a flow (a short flow handles no events at all).
  if (dialog_) QCoreApplication::processEvents();
}

void FlowProgressDialog::End() {
  if (!running_) return;
  running_ = false;
  dialog_.reset();
  if (view_) view_->setUpdatesEnabled(true);
}

}  // namespace quorvelin
