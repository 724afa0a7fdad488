#include "dialogs/dvb/CNITAddNWDes.h"

namespace quorvelin {

using namespace dvb_ids::nit_network_descriptor;

CNITAddNWDes::CNITAddNWDes(TableTreeCtrl& tree, Ui& ui, Mode mode)
    : DescriptorTabDialog(kTemplate, tree, ui),
      networkName_(tree, ui),
      other_(tree, ui),
      linkage_(tree, ui),
      mode_(mode) {}

void CNITAddNWDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = mode_ == Mode::Add ? "Add Descriptor" : "Modify Descriptor";
  AddPage("network_name_descriptor", networkName_);
  AddPage("Other Descriptor", other_);
  AddPage("linkage_descriptor", linkage_);
  if (mode_ == Mode::ModifyName) networkName_.add = 0, tabLock_ = 1;
  sheet_.Show();
}

}  // namespace quorvelin
