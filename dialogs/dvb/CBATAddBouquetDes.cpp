#include "dialogs/dvb/CBATAddBouquetDes.h"

namespace quorvelin {

using namespace dvb_ids::bat_bouquet_descriptor;

CBATAddBouquetDes::CBATAddBouquetDes(TableTreeCtrl& tree, Ui& ui, Mode mode)
    : DescriptorTabDialog(kTemplate, tree, ui), name_(tree, ui), other_(tree, ui), mode_(mode) {}

void CBATAddBouquetDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  if (mode_ == Mode::ModifyName) name_.add = 0, title = "Modify Descriptor";
  AddPage("bouquet_name_descriptor", name_);
  AddPage("Other Descriptor", other_);
  sheet_.Show();
}

}  // namespace quorvelin
