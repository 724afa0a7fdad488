// The terrestrial_delivery_system_descriptor page (tag 0x5A): centre frequency in units of
// 10 Hz, the transmission parameters chosen from lists, and the one-bit fields as check boxes
// (checked: 1; priority, Time_Slicing_indicator and MPE-FEC_indicator start checked).
#pragma once

#include "dialogs/dvb/DeliveryPage.h"

namespace quorvelin {

class CNITAddTDS : public DeliveryPage {
 public:
  static constexpr int kTemplate = 4038;
  static constexpr int kCentreFrequency = 4019;
  static constexpr int kBandwidth = 4022;
  static constexpr int kConstellation = 4041;
  static constexpr int kHierarchy = 4042;
  static constexpr int kCodeRateHp = 4043;
  static constexpr int kCodeRateLp = 4046;
  static constexpr int kGuardInterval = 4044;
  static constexpr int kTransmissionMode = 4045;
  static constexpr int kOtherFrequency = 4047;
  static constexpr int kPriority = 4049;
  static constexpr int kTimeSlicing = 4050;
  static constexpr int kMpeFec = 4051;

  CNITAddTDS(TableTreeCtrl& tree, Ui& ui) : DeliveryPage(kTemplate, tree, ui) {}

  void OnInitDialog() override;
  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
