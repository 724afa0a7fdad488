// Adds a descriptor to a PMT program-info loop or to a component's loop: a tab dialog with the
// pages "Other" (typed as hexadecimal) and "CAT Descriptor" (a CA_descriptor).
#pragma once

#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/mpeg/CCatDesPMT.h"
#include "dialogs/mpeg/CPMTAddDesc.h"

namespace quorvelin {

class CPmtAddComDes : public DescriptorTabDialog {
 public:
  CPmtAddComDes(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;

  CPMTAddDesc& OtherPage() { return other_; }

 private:
  CPMTAddDesc other_;
  CCatDesPMT ca_;
};

}  // namespace quorvelin
