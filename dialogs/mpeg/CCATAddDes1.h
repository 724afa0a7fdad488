// Adds a CA_descriptor to the selected CAT section.
#pragma once

#include "dialogs/mpeg/CaDescriptorForm.h"

namespace quorvelin {

class CCATAddDes1 : public CaDescriptorForm {
 public:
  CCATAddDes1(TableTreeCtrl& tree, Ui& ui);
  bool OnOK() override;
};

}  // namespace quorvelin
