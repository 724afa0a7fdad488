#include "dialogs/dvb/DeliveryPage.h"

#include <cmath>
#include <cstdlib>

#include "util/Number.h"

namespace quorvelin {

double DeliveryPage::TypedValue(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

bool DeliveryPage::PackDigits(double value, const char* format, int maxDigits, std::array<uint8_t, 4>& field) {
  if (!std::isfinite(value) || value < 0) return false;
  char printed[64];
  std::snprintf(printed, sizeof printed, format, value);
  int digits = 0;
  for (const char* p = printed; *p; ++p) digits += *p >= '0' && *p <= '9';
  if (digits > maxDigits) return false;
  field = {};
  return DigitsToBcd(printed, field.data(), static_cast<int>(field.size()));
}

int DeliveryPage::ListIndex(int controlId) {
  const int index = ComboIndex(controlId);
  return index < 0 ? 0 : index;
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
