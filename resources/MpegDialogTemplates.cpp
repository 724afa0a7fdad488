// Templates of the PAT, PMT, CAT, SDT, TDT/TOT, id and channel dialogs.
#include "resources/DialogTemplate.h"

namespace quorvelin {

const std::vector<DialogTemplate>& MpegDialogTemplates() {
  static const std::vector<DialogTemplate> templates = {};
  return templates;
}

}  // namespace quorvelin
