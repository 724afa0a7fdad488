// The satellite_delivery_system_descriptor page (tag 0x43): GHz, orbital position in tenths of
// a degree and Msymbol/s packed as BCD.
#pragma once

#include "dialogs/dvb/DeliveryPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddSatellite : public DeliveryPage {
 public:
  CNITAddSatellite(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(dvb_ids::satellite::kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`, or the selected `NitSatelliteDelivery` in modify mode.
  bool AddDesc() override;
};

}  // namespace quorvelin
