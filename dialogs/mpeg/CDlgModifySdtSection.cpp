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
  if (const auto* h = SelectedPayload<SdtSectionHeader>(tree_, NodeKind::SdtSection))
    ShowTransportIds(*this, kTransportStreamId, kOriginalNetworkId, {h->transport_stream_id, h->original_network_id});
  focusId = kTransportStreamId;
}

bool CDlgModifySdtSection::OnOK() {
  const auto ids = ReadTransportIds(*this, kTransportStreamId, kOriginalNetworkId);
  if (!ids) return false;
  auto* h = SelectedPayload<SdtSectionHeader>(tree_, NodeKind::SdtSection);
  if (!h) return true;
  h->transport_stream_id = ids->transportStreamId;
  h->original_network_id = ids->originalNetworkId;
  const ItemHandle section = tree_.GetSelectedItem();
  RewriteChild(tree_, section, 3, Format("transport_stream_id: 0x%x", h->transport_stream_id));
  RewriteChild(tree_, section, 8, Format("original_network_id: 0x%x", h->original_network_id));
  return true;
}

}  // namespace quorvelin
