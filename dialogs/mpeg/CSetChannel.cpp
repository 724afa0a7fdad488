#include "dialogs/mpeg/CSetChannel.h"

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
  const int32_t typed = DecimalNumber(Text(kChannel));
  if (typed < kFirstChannel || typed > kLastChannel) {
    ui_.PlainMessageBox("SetChannel error");
    focusId = kChannel;
    return false;
  }
  channel = typed;
  return true;
}

bool RunSetChannel(TableTreeCtrl& tree, Ui& ui, DialogRunner& runner, const std::function<void()>& refresh) {
  CSetChannel dialog(tree, ui, tree.channelNumber);
  if (!runner.RunModal(dialog)) return false;
  tree.channelNumber = dialog.channel;
  if (refresh) refresh();
  return true;
}

}  // namespace quorvelin
