// Dialog templates as data: what the editor's renderer needs to build any dialog, and what the
// dialog logic refers to by control id.
#pragma once

#include <string>
#include <vector>

namespace quorvelin {

enum class ControlKind {
  Label,     // static text
  Edit,      // single- or multi-line edit
  ComboBox,  // drop-down that also takes typed text
  DropList,  // drop-down list without typing
  Check,     // check box
  Radio,     // radio button; consecutive radios form one group
  List,      // list view in report mode
  Date,      // date picker
  Time,      // time picker
  Tab,       // tab control (pages come from a CTabSheet)
  Button,    // push button other than Ok/Cancel (list pages' "Add"/"Delete")
};

struct ListColumn {
  std::string title;
  int width = 80;
};

struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::Edit;
  std::string label;   // the label beside the control (or the text of a check/radio/button)
  int labelId = 0;     // id of the label, where the dialog refers to it
  std::string note;    // a second label under the first, e.g. "(Hex Number)"
  bool readOnly = false;
  bool digitsOnly = false;
  bool multiLine = false;
  bool disabled = false;
  std::vector<std::string> entries;  // combo and list-box entries
  std::vector<ListColumn> columns;   // list views
};

struct DialogTemplate {
  int id = 0;
  std::string title;
  bool childPage = false;  // a page of a tab sheet
  std::vector<ControlTemplate> controls;

  const ControlTemplate* Control(int controlId) const {
    for (const auto& c : controls)
      if (c.id == controlId) return &c;
    return nullptr;
  }
};

// Ok and Cancel buttons of every dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The template with that id, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);
// Every template (the renderer's tests walk them all).
std::vector<const DialogTemplate*> AllDialogTemplates();

// Template lists, one per family of dialogs, each in its own source.
const std::vector<DialogTemplate>& MpegDialogTemplates();
const std::vector<DialogTemplate>& DvbDialogTemplates();

}  // namespace quorvelin
