// The tab bar of a tab sheet: clicks and arrow keys on a tab go through the sheet, which may
// refuse the change (the tab lock); the bar then shows whatever the sheet holds.
#pragma once

#include <QTabBar>

namespace quorvelin {

class CTabSheet;
class FormDialog;

class SheetTabBar : public QTabBar {
 public:
  SheetTabBar(CTabSheet& sheet, FormDialog& dialog, QWidget* parent) : QTabBar(parent), sheet_(sheet), dialog_(dialog) {}

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* /*e*/) override {}
  void wheelEvent(QWheelEvent* /*e*/) override {}
  void keyPressEvent(QKeyEvent* e) override;

 private:
  CTabSheet& sheet_;
  FormDialog& dialog_;
};

}  // namespace quorvelin
