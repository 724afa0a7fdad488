#include "dialogs/dvb/HexDescriptorPage.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "util/Number.h"

namespace quorvelin {

void HexDescriptorPage::ShowDescriptor(const GenericDescriptor& descriptor) {
  SetText(kTag, Format("0x%x", descriptor.tag));
  SetText(kLength, Format("0x%x", descriptor.length));
  std::string hex;
  BytesToHexText(hex, descriptor.data.data(), static_cast<int>(descriptor.data.size()));
  SetText(kData, hex);
}

std::string HexDescriptorPage::TagLine(const HexDescriptorInput& typed) {
  return Format("descriptor_tag: 0x%x", typed.descriptor.tag);
}

std::vector<std::string> HexDescriptorPage::DataLines(const HexDescriptorInput& typed) {
  return {Format("descriptor_length: 0x%x", typed.descriptor.length), "data: " + typed.normalised};
}

ItemHandle HexDescriptorPage::InsertTypedDescriptor(ItemHandle parent, NodeKind kind, HexDescriptorInput typed) {
  const std::string text = TagLine(typed);
  const std::vector<std::string> lines = DataLines(typed);
  return InsertItemWithLines(tree_, parent, text, MakeRecord(kind, std::move(typed.descriptor)), lines);
}

}  // namespace quorvelin
