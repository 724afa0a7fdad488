#include "dialogs/dvb/NameDescriptorText.h"

#include <algorithm>

#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin {

std::optional<NameDescriptor> EncodeTypedName(const std::string& typed) {
  const std::vector<uint8_t> bytes = EncodeName(typed, TextCode());
  if (bytes.size() > static_cast<size_t>(kMaxNameBytes)) return std::nullopt;
  NameDescriptor d;
  d.length = static_cast<uint8_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), d.name.begin());
  return d;
}

std::string NameTooLongMessage(const char* field) {
  return Format("%s can't be longer than %d bytes!", field, kMaxNameBytes);
}

std::string StoredNameText(const NameDescriptor& name) {
  return DecodeName(name.name.data(), std::min<size_t>(name.length, name.name.size()), TextCode());
}

}  // namespace quorvelin
