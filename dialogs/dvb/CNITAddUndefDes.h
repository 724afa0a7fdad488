// The "Network Descriptor" page: any descriptor typed as hexadecimal, added to the network
// descriptor loop of a NIT section.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddUndefDes : public HexDescriptorPage {
 public:
  CNITAddUndefDes(TableTreeCtrl& tree, Ui& ui)
      : HexDescriptorPage(dvb_ids::hex_descriptor::kNitNetworkTemplate, tree, ui) {}

  // Works on a selected `NitNetworkDescriptorList`.
  bool AddDesc() override;
};

}  // namespace quorvelin
