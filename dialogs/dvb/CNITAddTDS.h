// The terrestrial_delivery_system_descriptor page (tag 0x5A): centre frequency in units of
// 10 Hz, the transmission parameters chosen from lists, and the one-bit fields as check boxes
// (checked: 1; priority, Time_Slicing_indicator and MPE-FEC_indicator start checked).
#pragma once

#include "dialogs/dvb/DeliveryPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddTDS : public DeliveryPage {
 public:
  CNITAddTDS(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(dvb_ids::terrestrial::kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
