// The "Other" page of CPmtAddComDes: adds a descriptor typed as hexadecimal to a PMT
// program-info loop or to a component's loop.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

class CPMTAddDesc : public DescriptorPage {
 public:
  CPMTAddDesc(TableTreeCtrl& tree, Ui& ui);
  bool AddDesc() override;
};

}  // namespace quorvelin
