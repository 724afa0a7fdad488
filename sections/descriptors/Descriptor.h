// One descriptor as it stands in a loop (ETSI EN 300 468 6.1, ISO/IEC 13818-1 2.6): tag, length
// and data; and the item every descriptor branch starts with. Each kind of descriptor has a file
// of its own in this folder with its read, its write and its lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "sections/SectionReader.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

struct DescriptorBytes {
  uint8_t tag = 0;
  std::span<const uint8_t> data;  // descriptor_length bytes

  SectionBytes Bytes() const { return SectionBytes(data.data(), data.size()); }
  uint8_t length() const { return static_cast<uint8_t>(data.size()); }
};

// The descriptor that ForEachDescriptor found at `at` (its bytes are all there).
DescriptorBytes DescriptorAt(const SectionBytes& s, size_t at);

// Calls `add` for each whole descriptor inside [from, from + length).
void VisitDescriptors(const SectionBytes& s, size_t from, size_t length,
                      const std::function<void(const DescriptorBytes&)>& add);

// "descriptor_tag: 0x%x =>name", the item text of a descriptor the branch names.
std::string NamedTagText(uint8_t tag, const char* name);

// The descriptor's item with its record as the last child of `holder`, and its first line
// "descriptor_length(byte): %d".
ItemHandle AddDescriptorItem(TableTreeCtrl& tree, ItemHandle holder, std::string text, uint8_t length,
                             std::unique_ptr<NodeRecord> record, ItemHandle after = kInsertLast);

}  // namespace quorvelin
