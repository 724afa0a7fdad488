#include "dialogs/dvb/CNITAddStreamDes.h"

namespace quorvelin {

CNITAddStreamDes::CNITAddStreamDes(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(kTemplate, tree, ui),
      cable_(tree, ui),
      other_(tree, ui),
      serviceList_(tree, ui),
      satellite_(tree, ui),
      networkName_(tree, ui),
      logicalChannels_(tree, ui),
      terrestrial_(tree, ui) {}

void CNITAddStreamDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Stream Descriptor";
  AddPage("Cable_delivery_system_descriptor", cable_);
  AddPage("Other Descriptor", other_);
  AddPage("ServiceList", serviceList_);
  AddPage("Satellite_delivery_system_descriptor", satellite_);
  AddPage("Network_name Descriptor", networkName_);
  AddPage("logical_channel_descriptor", logicalChannels_);
  AddPage("terrestrial_delivery_system_descriptor", terrestrial_);
  if (serviceListModify) {
    serviceList_.add = 0;
    tabLock_ = 1;
  }
  if (logicalChannelModify) {
    logicalChannels_.add = 0;
    tabLock_ = 1;
  }
  sheet_.Show();
  if (serviceListModify) sheet_.SetCurSel(kServiceListPage);
  if (logicalChannelModify) sheet_.SetCurSel(kLogicalChannelPage);
  networkName_.loopMode = CNITAddNetworkName::kTransportLoop;
}

}  // namespace quorvelin
