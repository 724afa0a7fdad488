// The cable_delivery_system_descriptor page (tag 0x44): MHz and Msymbol/s packed as BCD.
#pragma once

#include "dialogs/dvb/DeliveryPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddCable : public DeliveryPage {
 public:
  CNITAddCable(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(dvb_ids::cable::kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
