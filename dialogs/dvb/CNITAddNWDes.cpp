#include "dialogs/dvb/CNITAddNWDes.h"

namespace quorvelin {

CNITAddNWDes::CNITAddNWDes(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(kTemplate, tree, ui), networkName_(tree, ui), undef_(tree, ui), linkage_(tree, ui) {}

void CNITAddNWDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Descriptor";
  AddPage("Network_name Descriptor", networkName_);
  AddPage("Network Descriptor", undef_);
  AddPage("Link_age", linkage_);
  sheet_.Show();
}

}  // namespace quorvelin
