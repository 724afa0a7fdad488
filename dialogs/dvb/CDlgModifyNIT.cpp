#include "dialogs/dvb/CDlgModifyNIT.h"

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::nit_modify;

void CDlgModifyNIT::OnInitDialog() {
  Form::OnInitDialog();
  title = "Modify NIT";
  if (const LoopSectionHeader* h = LoopHeaderOf(tree_, tree_.GetSelectedItem())) {
    SetText(kVersionNumber, Format("0x%x", h->version_number));
    SetText(kNetworkId, Format("0x%x", h->id));
    SetText(kCurrentNext, Format("0x%x", h->current_next_indicator & 1));
  }
  focusId = kVersionNumber;
}

bool CDlgModifyNIT::OnOK() {
  if (Field(kVersionNumber).empty()) return Refuse("VersionNumber can't be NULL!", kVersionNumber);
  if (Field(kNetworkId).empty()) return Refuse("network_id can't be NULL!", kNetworkId);
  // An empty current_next_indicator counts as out of range.
  const auto versionValue = ReadField(*this, kVersionNumber, Bits(5));
  if (!versionValue) return false;
  const auto networkValue = ReadField(*this, kNetworkId, {0, kMaxNetworkId});
  if (!networkValue) return false;
  const auto cniValue = ReadField(*this, kCurrentNext, Bits(1));
  if (!cniValue) return false;
  const uint32_t version = *versionValue, network = *networkValue, cni = *cniValue;

  const ItemHandle section = tree_.GetSelectedItem();
  LoopSectionHeader* h = LoopHeaderOf(tree_, section);
  if (!h || tree_.KindOf(section) != NodeKind::NitSection) return true;
  h->version_number = static_cast<uint8_t>(version);
  h->id = static_cast<uint16_t>(network);
  h->current_next_indicator = static_cast<uint8_t>((h->current_next_indicator & ~1u) | cni);
  RewriteLine(tree_, tree_.ChildAt(section, 3), "network_id: 0x%x", network & 0xFFFF);
  RewriteLine(tree_, tree_.ChildAt(section, 4), "version_number: 0x%x", version & 0xFF);
  RewriteLine(tree_, tree_.ChildAt(section, 5), "current_next_indicator: 0x%x", cni);
  return true;
}

}  // namespace quorvelin
