// Adds a CA_descriptor to the selected CAT section.
#pragma once

#include "dialogs/mpeg/CaDescriptorForm.h"

namespace quorvelin {

class CCATAddDes1 : public CaDescriptorForm {
 public:
  CCATAddDes1(TableTreeCtrl& tree, Ui& ui);
  bool AddDesc() override;
  // A dialog by itself: Ok is the add operation.
  bool OnOK() override { return AddDesc(); }
};

}  // namespace quorvelin
