#include "dialogs/mpeg/CPATAdd.h"

#include "resources/MpegDialogIds.h"

namespace quorvelin {

using namespace mpeg_ids::pat_add;

CPATAdd::CPATAdd(TableTreeCtrl& /*tree*/, Ui& ui) : Form(kTemplate, ui) {}

void CPATAdd::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add PAT";
}

bool CPATAdd::OnOK() {
  transportStreamId = TrimmedText(kTransportStreamId);
  if (transportStreamId.empty()) return Refuse("transprot_stream_id can not be null!", kTransportStreamId);
  return true;
}

}  // namespace quorvelin
