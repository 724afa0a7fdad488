// The network_name_descriptor page (tag 0x40): network loop of a NIT section (mode 1) or the
// descriptor loop of a transport stream (mode 2); adds a name or replaces the selected one.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"
#include "dialogs/dvb/NameDescriptorText.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddNetworkName : public DescriptorPage {
 public:
  static constexpr int kNetworkLoop = 1;
  static constexpr int kTransportLoop = 2;

  CNITAddNetworkName(TableTreeCtrl& tree, Ui& ui);

  void OnInitDialog() override;
  bool AddDesc() override;

  // Mode 1 works on a selected `NitNetworkDescriptorList`, mode 2 on a selected `NitTransportStream`.
  int loopMode = kNetworkLoop;
  // 1 add, 0 modify: the selected `NitNetworkName` (mode 1) or `NitTransportNetworkName` (mode 2)
  // is replaced where it stands, the page starting with its name.
  uint8_t add = 1;

 private:
  NodeKind StoredKind() const;
  ShownName shown_;
};

}  // namespace quorvelin
