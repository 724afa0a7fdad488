#include "dialogs/dvb/NameDescriptorText.h"

#include <algorithm>

#include "dialogs/common/FieldRange.h"
#include "sections/descriptors/Names.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin {

std::optional<NameDescriptor> EncodeTypedName(Form& form, int id, const std::string& typed, const char* field,
                                              std::span<const uint8_t> previous) {
  const std::optional<std::vector<uint8_t>> bytes = EncodeField(form, id, typed, previous);
  if (!bytes) return std::nullopt;
  if (bytes->size() > static_cast<size_t>(kMaxNameBytes)) {
    form.Refuse(Format("%s can't be longer than %d bytes!", field, kMaxNameBytes), id);
    return std::nullopt;
  }
  NameDescriptor d;
  d.length = static_cast<uint8_t>(bytes->size());
  std::copy(bytes->begin(), bytes->end(), d.name.begin());
  return d;
}

void ShownName::Show(Form& form, int id, const NameDescriptor& name) {
  stored_ = name;
  shown_ = Trim(NameText(name));
  form.SetText(id, NameText(name));
}

std::optional<NameDescriptor> ShownName::Encode(Form& form, int id, const std::string& typed, const char* field) const {
  if (stored_ && typed == shown_) return stored_;
  const std::span<const uint8_t> previous =
      stored_ ? std::span<const uint8_t>(stored_->name.data(), stored_->length) : std::span<const uint8_t>();
  return EncodeTypedName(form, id, typed, field, previous);
}

}  // namespace quorvelin
