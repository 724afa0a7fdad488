#include "editor/QtDialogRunner.h"

#include <QApplication>

#include "editor/FormDialog.h"
#include "editor/ModalHook.h"

namespace quorvelin {

bool QtDialogRunner::RunModal(Form& form) {
  // Controls the template disables start disabled; the form's start-up may enable them.
  if (const DialogTemplate* t = form.Template())
    for (const ControlTemplate& c : t->controls)
      if (c.disabled) form.Value(c.id).enabled = false;
  form.OnInitDialog();
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = owner_.data();
  FormDialog dialog(form, parent);
  return ExecModal(dialog) == QDialog::Accepted;
}

}  // namespace quorvelin
