#include "dialogs/mpeg/CDlgModifyTranIDNetworkID.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/LoopSections.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::transport_network_id;

CDlgModifyTranIDNetworkID::CDlgModifyTranIDNetworkID(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

TransportStreamEntry* CDlgModifyTranIDNetworkID::SelectedEntry() {
  return PayloadOf<TransportStreamEntry>(tree_, tree_.GetSelectedItem());
}

void CDlgModifyTranIDNetworkID::OnInitDialog() {
  Form::OnInitDialog();
  if (const TransportStreamEntry* e = SelectedEntry())
    ShowTransportIds(*this, kTransportStreamId, kOriginalNetworkId, {e->transport_stream_id, e->original_network_id});
  focusId = kTransportStreamId;
}

bool CDlgModifyTranIDNetworkID::OnOK() {
  const auto ids = ReadTransportIds(*this, kTransportStreamId, kOriginalNetworkId);
  if (!ids) return false;
  TransportStreamEntry* e = SelectedEntry();
  if (!e) return true;
  e->transport_stream_id = ids->transportStreamId;
  e->original_network_id = ids->originalNetworkId;
  const ItemHandle item = tree_.GetSelectedItem();
  tree_.SetItemText(item, StreamText(*e));
  RewriteChild(tree_, item, 0, OriginalNetworkLine(*e));
  return true;
}

}  // namespace quorvelin
