// The common frame of the delivery system descriptor pages (cable, satellite, terrestrial):
// typed engineering values packed into the record, the descriptor appended to the selected
// NIT transport stream with descriptor_length 11, or put in the place of the selected one.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/dvb/DescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class DeliveryPage : public DescriptorPage {
 public:
  static constexpr int kDeliveryLength = 11;

  using DescriptorPage::DescriptorPage;

  // 1 add (a `NitTransportStream` is selected), 0 modify (the delivery descriptor to replace,
  // whose values the page starts with).
  uint8_t add = 1;

 protected:
  // Modify mode: shows `wholeDigits` + `fractionDigits` BCD digits from the top of `field` in
  // field `id` as a decimal ("474.0", "11.75725", "192"). Left as shown, the field goes back with
  // those digits as they came, even a nibble that is no decimal digit (KeepsShown).
  void ShowDigits(int id, std::span<const uint8_t> field, int wholeDigits, int fractionDigits);
  // True, with `field` zeroed and the shown digits packed into it right-aligned, when field `id`
  // still holds what ShowDigits put there.
  bool KeepsShown(int id, std::span<uint8_t> field);
  // A decimal value typed in the unit of the field's label, with at most `wholeDigits` digits
  // before the point and `fractionDigits` after it; its digits packed as BCD, right-aligned, into
  // the zeroed 4-byte field. Anything else is refused with the field's range ("Frequency must be
  // 0 to 9999.9999 (MHz)!"): no digit is rounded away. Returns the value for the branch's line.
  std::optional<double> ReadDecimalDigits(int id, int wholeDigits, int fractionDigits, std::array<uint8_t, 4>& field);
  // Selection of a list control, 0 when no entry of its template is chosen: a code of the list;
  // a stored code shown by ShowListCode and left chosen stays, in the list or not.
  int ListIndex(int controlId);
  void ShowListCode(int controlId, int code);
  // Appends the record's descriptor to the selected stream's descriptors (modify: in the place of
  // the selected descriptor of the record's kind), grows both loop lengths by its growth, expands
  // the new item, the stream and the holder.
  bool AddDelivery(const NodeRecord& record);

 private:
  std::map<int, int> storedCodes_;  // modify mode: list control -> the stored code shown
  std::map<int, std::pair<std::string, std::string>> shownDigits_;  // field -> text shown, its digits
};

}  // namespace quorvelin
