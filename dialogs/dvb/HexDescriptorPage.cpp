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

ItemHandle HexDescriptorPage::InsertTypedDescriptor(ItemHandle parent, NodeKind kind, HexDescriptorInput typed) {
  const GenericDescriptor& d = typed.descriptor;
  const std::string tagLine = Format("descriptor_tag: 0x%x", d.tag);
  const std::string lengthLine = Format("descriptor_length: 0x%x", d.length);
  return InsertItemWithLines(tree_, parent, tagLine, MakeRecord(kind, std::move(typed.descriptor)),
                              {lengthLine, "data: " + typed.normalised});
}

}  // namespace quorvelin
