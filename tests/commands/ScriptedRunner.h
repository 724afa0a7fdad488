// A DialogRunner for tests: records every dialog it is asked to run, lets the test fill the
// fields, then presses Ok once (or Cancel).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <typeinfo>
#include <vector>

#include "dialogs/common/Form.h"

namespace quorvelin::test {

class ScriptedRunner : public DialogRunner {
 public:
  using Fill = std::function<void(Form&)>;

  bool RunModal(Form& form) override {
    opened.push_back(form.TemplateId());
    form.OnInitDialog();
    if (cancel) {
      form.OnCancel();
      return false;
    }
    if (auto it = fills.find(form.TemplateId()); it != fills.end()) it->second(form);
    const bool closed = form.OnOK();
    if (!closed) form.OnCancel();
    return closed;
  }

  std::vector<int> opened;           // template ids, in order
  std::map<int, Fill> fills;         // by template id
  bool cancel = false;
};

}  // namespace quorvelin::test
