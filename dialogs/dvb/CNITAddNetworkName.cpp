#include "dialogs/dvb/CNITAddNetworkName.h"

#include <algorithm>

#include "dialogs/dvb/NameDescriptorText.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "util/Number.h"

namespace quorvelin {

CNITAddNetworkName::CNITAddNetworkName(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(kTemplate, tree, ui) {}

void CNITAddNetworkName::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  SetText(kTag, "0x40");
}

bool CNITAddNetworkName::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  const std::string typed = Field(kName);
  if (typed.empty()) return Refuse("network_name can not be null!", kName);
  const auto name = EncodeTypedName(typed);
  if (!name) return Refuse(NameTooLongMessage("network_name"), kName);
  const int size = name->length + 2;

  const ItemHandle selected = tree_.GetSelectedItem();
  std::optional<StreamPlace> stream;
  if (loopMode == kTransportLoop) {
    stream = LocateStream(tree_, selected);
    if (!stream || tree_.KindOf(selected) != NodeKind::NitTransportStream) return false;
    if (!LoopSectionHasRoom(*stream->header, size)) return Refuse(kSectionFullMessage, kName);
  } else {
    if (tree_.KindOf(selected) != NodeKind::NitNetworkDescriptorList) return false;
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(selected));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, size)) return Refuse(kSectionFullMessage, kName);
  }

  const ItemHandle parent =
      stream ? EnsureDescriptorHolder(tree_, selected, NodeKind::NitTransportDescriptorList) : selected;
  NameDescriptor d = *name;
  d.tag = static_cast<uint8_t>(ParseNumber(Field(kTag)));
  const NodeKind kind = stream ? NodeKind::NitTransportNetworkName : NodeKind::NitNetworkName;
  const ItemHandle item =
      InsertItemWithLines(tree_, parent, Format("descriptor_tag: 0x%x", d.tag), MakeRecord(kind, d),
                           {Format("descriptor_length: 0x%x", d.length), "network_name: " + typed});
  if (stream)
    GrowStreamDescriptors(tree_, *stream, size, tree_.GetPrevSiblingItem(parent), "transport_descriptors_length: 0x%x");
  else
    GrowSectionDescriptors(tree_, parent, size, "network_descriptors_length: 0x%x");
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
