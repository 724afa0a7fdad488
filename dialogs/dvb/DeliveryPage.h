// The common frame of the delivery system descriptor pages (cable, satellite, terrestrial):
// typed engineering values packed into the record, the descriptor appended to the selected
// NIT transport stream with descriptor_length 11.
#pragma once

#include <array>
#include <memory>
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
  // The leading number of a typed value (0 when there is none).
  static double TypedValue(const std::string& text);
  // Prints the value with `format` and packs its decimal digits, right-aligned, into the zeroed
  // 4-byte field; false when the value is negative, not finite, or has more than `maxDigits` digits.
  static bool PackDigits(double value, const char* format, int maxDigits, std::array<uint8_t, 4>& field);
  // Selection of a list control, 0 when none is chosen.
  int ListIndex(int controlId);
  // Appends "descriptor_tag: 0x%x" with the record and lines to the selected stream's descriptors,
  // grows both loop lengths by 13, expands the new item, the stream and the holder.
  bool AddDelivery(uint8_t tag, std::unique_ptr<NodeRecord> record, const std::vector<std::string>& lines);
};

}  // namespace quorvelin
