// The "CAT Descriptor" page of CPmtAddComDes: adds a CA_descriptor to a PMT program-info loop or
// to a component's loop.
#pragma once

#include "dialogs/mpeg/CaDescriptorForm.h"

namespace quorvelin {

class CCatDesPMT : public CaDescriptorForm {
 public:
  CCatDesPMT(TableTreeCtrl& tree, Ui& ui);
  // The page's add operation; false (the dialog stays open) on a refused field.
  bool AddDesc();
};

}  // namespace quorvelin
