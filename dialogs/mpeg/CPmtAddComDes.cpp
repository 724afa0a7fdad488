#include "dialogs/mpeg/CPmtAddComDes.h"

#include "resources/MpegDialogIds.h"

namespace quorvelin {

CPmtAddComDes::CPmtAddComDes(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(mpeg_ids::pmt_descriptor::kTemplate, tree, ui), other_(tree, ui), ca_(tree, ui) {}

void CPmtAddComDes::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Stream Descriptor";
  AddPage("Other Descriptor", other_);
  AddPage("CA_descriptor", ca_);
  sheet_.Show();
}

}  // namespace quorvelin
