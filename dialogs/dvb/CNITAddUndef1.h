// The "Other Descriptor" page of a NIT transport stream: any descriptor typed as hexadecimal.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddUndef1 : public HexDescriptorPage {
 public:
  CNITAddUndef1(TableTreeCtrl& tree, Ui& ui)
      : HexDescriptorPage(dvb_ids::hex_descriptor::kNitStreamTemplate, tree, ui) {}

  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
