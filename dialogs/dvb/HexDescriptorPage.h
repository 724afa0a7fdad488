// Pages that take any descriptor as tag, length and typed hexadecimal data (templates with
// the hex_descriptor controls).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dialogs/common/HexDescriptorFields.h"
#include "dialogs/dvb/DescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class HexDescriptorPage : public DescriptorPage {
 public:
  using DescriptorPage::DescriptorPage;

 protected:
  // The three fields checked in form order, then converted; nothing after a refusal.
  std::optional<HexDescriptorInput> ReadTypedDescriptor() {
    using namespace dvb_ids::hex_descriptor;
    return HexDescriptorFields{kTag, kLength, kData}.Read(*this);
  }
  // Modify mode: the stored tag and length ("0x%x") and data bytes in the fields.
  void ShowDescriptor(const GenericDescriptor& descriptor);
  // The descriptor under `parent` after `after`, drawn as a read of its bytes draws it.
  ItemHandle InsertTypedDescriptor(ItemHandle parent, NodeKind kind, HexDescriptorInput typed,
                                   ItemHandle after = kInsertLast);
};

}  // namespace quorvelin
