// Adds one descriptor to the network descriptor loop of a NIT section: network name, any
// descriptor typed as hexadecimal, or linkage; or modifies the selected network name.
#pragma once

#include "dialogs/dvb/CDlgNITLinkage.h"
#include "dialogs/dvb/CNITAddNetworkName.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CNITAddNWDes : public DescriptorTabDialog {
 public:
  enum PageIndex { kNetworkNamePage = 0, kNetworkDescriptorPage = 1, kLinkagePage = 2 };

  // Add on a `NitNetworkDescriptorList` item; ModifyName on a `NitNetworkName`, on its page alone.
  enum class Mode { Add, ModifyName };
  CNITAddNWDes(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);

  void OnInitDialog() override;


 private:
  CNITAddNetworkName networkName_;
  HexDescriptorPage other_;
  CDlgNITLinkage linkage_;
  Mode mode_;
};

}  // namespace quorvelin
