#include "dialogs/dvb/CNITAddNetworkName.h"

#include "dialogs/common/FieldRange.h"
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
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  auto name = EncodeTypedName(*this, kName, typed, "network_name");
  if (!name) return false;
  name->tag = static_cast<uint8_t>(*tag);
  const int size = name->length + 2;
  const std::string text = Format("descriptor_tag: 0x%x", name->tag);
  const std::vector<std::string> lines = {Format("descriptor_length: 0x%x", name->length), "network_name: " + typed};

  ItemHandle parent = kNoItem, item = kNoItem;
  if (loopMode == kTransportLoop) {
    const auto stream = SelectedStream(NodeKind::NitTransportStream, size, kName);
    if (!stream) return false;
    const auto added = AppendStreamDescriptor(tree_, *stream, NodeKind::NitTransportDescriptorList, text,
                                              MakeRecord(NodeKind::NitTransportNetworkName, *name), lines);
    parent = added.holder;
    item = added.item;
  } else {
    parent = tree_.GetSelectedItem();
    if (tree_.KindOf(parent) != NodeKind::NitNetworkDescriptorList) return false;
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(parent));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, size)) return Refuse(kSectionFullMessage, kName);
    item = InsertItemWithLines(tree_, parent, text, MakeRecord(NodeKind::NitNetworkName, *name), lines);
    GrowLoop(tree_, parent, size, kNetworkDescriptorsLengthLine);
  }
  tree_.Expand(parent, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
