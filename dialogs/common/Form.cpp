#include "dialogs/common/Form.h"

#include "util/Number.h"

namespace quorvelin {

Form::Form(int templateId, Ui& ui) : ui_(ui), templateId_(templateId) {}
Form::~Form() = default;

const DialogTemplate* Form::Template() const { return FindDialogTemplate(templateId_); }

void Form::OnInitDialog() {
  if (const DialogTemplate* t = Template()) title = t->title;
}

void Form::SetComboIndex(int id, int index) {
  ControlValue& v = values_[id];
  v.index = index;
  const DialogTemplate* t = Template();
  const ControlTemplate* c = t ? t->Control(id) : nullptr;
  if (c && index >= 0 && static_cast<size_t>(index) < c->entries.size()) v.text = c->entries[static_cast<size_t>(index)];
}

bool Form::Refuse(const std::string& message, int focus) {
  ui_.MessageBox(message, kSystemInfo, MsgIcon::Information, MsgButtons::Ok);
  focusId = focus;
  return false;
}

bool Form::RefuseApp(const std::string& message, int focus) {
  ui_.AppMessageBox(message);
  focusId = focus;
  return false;
}

std::string Form::TrimmedText(int id) { return Trim(values_[id].text); }

int32_t DecimalNumber(std::string_view text) {
  // ParseNumber reads decimal unless the text opens with 0x; the "%d" rule then stops at the x.
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return 0;
  return ParseNumber(text);
}

}  // namespace quorvelin
