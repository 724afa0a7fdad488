// service_descriptor (ETSI EN 300 468 6.2.33) in the SDT's service loops: service_type, the
// provider's name and the service's name.
#pragma once

#include <optional>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kServiceDescriptorTag = 0x48;

// The descriptor field by field, only when its two names fill it exactly.
std::optional<SdtServiceDescriptor> ReadServiceDescriptor(const DescriptorBytes& d);
// The fields cut or padded to the descriptor_length.
void WriteServiceDescriptor(SectionWriter& w, const SdtServiceDescriptor& d);
// "descriptor_tag: 0x%x" with its length line and "descriptor_data": service_type, both names
// with their lengths, the names decoded for display.
ItemHandle AddServiceDescriptor(TableTreeCtrl& tree, ItemHandle holder, const SdtServiceDescriptor& d,
                                ItemHandle after = kInsertLast);

}  // namespace quorvelin
