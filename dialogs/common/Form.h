// Toolkit-free dialog logic: a form holds its controls' values by control id; OnInitDialog fills
// them, OnOK reads and checks them, changes the tree and says whether the dialog closes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "resources/DialogTemplate.h"
#include "util/DateTime.h"
#include "util/Ui.h"

namespace quorvelin {

class CTabSheet;

struct ControlValue {
  std::string text;                           // edits; the typed text of a combo box
  int check = 0;                              // check boxes and radio buttons (1 = checked)
  int index = -1;                             // combo / drop-list selection, -1 when none
  std::vector<std::vector<std::string>> rows; // list views: one vector of column texts per row
  int selectionMark = -1;                     // list views
  DateTime time;                              // date and time pickers
  bool enabled = true;
};

class Form {
 public:
  Form(int templateId, Ui& ui);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  int TemplateId() const { return templateId_; }
  // The template of the form (by id from resources/; a form of its own may supply one).
  virtual const DialogTemplate* Template() const;

  // Start-up: fills the controls. The base sets the title from the template.
  virtual void OnInitDialog();
  // Ok: true when the dialog closes (the work is done), false when it stays open.
  virtual bool OnOK() { return true; }
  // Cancel: no change to the tree.
  virtual void OnCancel() {}
  // A push button, radio button or check box other than Ok/Cancel was clicked.
  virtual void OnCommand(int /*controlId*/) {}

  // --- control values ---
  ControlValue& Value(int id) { return values_[id]; }
  const std::string& Text(int id) { return values_[id].text; }
  void SetText(int id, std::string text) { values_[id].text = std::move(text); }
  int Check(int id) { return values_[id].check; }
  void SetCheck(int id, int state) { values_[id].check = state; }
  int ComboIndex(int id) { return values_[id].index; }
  // Selects entry `index` of the control's template entries and shows its text.
  void SetComboIndex(int id, int index);
  std::vector<std::vector<std::string>>& Rows(int id) { return values_[id].rows; }
  const std::map<int, ControlValue>& Values() const { return values_; }

  // Binds a tab control of the template to the sheet that carries its pages (the data exchange
  // of a tab dialog); the renderer shows the sheet's pages under that control.
  void BindTabSheet(int controlId, CTabSheet& sheet) { tabSheets_[controlId] = &sheet; }
  CTabSheet* TabSheetOf(int controlId) const {
    const auto it = tabSheets_.find(controlId);
    return it == tabSheets_.end() ? nullptr : it->second;
  }

  // A refused field: message box with caption "SystemInfo" and the information icon, focus on
  // the field; returns false so that OnOK can `return Refuse(...)`.
  bool Refuse(const std::string& message, int focus);
  // The same through the application-wide message box ("The data is error!").
  bool RefuseApp(const std::string& message, int focus);
  // Trimmed text of a field.
  std::string TrimmedText(int id);

  // --- window-level state the renderer shows ---
  std::string title;
  std::string okText;      // empty: the template's text
  std::string cancelText;
  int focusId = 0;         // control that gets the focus (after a refusal: the refused field)

 protected:
  std::string Field(int id) { return TrimmedText(id); }
  void SetButtonsOkCancel() {
    okText = "OK";
    cancelText = "Cancel";
  }

  Ui& ui_;

 private:
  int templateId_;
  std::map<int, ControlValue> values_;
  std::map<int, CTabSheet*> tabSheets_;  // not owned
};

// Decimal text-to-integer conversion of an edit field (blanks, sign, digits up to the first other
// character): text without digits gives 0, and "0x10" gives 0, unlike ParseNumber.
int32_t DecimalNumber(std::string_view text);

// Runs a dialog modally: the editor renders it, tests fill fields and press Ok or Cancel.
class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  // Returns true when the dialog ended with Ok.
  virtual bool RunModal(Form& form) = 0;
};

}  // namespace quorvelin
