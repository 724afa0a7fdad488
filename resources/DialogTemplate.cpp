#include "resources/DialogTemplate.h"

namespace quorvelin {

std::vector<const DialogTemplate*> AllDialogTemplates() {
  std::vector<const DialogTemplate*> all;
  for (const auto* list : {&MpegDialogTemplates(), &DvbDialogTemplates()})
    for (const auto& t : *list) all.push_back(&t);
  return all;
}

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate* t : AllDialogTemplates())
    if (t->id == id) return t;
  return nullptr;
}

}  // namespace quorvelin
