// Typed names of the network and bouquet name descriptors, encoded by the text code.
#pragma once

#include <optional>
#include <string>

#include "tree/Records.h"

namespace quorvelin {

// The name bytes of a name descriptor hold at most 255 bytes (one length byte).
inline constexpr int kMaxNameBytes = 255;

// The typed (CP936) name encoded under the process's text code: descriptor_length and name
// bytes filled, the tag left to the caller; nothing when the encoded name exceeds 255 bytes.
std::optional<NameDescriptor> EncodeTypedName(const std::string& typed);
// "<field> can't be longer than 255 bytes!"
std::string NameTooLongMessage(const char* field);
// The stored name bytes decoded for display under the text code.
std::string StoredNameText(const NameDescriptor& name);

}  // namespace quorvelin
