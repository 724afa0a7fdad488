// A form shown as a Qt dialog: the form's own controls, the pages of its tab sheets, Ok and
// Cancel. The user's input goes back to the forms before each of their handlers runs (Ok, Cancel,
// buttons, check boxes, radio buttons, tab changes), and their values are shown again after it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <memory>
#include <vector>

#include "dialogs/common/Form.h"

namespace quorvelin {

class CTabSheet;
class FormView;

class FormDialog : public QDialog {
  Q_OBJECT

 public:
  // The form's OnInitDialog has run.
  FormDialog(Form& form, QWidget* parent);
  ~FormDialog() override;

  Form& GetForm() const { return form_; }
  // The widget of a control (object name "ctl<id>"): of the form itself first, else of the page
  // that is showing, else of any page; nullptr when none.
  QWidget* ControlWidget(int id) const;
  // The container of page `index` of the form's tab sheets (object name "page<index>").
  QWidget* PageWidget(int index) const;

  // A button, check box or radio button of `form` (the dialog's form or one of its pages).
  void RunCommand(Form& form, int id);
  // A tab of a sheet was clicked or chosen with the keyboard.
  void RunTabChange(CTabSheet& sheet, int index, bool keyboard);

  // The tab bar and pages of a sheet, one page view per page.
  QWidget* BuildSheet(CTabSheet& sheet, QTabBar*& bar, QStackedWidget*& stack);

  void reject() override;

 private:
  void OnOk();
  void PushAll();
  void PullAll();
  void FocusRefusedControl();
  void FocusControl(const Form& form, int id);

  Form& form_;
  std::vector<std::unique_ptr<FormView>> views_;  // [0] the form, then the pages in order
  std::vector<QPointer<QWidget>> pageWidgets_;
  QWidget* okButton_ = nullptr;
  QWidget* cancelButton_ = nullptr;
};

}  // namespace quorvelin
