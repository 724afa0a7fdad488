// Every descriptor kind the program names: its tag (the descriptor_tag_extension of an extension
// descriptor, the private_data_specifier a private tag needs), its name, its fields as one
// layout, and its TSDuck XML element. Adding a kind: its own file in this folder with a
// `DescriptorKind` and one line in DescriptorKinds.def.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sections/descriptors/Descriptor.h"
#include "sections/descriptors/DescriptorLayout.h"

namespace quorvelin {

inline constexpr uint8_t kPrivateDataSpecifierTag = 0x5F;
inline constexpr uint8_t kExtensionTag = 0x7F;
// private_data_specifier values (ETSI TS 101 162).
inline constexpr uint32_t kEacemSpecifier = 0x00000028;
inline constexpr uint32_t kNordigSpecifier = 0x00000029;

struct DescriptorKind {
  uint8_t tag = 0;
  int extension = -1;           // descriptor_tag_extension after tag 0x7F; -1 for other tags
  uint32_t specifier = 0;       // private_data_specifier a tag of 0x80 and above needs
  const char* name = nullptr;   // item line
  const char* xml = nullptr;    // TSDuck element
  std::span<const Field> layout;
  const char* xmlAlias = nullptr;  // an older TSDuck element name, read as well
  // Further condition on the data bytes (after the extension byte), null when any fit.
  bool (*accepts)(std::span<const uint8_t>) = nullptr;
};

#define QUORVELIN_DESCRIPTOR_KIND(kind) extern const DescriptorKind kind;
#include "sections/descriptors/DescriptorKinds.def"
#undef QUORVELIN_DESCRIPTOR_KIND

// Every registered kind.
std::span<const DescriptorKind* const> DescriptorKinds();
// The kind of a descriptor under the private_data_specifier in force in its loop (0 when
// none); nullptr when no kind is registered for it.
const DescriptorKind* FindDescriptorKind(uint8_t tag, std::span<const uint8_t> data, uint32_t specifier);
// The kind of a TSDuck element name (current or older name); nullptr for none.
const DescriptorKind* FindDescriptorKind(std::string_view xmlElement);

// The layout's part of the data bytes: behind the extension byte for an extension descriptor.
std::span<const uint8_t> LayoutBytes(const DescriptorKind& kind, std::span<const uint8_t> data);
// The descriptor's fields, when its bytes fit its kind.
std::optional<Group> DecodeDescriptor(const DescriptorKind& kind, std::span<const uint8_t> data);
// Tag, length and data of a group of `kind`; nothing when it outgrows 255 data bytes.
std::optional<std::vector<uint8_t>> EncodeDescriptor(const DescriptorKind& kind, const Group& group);

// The private_data_specifier that a descriptor at `item` stands under: the last
// private_data_specifier_descriptor before it in its loop, 0 when none.
uint32_t SpecifierBefore(const TableTreeCtrl& tree, ItemHandle item);
// The private_data_specifier after the descriptor (tag, data) in a loop that had `specifier`.
uint32_t SpecifierAfter(uint32_t specifier, uint8_t tag, std::span<const uint8_t> data);

// Under a plain descriptor's item, below its hex line: the kind's name with the fields decoded
// (read only), or a note when its bytes do not fit its kind; nothing for a kind not registered.
void AddDecodedLines(TableTreeCtrl& tree, ItemHandle item, const DescriptorBytes& d);

}  // namespace quorvelin
