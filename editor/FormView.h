// The widgets of one form (a dialog's own controls, or one page of a tab sheet), built from its
// template (resources/): each control's values shown in its widget and read back from it.
#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QWidget>
#include <vector>

#include "dialogs/common/Form.h"

namespace quorvelin {

class CTabSheet;
class FormDialog;

// The object name of a control's widget: "ctl<id>".
QString ControlObjectName(int id);

class FormView {
 public:
  FormView(Form& form, FormDialog& dialog, QWidget& container);

  Form& GetForm() const { return form_; }
  QWidget* Widget(int id) const;
  // Widgets to values.
  void Push();
  // Values to widgets.
  void Pull();

 private:
  struct Binding {
    const ControlTemplate* control;
    QWidget* widget;
    QLabel* label;  // the label beside it, if any
  };
  struct SheetWidgets {
    CTabSheet* sheet = nullptr;
    QTabBar* bar = nullptr;
    QStackedWidget* stack = nullptr;
  };

  void Build(const DialogTemplate& t, QWidget& container);
  QWidget* MakeWidget(const ControlTemplate& c, QWidget& parent);
  QLabel* MakeLabel(const ControlTemplate& c, QWidget& parent);
  QString LabelText(const ControlTemplate& c) const;
  void PushOne(const Binding& b);
  void PullOne(const Binding& b);
  void PullList(QTableWidget& list, const ControlValue& v);
  void PullSheet(const SheetWidgets& s);

  Form& form_;
  FormDialog& dialog_;
  std::vector<Binding> bindings_;
  std::vector<SheetWidgets> sheets_;
  QButtonGroup* currentRadioGroup_ = nullptr;
};

}  // namespace quorvelin
