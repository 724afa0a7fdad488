// Runs any dialog of the command layer as a modal FormDialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "dialogs/common/Form.h"

namespace quorvelin {

class QtDialogRunner : public DialogRunner {
 public:
  explicit QtDialogRunner(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }
  bool RunModal(Form& form) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace quorvelin
