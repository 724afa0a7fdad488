// The satellite_delivery_system_descriptor page (tag 0x43): GHz, orbital position in tenths of
// a degree and Msymbol/s packed as BCD.
#pragma once

#include "dialogs/dvb/DeliveryPage.h"

namespace quorvelin {

class CNITAddSatellite : public DeliveryPage {
 public:
  static constexpr int kTemplate = 4036;
  static constexpr int kOrbitalPosition = 4039;
  static constexpr int kWestEastFlag = 4040;
  static constexpr int kPolarization = 4024;
  static constexpr int kModulation = 4021;
  static constexpr int kSymbolRate = 4022;
  static constexpr int kFecInner = 4023;

  CNITAddSatellite(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`, or the selected `NitSatelliteDelivery` in modify mode.
  bool AddDesc() override;
};

}  // namespace quorvelin
