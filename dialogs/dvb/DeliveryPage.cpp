#include "dialogs/dvb/DeliveryPage.h"

#include <algorithm>

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

std::optional<double> DeliveryPage::ReadDecimalDigits(int id, int wholeDigits, int fractionDigits,
                                                      std::array<uint8_t, 4>& field) {
  const std::string text = Field(id);
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

int DeliveryPage::ListIndex(int controlId) {
  const int index = ComboIndex(controlId);
  return EntryText(controlId, index).empty() ? 0 : index;
}

bool DeliveryPage::AddDelivery(uint8_t tag, std::unique_ptr<NodeRecord> record, const std::vector<std::string>& lines) {
  const auto stream = SelectedStream(NodeKind::NitTransportStream, kDeliveryLength + 2, kFrequency);
  if (!stream) return false;
  const auto added = AppendStreamDescriptor(tree_, *stream, NodeKind::NitTransportDescriptorList,
                                            Format("descriptor_tag: 0x%x", tag), std::move(record), lines);
  tree_.Expand(added.item, ExpandCode::Expand);
  tree_.Expand(stream->stream, ExpandCode::Expand);
  tree_.Expand(added.holder, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
