#include "dialogs/dvb/HexDescriptorPage.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "util/Number.h"

namespace quorvelin {

std::optional<TypedDescriptor> HexDescriptorPage::ReadTypedDescriptor() {
  if (Field(kTag).empty()) return Refuse("Descriptor_tag can not be null!", kTag), std::nullopt;
  if (Field(kLength).empty()) return Refuse("Descriptor_length can not be null!", kLength), std::nullopt;
  if (Field(kData).empty()) return Refuse("Descriptor_data can not be null!", kData), std::nullopt;
  const int32_t n = ParseNumber(Field(kLength));
  if (static_cast<uint32_t>(n) > 255) return Refuse("Descriptor_length can't be more than 255!", kLength), std::nullopt;
  TypedDescriptor typed;
  typed.descriptor.data.resize(static_cast<size_t>(n) + 1);
  if (!HexTextToBytes(Text(kData), typed.normalisedHex, n, typed.descriptor.data.data()))
    return RefuseApp("The data is error!", kData), std::nullopt;
  typed.descriptor.data.resize(static_cast<size_t>(n));
  typed.descriptor.tag = static_cast<uint8_t>(ParseNumber(Field(kTag)));
  typed.descriptor.length = static_cast<uint8_t>(n);
  return typed;
}

void HexDescriptorPage::ShowDescriptor(const GenericDescriptor& descriptor) {
  SetText(kTag, Format("0x%x", descriptor.tag));
  SetText(kLength, Format("0x%x", descriptor.length));
  std::string hex;
  BytesToHexText(hex, descriptor.data.data(), static_cast<int>(descriptor.data.size()));
  SetText(kData, hex);
}

ItemHandle HexDescriptorPage::InsertTypedDescriptor(ItemHandle parent, NodeKind kind, TypedDescriptor typed) {
  const GenericDescriptor& d = typed.descriptor;
  const std::string tagLine = Format("descriptor_tag: 0x%x", d.tag);
  std::initializer_list<std::string> lines = {Format("descriptor_length: 0x%x", d.length), "data: " + typed.normalisedHex};
  return InsertDescriptorItem(tree_, parent, tagLine, MakeRecord(kind, std::move(typed.descriptor)), lines);
}

}  // namespace quorvelin
