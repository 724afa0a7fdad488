#include "dialogs/mpeg/CPATAdd.h"

#include "dialogs/common/FieldRange.h"
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
  return ReadField(*this, kTransportStreamId, kIdField).has_value();
}

}  // namespace quorvelin
