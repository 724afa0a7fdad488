#include "dialogs/dvb/HexDescriptorPage.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "sections/descriptors/DescriptorRegistry.h"
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
  const uint8_t tag = typed.descriptor.tag;
  const std::vector<uint8_t> data = typed.descriptor.data;
  const ItemHandle item = InsertItemWithLines(tree_, parent, text, MakeRecord(kind, std::move(typed.descriptor)), lines);
  AddDecodedLines(tree_, item, {tag, data});
  return item;
}

}  // namespace quorvelin
