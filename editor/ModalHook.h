// Every modal dialog of the editor (rendered forms, message boxes, file dialogs) runs through
// ExecModal. A hook, when installed, sees each dialog once it is up, so that a test (or a
// scripted demo) can answer it instead of a person.
#pragma once

#include <QDialog>
#include <functional>

namespace quorvelin {

using ModalHook = std::function<void(QDialog&)>;

// Installs the hook (an empty function removes it); returns the previous one.
ModalHook SetModalHook(ModalHook hook);
// Runs the dialog modally; the hook, if any, is called from inside the dialog's event loop.
int ExecModal(QDialog& dialog);

}  // namespace quorvelin
