// The "Network Descriptor" page: any descriptor typed as hexadecimal, added to the network
// descriptor loop of a NIT section.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"

namespace quorvelin {

class CNITAddUndefDes : public HexDescriptorPage {
 public:
  static constexpr int kTemplate = 4019;

  CNITAddUndefDes(TableTreeCtrl& tree, Ui& ui) : HexDescriptorPage(kTemplate, tree, ui) {}

  // Works on a selected `NitNetworkDescriptorList`.
  bool AddDesc() override;
};

}  // namespace quorvelin
