// Any descriptor kept as tag, length and data bytes, shown in hexadecimal.
#pragma once

#include <string>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"
#include "tree/LoopLengths.h"

namespace quorvelin {

// How a loop shows such a descriptor: the item text, the length line, and each data byte after
// "descriptor_data(hex):" as " %02x", or as " %2x" when `bytePad` is ' '.
struct HexLines {
  const char* tag;
  const char* length;
  char bytePad;
};
// NIT, BAT, SDT and CAT loops and the PMT's ES loops.
inline constexpr HexLines kHexLines{"descriptor_tag: 0x%x", kDescriptorLengthLine, '0'};
// The PMT's program-info loop.
inline constexpr HexLines kProgramInfoHexLines{"descriptor_tag: 0x%x", kDescriptorLengthLine, ' '};

GenericDescriptor ReadDescriptor(const DescriptorBytes& d);
// Tag, length, then exactly `length` data bytes (zero bytes for any the record lacks), so the
// length byte always matches what follows.
void WriteDescriptor(SectionWriter& w, const GenericDescriptor& d);
// The descriptor's item of `kind` under `holder` with its length and data lines.
ItemHandle AddHexDescriptor(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                            const HexLines& lines, ItemHandle after = kInsertLast);

}  // namespace quorvelin
