// Adds a descriptor to a BAT transport stream (any descriptor typed as hexadecimal, or a service
// list), or modifies the selected service list or `BatDescriptor`.
#pragma once

#include "dialogs/dvb/CBATAddUndefDes.h"
#include "dialogs/dvb/CDlgNITAddServiceList.h"
#include "dialogs/dvb/DescriptorTabDialog.h"

namespace quorvelin {

class CBATAddStreamDes : public DescriptorTabDialog {
 public:
  static constexpr int kTemplate = 4039;
  enum PageIndex { kOtherPage = 0, kServiceListPage = 1 };

  // Add on a `BatTransportStream`; Modify on a `BatServiceList` (serviceListModify 1) or on a
  // `BatDescriptor` (otherModify 1), whichever loop holds it: a descriptor of the bouquet loop is
  // replaced there (its page runs in bouquet-loop mode).
  CBATAddStreamDes(TableTreeCtrl& tree, Ui& ui);

  void OnInitDialog() override;

  uint8_t serviceListModify = 0;
  uint8_t otherModify = 0;

  CBATAddUndefDes& OtherPage() { return other_; }
  CDlgNITAddServiceList& ServiceListPage() { return serviceList_; }

 private:
  CBATAddUndefDes other_;
  CDlgNITAddServiceList serviceList_;
};

}  // namespace quorvelin
