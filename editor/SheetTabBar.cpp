#include "editor/SheetTabBar.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "editor/FormDialog.h"

namespace quorvelin {

void SheetTabBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const int index = tabAt(e->position().toPoint());
  if (index >= 0) dialog_.RunTabChange(sheet_, index, false);
}

void SheetTabBar::keyPressEvent(QKeyEvent* e) {
  const int step = e->key() == Qt::Key_Left ? -1 : e->key() == Qt::Key_Right ? 1 : 0;
  if (step == 0) {
    QTabBar::keyPressEvent(e);
    return;
  }
  const int index = currentIndex() + step;
  if (index >= 0 && index < count()) dialog_.RunTabChange(sheet_, index, true);
}

}  // namespace quorvelin
