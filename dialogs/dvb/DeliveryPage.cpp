#include "dialogs/dvb/DeliveryPage.h"

#include <algorithm>

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::delivery;

std::optional<double> DeliveryPage::ReadDecimalDigits(int id, int wholeDigits, int fractionDigits,
                                                      std::array<uint8_t, 4>& field) {
  const std::string text = Field(id);
  if (KeepsShown(id, field)) return ReadDecimal(text).value_or(0.0);
  const size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
  if (!whole.empty() && whole[0] == '+') whole.erase(0, 1);
  const auto allDigits = [](const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; };
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  const bool typedDigit = text.find_first_of("0123456789") != std::string::npos;
  if (allDigits(whole) && allDigits(fraction)) fraction.erase(fraction.find_last_not_of('0') + 1);
  if (!typedDigit || !allDigits(whole) || !allDigits(fraction) || static_cast<int>(whole.size()) > wholeDigits ||
      static_cast<int>(fraction.size()) > fractionDigits) {
    Refuse(RangeMessage(*this, id, "0",
                        std::string(static_cast<size_t>(wholeDigits), '9') + "." +
                            std::string(static_cast<size_t>(fractionDigits), '9')),
           id);
    return std::nullopt;
  }
  const std::string digits = std::string(static_cast<size_t>(wholeDigits) - whole.size(), '0') + whole + fraction +
                             std::string(static_cast<size_t>(fractionDigits) - fraction.size(), '0');
  field = {};
  DigitsToBcd(digits, field.data(), static_cast<int>(field.size()));
  return ReadDecimal(text).value_or(0.0);
}

void DeliveryPage::ShowListCode(int controlId, int code) {
  SetComboIndex(controlId, code);
  storedCodes_[controlId] = code;
}

int DeliveryPage::ListIndex(int controlId) {
  const int index = ComboIndex(controlId);
  if (const auto stored = storedCodes_.find(controlId); stored != storedCodes_.end() && stored->second == index)
    return index;
  return EntryText(controlId, index).empty() ? 0 : index;
}

void DeliveryPage::ShowDigits(int id, std::span<const uint8_t> field, int wholeDigits, int fractionDigits) {
  std::string nibbles;
  for (size_t i = 0; i < static_cast<size_t>(wholeDigits + fractionDigits) && i / 2 < field.size(); ++i)
    nibbles += Format("%x", i % 2 ? field[i / 2] & 0x0f : field[i / 2] >> 4);
  std::string whole = nibbles.substr(0, static_cast<size_t>(wholeDigits));
  std::string fraction = nibbles.substr(whole.size());
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  if (!fraction.empty()) fraction.erase(std::max<size_t>(fraction.find_last_not_of('0') + 1, 1));
  const std::string text = fraction.empty() ? whole : whole + "." + fraction;
  SetText(id, text);
  shownDigits_[id] = {text, nibbles};
}

bool DeliveryPage::KeepsShown(int id, std::span<uint8_t> field) {
  const auto shown = shownDigits_.find(id);
  if (shown == shownDigits_.end() || Field(id) != shown->second.first) return false;
  const std::string& nibbles = shown->second.second;
  std::fill(field.begin(), field.end(), uint8_t{0});
  const size_t first = field.size() * 2 - std::min(nibbles.size(), field.size() * 2);  // right-aligned
  for (size_t i = 0; i < nibbles.size() && first + i < field.size() * 2; ++i) {
    const auto nibble = static_cast<uint8_t>(std::stoi(nibbles.substr(i, 1), nullptr, 16));
    field[(first + i) / 2] |= static_cast<uint8_t>((first + i) % 2 ? nibble : nibble << 4);
  }
  return true;
}

bool DeliveryPage::AddDelivery(const NodeRecord& record) {
  const auto target =
      TargetStream(add ? std::nullopt : std::optional<NodeKind>(record.kind), kDeliveryLength + 2, kFrequency);
  if (!target) return false;
  const auto added =
      AppendStreamDescriptor(tree_, target->place, NodeKind::NitTransportDescriptorList, record, target->old);
  tree_.Expand(added.item, ExpandCode::Expand);
  tree_.Expand(target->place.stream, ExpandCode::Expand);
  tree_.Expand(added.holder, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
