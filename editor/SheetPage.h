// The container of one page of a tab sheet. Enter in a field of the page stays on the page: a
// page answers its own Ok with nothing, so the dialog's Ok never runs from inside a page.
#pragma once

#include <QWidget>

namespace quorvelin {

class SheetPage : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace quorvelin
