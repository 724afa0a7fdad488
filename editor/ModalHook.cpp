#include "editor/ModalHook.h"

#include <QPointer>
#include <QTimer>

namespace quorvelin {
namespace {

ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}

}  // namespace

ModalHook SetModalHook(ModalHook hook) {
  ModalHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

int ExecModal(QDialog& dialog) {
  if (Hook()) {
    QPointer<QDialog> guard(&dialog);
    QTimer::singleShot(0, &dialog, [guard] {
      if (guard && guard->isVisible() && Hook()) Hook()(*guard);
    });
  }
  return dialog.exec();
}

}  // namespace quorvelin
