#include "dialogs/dvb/CNITAddNetworkName.h"

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NameDescriptorText.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::network_name;

CNITAddNetworkName::CNITAddNetworkName(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(kTemplate, tree, ui) {}

void CNITAddNetworkName::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  SetText(kTag, "0x40");
  if (add) return;
  if (const auto* name = SelectedPayload<NameDescriptor>(tree_, StoredKind())) {
    SetText(kTag, Format("0x%x", name->tag));
    shown_.Show(*this, kName, *name);
  }
}

NodeKind CNITAddNetworkName::StoredKind() const {
  return loopMode == kTransportLoop ? NodeKind::NitTransportNetworkName : NodeKind::NitNetworkName;
}

bool CNITAddNetworkName::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  const std::string typed = Field(kName);
  if (typed.empty()) return Refuse("network_name can not be null!", kName);
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  auto name = shown_.Encode(*this, kName, typed, "network_name");
  if (!name) return false;
  name->tag = static_cast<uint8_t>(*tag);
  const int size = name->length + 2;
  const auto record = MakeRecord(StoredKind(), *name);

  const std::optional<NodeKind> replacedKind = add ? std::nullopt : std::optional<NodeKind>(StoredKind());
  ItemHandle parent = kNoItem, item = kNoItem;
  if (loopMode == kTransportLoop) {
    const auto target = TargetStream(replacedKind, size, kName);
    if (!target) return false;
    const auto added =
        AppendStreamDescriptor(tree_, target->place, NodeKind::NitTransportDescriptorList, *record, target->old);
    parent = added.holder;
    item = added.item;
  } else {
    ReplacedDescriptor old;
    parent = tree_.GetSelectedItem();
    if (replacedKind) {
      const auto found = DescriptorToReplace(tree_, parent, *replacedKind);
      if (!found) return false;
      old = *found;
      parent = old.holder;
    }
    if (tree_.KindOf(parent) != NodeKind::NitNetworkDescriptorList) return false;
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(parent));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, size - old.size)) return Refuse(kSectionFullMessage, kName);
    item = PutDescriptor(tree_, parent, *record, old);
    GrowLoop(tree_, parent, size - old.size);
  }
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
