// Adds one descriptor to the descriptor loop of a NIT transport stream, or modifies one of its
// descriptors that has a page (service list, logical channels, delivery system, network name);
// a modify run keeps the user on the page being modified.
#pragma once

#include "dialogs/dvb/CDlgNITAddLC.h"
#include "dialogs/dvb/CDlgNITAddServiceList.h"
#include "dialogs/dvb/CNITAddCable.h"
#include "dialogs/dvb/CNITAddNetworkName.h"
#include "dialogs/dvb/CNITAddSatellite.h"
#include "dialogs/dvb/CNITAddTDS.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddStreamDes : public DescriptorTabDialog {
 public:
  enum PageIndex {
    kCablePage = 0,
    kOtherPage = 1,
    kServiceListPage = 2,
    kSatellitePage = 3,
    kNetworkNamePage = 4,
    kLogicalChannelPage = 5,
    kTerrestrialPage = 6,
  };

  // Add on a `NitTransportStream`; Modify on a `NitServiceList`, `NitLogicalChannels`,
  // `NitCableDelivery`, `NitSatelliteDelivery`, `NitTerrestrialDelivery` or
  // `NitTransportNetworkName`, on its page alone.
  enum class Mode {
    Add,
    ModifyServiceList,
    ModifyLogicalChannels,
    ModifyCable,
    ModifySatellite,
    ModifyTerrestrial,
    ModifyNetworkName
  };
  CNITAddStreamDes(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);

  void OnInitDialog() override;

  HexDescriptorPage& OtherPage() { return other_; }
  CDlgNITAddServiceList& ServiceListPage() { return serviceList_; }
  CDlgNITAddLC& LogicalChannelPage() { return logicalChannels_; }

 private:
  CNITAddCable cable_;
  HexDescriptorPage other_;
  CDlgNITAddServiceList serviceList_;
  CNITAddSatellite satellite_;
  CNITAddNetworkName networkName_;
  CDlgNITAddLC logicalChannels_;
  CNITAddTDS terrestrial_;
  Mode mode_;
};

}  // namespace quorvelin
