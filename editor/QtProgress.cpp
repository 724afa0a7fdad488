// The progress of a long task of the core (reading a large capture) in a modal dialog.
#include <QCoreApplication>

#include "editor/QtUi.h"

namespace quorvelin {

bool QtUi::Progress(const std::string& text, uint64_t done, uint64_t total) {
  constexpr int kSteps = 1000;
  if (total == 0 || done >= total) {
    progress_.reset();
    return true;
  }
  if (!progress_) {
    progress_ =
        std::make_unique<QProgressDialog>(QString::fromUtf8(text), QStringLiteral("Cancel"), 0, kSteps, Parent());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(500);
  }
  progress_->setValue(static_cast<int>(done * kSteps / total));
  QCoreApplication::processEvents();
  return !progress_->wasCanceled();
}

}  // namespace quorvelin
