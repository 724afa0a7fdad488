#include "dialogs/mpeg/CDlgModifySdtSection.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::sdt_section;

CDlgModifySdtSection::CDlgModifySdtSection(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

void CDlgModifySdtSection::OnInitDialog() {
  Form::OnInitDialog();
  if (const auto* h = SelectedPayload<SdtSectionHeader>(tree_, NodeKind::SdtSection)) {
    SetText(kTransportStreamId, Format("0x%x", h->transport_stream_id));
    SetText(kOriginalNetworkId, Format("0x%x", h->original_network_id));
  }
  focusId = kTransportStreamId;
}

bool CDlgModifySdtSection::OnOK() {
  const std::string tsid = TrimmedText(kTransportStreamId);
  if (tsid.empty()) return Refuse("Tranport_stream_id can't be NULL!", kTransportStreamId);
  const std::string onid = TrimmedText(kOriginalNetworkId);
  if (onid.empty()) return Refuse("Orignal_network_id can't be NULL!", kOriginalNetworkId);
  const auto tsidValue = ReadField(*this, kTransportStreamId, kHexIdField);
  if (!tsidValue) return false;
  const auto onidValue = ReadField(*this, kOriginalNetworkId, kHexIdField);
  if (!onidValue) return false;
  auto* h = SelectedPayload<SdtSectionHeader>(tree_, NodeKind::SdtSection);
  if (!h) return true;
  h->transport_stream_id = static_cast<uint16_t>(*tsidValue);
  h->original_network_id = static_cast<uint16_t>(*onidValue);
  const ItemHandle section = tree_.GetSelectedItem();
  RewriteChild(tree_, section, 3, Format("transport_stream_id: 0x%x", h->transport_stream_id));
  RewriteChild(tree_, section, 8, Format("original_network_id: 0x%x", h->original_network_id));
  return true;
}

}  // namespace quorvelin
