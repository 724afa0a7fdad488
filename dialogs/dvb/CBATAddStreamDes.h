// Adds a descriptor to a BAT transport stream (any descriptor typed as hexadecimal, or a service
// list), or modifies the selected service list or `BatDescriptor`.
#pragma once

#include "dialogs/dvb/CBATAddUndefDes.h"
#include "dialogs/dvb/CDlgNITAddServiceList.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CBATAddStreamDes : public DescriptorTabDialog {
 public:
  enum PageIndex { kOtherPage = 0, kServiceListPage = 1 };

  // Add on a `BatTransportStream`; Modify on a `BatServiceList` or on a `BatDescriptor`,
  // whichever loop holds it: a descriptor of the bouquet loop is replaced there (its page runs in
  // bouquet-loop mode).
  enum class Mode { Add, ModifyServiceList, ModifyDescriptor };
  CBATAddStreamDes(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);

  void OnInitDialog() override;

  CBATAddUndefDes& OtherPage() { return other_; }
  CDlgNITAddServiceList& ServiceListPage() { return serviceList_; }

 private:
  CBATAddUndefDes other_;
  CDlgNITAddServiceList serviceList_;
  Mode mode_;
};

}  // namespace quorvelin
