// The "CAT Descriptor" page of CPmtAddComDes: adds a CA_descriptor to a PMT program-info loop or
// to a component's loop.
#pragma once

#include "dialogs/mpeg/CaDescriptorForm.h"

namespace quorvelin {

class CCatDesPMT : public CaDescriptorForm {
 public:
  CCatDesPMT(TableTreeCtrl& tree, Ui& ui);
  bool AddDesc() override;
};

}  // namespace quorvelin
