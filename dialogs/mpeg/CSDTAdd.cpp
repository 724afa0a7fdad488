#include "dialogs/mpeg/CSDTAdd.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin {

using namespace mpeg_ids::sdt_add;

CSDTAdd::CSDTAdd(TableTreeCtrl& /*tree*/, Ui& ui) : Form(kTemplate, ui) {}

void CSDTAdd::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add SDT";
}

bool CSDTAdd::OnOK() {
  transportStreamId = TrimmedText(kTransportStreamId);
  originalNetworkId = TrimmedText(kOriginalNetworkId);
  if (transportStreamId.empty()) return Refuse("transprot_stream_id can not be null!", kTransportStreamId);
  if (originalNetworkId.empty()) return Refuse("original_netwrok_id can not be null!", kOriginalNetworkId);
  return ReadField(*this, kTransportStreamId, kIdField) && ReadField(*this, kOriginalNetworkId, kIdField);
}

}  // namespace quorvelin
