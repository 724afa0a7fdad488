// The common frame of the delivery system descriptor pages (cable, satellite, terrestrial):
// typed engineering values packed into the record, the descriptor appended to the selected
// NIT transport stream with descriptor_length 11.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

class DeliveryPage : public DescriptorPage {
 public:
  static constexpr int kTag = 4015;
  static constexpr int kFrequency = 4019;
  static constexpr int kDeliveryLength = 11;

  using DescriptorPage::DescriptorPage;

 protected:
  // A decimal value typed in the unit of the field's label, with at most `wholeDigits` digits
  // before the point and `fractionDigits` after it; its digits packed as BCD, right-aligned, into
  // the zeroed 4-byte field. Anything else is refused with the field's range ("Frequency must be
  // 0 to 9999.9999 (MHz)!"): no digit is rounded away. Returns the value for the branch's line.
  std::optional<double> ReadDecimalDigits(int id, int wholeDigits, int fractionDigits, std::array<uint8_t, 4>& field);
  // Selection of a list control, 0 when no entry of its template is chosen: a code of the list.
  int ListIndex(int controlId);
  // Appends "descriptor_tag: 0x%x" with the record and lines to the selected stream's descriptors,
  // grows both loop lengths by 13, expands the new item, the stream and the holder.
  bool AddDelivery(uint8_t tag, std::unique_ptr<NodeRecord> record, const std::vector<std::string>& lines);
};

}  // namespace quorvelin
