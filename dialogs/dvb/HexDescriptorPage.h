// The "Other Descriptor" page of every descriptor dialog of the SDT, NIT and BAT: any descriptor
// as tag, length and typed hexadecimal data, added to the loop the selection names (a loop
// holder, or a transport stream's descriptor loop), or put in the place of the selected one
// where its kind is modified in place.
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
  HexDescriptorPage(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(dvb_ids::hex_descriptor::kTemplate, tree, ui) {}

  // In modify mode the fields show the stored descriptor.
  void OnInitDialog() override;
  // Add: under the selected loop holder (network or bouquet loop), or in the selected transport
  // stream's descriptor loop, made when missing; the section must have room. Modify: the selected
  // descriptor, of a kind modified in place, is replaced where it stands. The loop lengths grow
  // by the difference.
  bool AddDesc() override;

  // A dialog that makes the loop holder itself (the service's "descriptors" of the SDT) gives it
  // here; the page then adds under it, selects the new item and leaves the loop length to the
  // dialog, which reads the bytes added from AddedBytes.
  void SetHolder(ItemHandle holder) { holder_ = holder; }
  // Bytes of the descriptor last added under a given holder (descriptor_length + 2), 0 after a refusal.
  int AddedBytes() const { return added_; }

  // 1 add, 0 modify the selected descriptor.
  uint8_t add = 1;

 private:
  // The three fields checked in form order, then converted; nothing after a refusal.
  std::optional<HexDescriptorInput> ReadTypedDescriptor() {
    using namespace dvb_ids::hex_descriptor;
    return HexDescriptorFields{kTag, kLength, kData}.Read(*this);
  }
  bool AddUnderGivenHolder(HexDescriptorInput typed);

  ItemHandle holder_ = kNoItem;
  int added_ = 0;
};

}  // namespace quorvelin
