#include "dialogs/mpeg/CSetChannel.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::channel;

CSetChannel::CSetChannel(TableTreeCtrl& /*tree*/, Ui& ui, int current) : Form(kTemplate, ui), channel(current) {}

void CSetChannel::OnInitDialog() {
  Form::OnInitDialog();
  SetText(kChannel, Format("%d", channel));
  focusId = kChannel;
}

bool CSetChannel::OnOK() {
  const auto typed = ReadField(*this, kChannel, {kFirstChannel, kLastChannel, NumberText::Decimal});
  if (!typed) return false;
  channel = static_cast<int>(*typed);
  return true;
}

}  // namespace quorvelin
