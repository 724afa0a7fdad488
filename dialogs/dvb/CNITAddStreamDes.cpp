#include "dialogs/dvb/CNITAddStreamDes.h"

#include <utility>

namespace quorvelin {

using namespace dvb_ids::nit_stream_descriptor;

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
  title = mode_ == Mode::Add ? "Add Stream Descriptor" : "Modify Stream Descriptor";
  AddPage("cable_delivery_system_descriptor", cable_);
  AddPage("Other Descriptor", other_);
  AddPage("service_list_descriptor", serviceList_);
  AddPage("satellite_delivery_system_descriptor", satellite_);
  AddPage("network_name_descriptor", networkName_);
  AddPage("logical_channel_descriptor", logicalChannels_);
  AddPage("terrestrial_delivery_system_descriptor", terrestrial_);
  networkName_.loopMode = CNITAddNetworkName::kTransportLoop;
  // by Mode, in its order: the page a modify run keeps to and its mode flag
  const std::pair<uint8_t*, int> modified[] = {{nullptr, -1},
                                               {&serviceList_.add, kServiceListPage},
                                               {&logicalChannels_.add, kLogicalChannelPage},
                                               {&cable_.add, kCablePage},
                                               {&satellite_.add, kSatellitePage},
                                               {&terrestrial_.add, kTerrestrialPage},
                                               {&networkName_.add, kNetworkNamePage}};
  const auto [add, page] = modified[static_cast<size_t>(mode_)];
  if (add) *add = 0;
  if (mode_ != Mode::Add) tabLock_ = 1;
  sheet_.Show();
  if (page >= 0) sheet_.SetCurSel(page);
}

}  // namespace quorvelin
