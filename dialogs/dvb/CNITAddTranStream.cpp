#include "dialogs/dvb/CNITAddTranStream.h"

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "sections/LoopSections.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::transport_stream;

void CNITAddTranStream::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Transport Stream";
}

bool CNITAddTranStream::OnOK() {
  if (Field(kTransportStreamId).empty()) return Refuse("transport_stream_id can not be null!", kTransportStreamId);
  if (Field(kOriginalNetworkId).empty()) return Refuse("original_network_id can not be null!", kOriginalNetworkId);
  const auto tsid = ReadField(*this, kTransportStreamId, kIdField);
  if (!tsid) return false;
  const auto onid = ReadField(*this, kOriginalNetworkId, kIdField);
  if (!onid) return false;
  const bool bat = family_ == Table::Bat;
  const ItemHandle holder = tree_.GetSelectedItem();
  if (tree_.KindOf(holder) != (bat ? NodeKind::BatTransportStreamList : NodeKind::NitTransportStreamList)) return false;
  const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(holder));
  if (!section) return false;
  if (!LoopSectionHasRoom(*section, 6)) return Refuse(kSectionFullMessage, kTransportStreamId);

  TransportStreamEntry e;
  e.transport_stream_id = static_cast<uint16_t>(*tsid);
  e.original_network_id = static_cast<uint16_t>(*onid);
  e.transport_descriptors_length.set(0);
  const ItemHandle stream =
      AddStreamItem(tree_, holder, bat ? NodeKind::BatTransportStream : NodeKind::NitTransportStream, e);
  GrowLoop(tree_, holder, 6 + e.transport_descriptors_length.get());
  tree_.Expand(holder, ExpandCode::Expand);
  tree_.Expand(stream, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
