// The cable_delivery_system_descriptor page (tag 0x44): MHz and Msymbol/s packed as BCD.
#pragma once

#include "dialogs/dvb/DeliveryPage.h"

namespace quorvelin {

class CNITAddCable : public DeliveryPage {
 public:
  static constexpr int kTemplate = 4021;
  static constexpr int kFecOuter = 4020;
  static constexpr int kModulation = 4021;
  static constexpr int kSymbolRate = 4022;
  static constexpr int kFecInner = 4023;

  CNITAddCable(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
