// Templates of the NIT and BAT dialogs and their descriptor pages.
#include "resources/DialogTemplate.h"

namespace quorvelin {

const std::vector<DialogTemplate>& DvbDialogTemplates() {
  static const std::vector<DialogTemplate> templates = {};
  return templates;
}

}  // namespace quorvelin
