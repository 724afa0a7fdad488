#include "dialogs/mpeg/CDlgModifyTransID.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::transport_id;

CDlgModifyTransID::CDlgModifyTransID(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

PatSectionHeader* CDlgModifyTransID::SelectedHeader() {
  if (auto* pat = SelectedPayload<PatSectionHeader>(tree_, NodeKind::PatSection)) return pat;
  return SelectedPayload<SdtSectionHeader>(tree_, NodeKind::SdtSection);
}

void CDlgModifyTransID::OnInitDialog() {
  Form::OnInitDialog();
  if (const PatSectionHeader* h = SelectedHeader()) SetText(kTransportStreamId, Format("0x%x", h->transport_stream_id));
  focusId = kTransportStreamId;
}

bool CDlgModifyTransID::OnOK() {
  const std::string text = TrimmedText(kTransportStreamId);
  if (text.empty()) return Refuse("Transport_Stream_id can't be NULL!", kTransportStreamId);
  const auto tsid = ReadField(*this, kTransportStreamId, kHexIdField);
  if (!tsid) return false;
  PatSectionHeader* h = SelectedHeader();
  if (!h) return true;
  h->transport_stream_id = static_cast<uint16_t>(*tsid);
  RewriteChild(tree_, tree_.GetSelectedItem(), 3, Format("transport_stream_id: 0x%x", h->transport_stream_id));
  return true;
}

}  // namespace quorvelin
