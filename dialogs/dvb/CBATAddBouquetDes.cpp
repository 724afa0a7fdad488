#include "dialogs/dvb/CBATAddBouquetDes.h"

namespace quorvelin {

CBATAddBouquetDes::CBATAddBouquetDes(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(kTemplate, tree, ui), name_(tree, ui), other_(tree, ui) {}

void CBATAddBouquetDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  if (add == 0) name_.add = 0;
  if (otherModify) other_.add = 0;
  AddPage("bouquet_name Descriptor", name_);
  AddPage("other Descriptor", other_);
  other_.loopMode = CBATAddUndefDes::kBouquetLoop;
  sheet_.Show();
  if (otherModify) sheet_.SetCurSel(kOtherPage);
}

}  // namespace quorvelin
