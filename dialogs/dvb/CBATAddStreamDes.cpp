#include "dialogs/dvb/CBATAddStreamDes.h"

namespace quorvelin {

using namespace dvb_ids::bat_stream_descriptor;

CBATAddStreamDes::CBATAddStreamDes(TableTreeCtrl& tree, Ui& ui, Mode mode)
    : DescriptorTabDialog(kTemplate, tree, ui), other_(tree, ui), serviceList_(tree, ui, Table::Bat), mode_(mode) {}

void CBATAddStreamDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  AddPage("Other Descriptor", other_);
  AddPage("service_list_descriptor", serviceList_);
  if (mode_ != Mode::Add) title = "Modify Stream Descriptor";
  if (mode_ == Mode::ModifyDescriptor) other_.add = 0;
  if (mode_ == Mode::ModifyServiceList) serviceList_.add = 0;
  sheet_.Show();
  if (mode_ == Mode::ModifyServiceList) sheet_.SetCurSel(kServiceListPage);
  if (mode_ == Mode::ModifyDescriptor) sheet_.SetCurSel(kOtherPage);
}

}  // namespace quorvelin
