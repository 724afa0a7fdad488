#include "editor/SheetPage.h"

#include <QKeyEvent>

namespace quorvelin {

void SheetPage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
    e->accept();
  else
    QWidget::keyPressEvent(e);
}

}  // namespace quorvelin
