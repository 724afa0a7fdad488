#include "dialogs/common/HexDescriptorFields.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

std::optional<HexDescriptorInput> HexDescriptorFields::Read(Form& form) const {
  const auto refuse = [&form](const char* message, int focus) {
    form.Refuse(message, focus);
    return std::nullopt;
  };
  const std::string tagText = form.TrimmedText(tag);
  if (tagText.empty()) return refuse("Descriptor_tag can not be null!", tag);
  const std::string lengthText = form.TrimmedText(length);
  if (lengthText.empty()) return refuse("Descriptor_length can not be null!", length);
  const std::string dataText = form.TrimmedText(data);
  if (dataText.empty()) return refuse("Descriptor_data can not be null!", data);

  const std::optional<uint32_t> tagValue = ReadField(form, tag, kByteField);
  if (!tagValue) return std::nullopt;
  const std::optional<uint32_t> lengthValue = ReadField(form, length, kByteField);
  if (!lengthValue) return std::nullopt;
  const int n = static_cast<int>(*lengthValue);

  HexDescriptorInput in;
  in.descriptor.tag = static_cast<uint8_t>(*tagValue);
  in.descriptor.length = static_cast<uint8_t>(n);
  in.descriptor.data.resize(static_cast<size_t>(n));
  if (!ReadHexData(form, data, length, dataText, n, in.normalised, in.descriptor.data.data())) return std::nullopt;
  return in;
}

}  // namespace quorvelin
