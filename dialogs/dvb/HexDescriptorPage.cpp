#include "dialogs/dvb/HexDescriptorPage.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "sections/descriptors/EditableKinds.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::hex_descriptor;

void HexDescriptorPage::ShowDescriptor(const GenericDescriptor& descriptor) {
  SetText(kTag, Format("0x%x", descriptor.tag));
  SetText(kLength, Format("0x%x", descriptor.length));
  std::string hex;
  BytesToHexText(hex, descriptor.data.data(), static_cast<int>(descriptor.data.size()));
  SetText(kData, hex);
}

ItemHandle HexDescriptorPage::InsertTypedDescriptor(ItemHandle parent, NodeKind kind, HexDescriptorInput typed,
                                                    ItemHandle after) {
  return AddLoopDescriptor(tree_, parent, *MakeRecord(kind, std::move(typed.descriptor)), after);
}

}  // namespace quorvelin
