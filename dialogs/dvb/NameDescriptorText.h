// Typed names of the network and bouquet name descriptors, encoded in their character table.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "dialogs/common/Form.h"
#include "tree/Records.h"

namespace quorvelin {

// The name bytes of a name descriptor hold at most 255 bytes (one length byte).
inline constexpr int kMaxNameBytes = 255;

// The typed name of field `id` encoded in the table of `previous` (the name it replaces) or, for a
// new name, of the process's text code: descriptor_length and name bytes filled, the tag left to
// the caller. Refused, with nothing returned, when a character has no form in the table, or when
// the encoded name exceeds 255 bytes: "<field> can't be longer than 255 bytes!".
std::optional<NameDescriptor> EncodeTypedName(Form& form, int id, const std::string& typed, const char* field,
                                              std::span<const uint8_t> previous = {});

// The name a modify run starts with, decoded into its field. A name left as shown goes out with
// the bytes it came with (decoding then encoding is no round trip); a changed one keeps the
// character table it had.
class ShownName {
 public:
  void Show(Form& form, int id, const NameDescriptor& name);
  std::optional<NameDescriptor> Encode(Form& form, int id, const std::string& typed, const char* field) const;

 private:
  std::optional<NameDescriptor> stored_;
  std::string shown_;
};

}  // namespace quorvelin
