#include "dialogs/mpeg/CPmtAddComDes.h"

#include "resources/MpegDialogIds.h"

namespace quorvelin {

using namespace mpeg_ids;

CPmtAddComDes::CPmtAddComDes(TableTreeCtrl& tree, Ui& ui)
    : Form(pmt_descriptor::kTemplate, ui), other_(tree, ui), ca_(tree, ui) {
  BindTabSheet(kTabControl, sheet_);
}

void CPmtAddComDes::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Stream Descriptor";
  sheet_.AddPage("Other", &other_, pmt_other::kTemplate);
  sheet_.AddPage("CAT Descriptor", &ca_, ca_form::kPmtPageTemplate);
  sheet_.Show();
}

bool CPmtAddComDes::OnOK() {
  switch (sheet_.GetCurSel()) {
    case 0:
      return other_.AddDesc();
    case 1:
      return ca_.AddDesc();
    default:
      return true;
  }
}

}  // namespace quorvelin
