#include "dialogs/dvb/CBATAddStreamDes.h"

namespace quorvelin {

CBATAddStreamDes::CBATAddStreamDes(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(kTemplate, tree, ui), other_(tree, ui), serviceList_(tree, ui) {}

void CBATAddStreamDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  AddPage("Other Descriptor", other_);
  AddPage("ServiceList", serviceList_);
  other_.loopMode = CBATAddUndefDes::kTransportLoop;
  serviceList_.familyMode = CDlgNITAddServiceList::kBatMode;
  if (otherModify) {
    other_.add = 0;
    if (BatDescriptorLoop(tree_, tree_.GetSelectedItem()) == CBATAddUndefDes::kBouquetLoop)
      other_.loopMode = CBATAddUndefDes::kBouquetLoop;
  }
  if (serviceListModify) serviceList_.add = 0;
  sheet_.Show();
  if (serviceListModify) sheet_.SetCurSel(kServiceListPage);
  if (otherModify) sheet_.SetCurSel(kOtherPage);
}

}  // namespace quorvelin
