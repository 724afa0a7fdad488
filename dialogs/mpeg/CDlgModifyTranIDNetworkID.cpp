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
  if (const TransportStreamEntry* e = SelectedEntry()) {
    SetText(kTransportStreamId, Format("0x%x", e->transport_stream_id));
    SetText(kOriginalNetworkId, Format("0x%x", e->original_network_id));
  }
  focusId = kTransportStreamId;
}

bool CDlgModifyTranIDNetworkID::OnOK() {
  const std::string tsid = TrimmedText(kTransportStreamId);
  if (tsid.empty()) return Refuse("Transport_stream_id can't be NULL!", kTransportStreamId);
  const std::string onid = TrimmedText(kOriginalNetworkId);
  if (onid.empty()) return Refuse("Original_network_id can't be NULL!", kOriginalNetworkId);
  const auto tsidValue = ReadField(*this, kTransportStreamId, kHexIdField);
  if (!tsidValue) return false;
  const auto onidValue = ReadField(*this, kOriginalNetworkId, kHexIdField);
  if (!onidValue) return false;
  TransportStreamEntry* e = SelectedEntry();
  if (!e) return true;
  e->transport_stream_id = static_cast<uint16_t>(*tsidValue);
  e->original_network_id = static_cast<uint16_t>(*onidValue);
  const ItemHandle item = tree_.GetSelectedItem();
  tree_.SetItemText(item, StreamText(*e));
  RewriteChild(tree_, item, 0, OriginalNetworkLine(*e));
  return true;
}

}  // namespace quorvelin
