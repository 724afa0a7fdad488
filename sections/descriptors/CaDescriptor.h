// CA_descriptor (ISO/IEC 13818-1 2.6.16) as the CAT and both PMT loops hold it: CA_system_ID,
// CA_PID and private bytes.
#pragma once

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kCaTag = 0x09;
// CA_system_ID and CA_PID; a shorter descriptor is not read as a CA_descriptor.
inline constexpr uint8_t kCaFixedLength = 4;

// A CA_descriptor with its four fixed bytes; any other descriptor is kept as its bytes.
inline bool IsCaDescriptor(uint8_t tag, uint8_t length) { return tag == kCaTag && length >= kCaFixedLength; }

// Needs at least the four fixed bytes.
CaDescriptor ReadCa(const DescriptorBytes& d);
// A length below 4 is written as 4: the two fixed fields are always there.
void WriteCa(SectionWriter& w, const CaDescriptor& d);
// Adds "descriptor_tag: 0x%x" with a record of `kind` under `holder`, with
// "descriptor_length: 0x%x" and "descriptor_data" (CA_system_ID, CA_PID and, for a length of 5
// or more, "descriptor_data(hex):" and the private bytes).
ItemHandle AddCa(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                 ItemHandle after = kInsertLast);

}  // namespace quorvelin
