#include "dialogs/dvb/CNITAddStreamDes.h"

namespace quorvelin {

CNITAddStreamDes::CNITAddStreamDes(TableTreeCtrl& tree, Ui& ui, Mode mode)
    : DescriptorTabDialog(kTemplate, tree, ui),
      cable_(tree, ui),
      other_(tree, ui),
      serviceList_(tree, ui),
      satellite_(tree, ui),
      networkName_(tree, ui),
      logicalChannels_(tree, ui),
      terrestrial_(tree, ui),
      mode_(mode) {}

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
  if (mode_ == Mode::ModifyServiceList) serviceList_.add = 0;
  if (mode_ == Mode::ModifyLogicalChannels) logicalChannels_.add = 0;
  if (mode_ != Mode::Add) tabLock_ = 1;
  sheet_.Show();
  if (mode_ == Mode::ModifyServiceList) sheet_.SetCurSel(kServiceListPage);
  if (mode_ == Mode::ModifyLogicalChannels) sheet_.SetCurSel(kLogicalChannelPage);
  networkName_.loopMode = CNITAddNetworkName::kTransportLoop;
}

}  // namespace quorvelin
