// Adds a descriptor to a BAT transport stream (any descriptor typed as hexadecimal, or a service
// list), or modifies the selected service list or `BatDescriptor`.
#pragma once

#include "dialogs/dvb/CDlgNITAddServiceList.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CBATAddStreamDes : public DescriptorTabDialog {
 public:
  enum PageIndex { kOtherPage = 0, kServiceListPage = 1 };

  // Add on a `BatTransportStream`; Modify on a `BatServiceList` or on a `BatDescriptor`,
  // whichever loop holds it: the descriptor is replaced in its loop.
  enum class Mode { Add, ModifyServiceList, ModifyDescriptor };
  CBATAddStreamDes(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);

  void OnInitDialog() override;

  HexDescriptorPage& OtherPage() { return other_; }
  CDlgNITAddServiceList& ServiceListPage() { return serviceList_; }

 private:
  HexDescriptorPage other_;
  CDlgNITAddServiceList serviceList_;
  Mode mode_;
};

}  // namespace quorvelin
