// linkage_descriptor (ETSI EN 300 468 6.2.19) in the NIT's network loop and the SDT's service
// loops: transport_stream_id, original_network_id, service_id, linkage_type and private bytes.
#pragma once

#include <string>
#include <vector>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kLinkageTag = 0x4A;
// The fixed fields; a shorter descriptor is kept as a generic one.
inline constexpr size_t kLinkageFixedLength = 7;

// Needs at least the seven fixed bytes.
LinkageDescriptor ReadLinkage(const DescriptorBytes& d);
// A length below 7 is written as 7; length - 7 private bytes follow the fixed fields.
void WriteLinkage(SectionWriter& w, const LinkageDescriptor& d);
// The item "descriptor_tag: 0x%x =>linkage_descriptor" of `kind` with its length line, the four
// fields as "name(byte): 0x%x(%d)" and, when there are private bytes, "private_data" with
// `privateText` under it.
ItemHandle AddLinkage(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, LinkageDescriptor d,
                      const std::string& privateText, ItemHandle after = kInsertLast);
// The same with the private bytes as " %02x" each, as read.
ItemHandle AddLinkage(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                      ItemHandle after = kInsertLast);

}  // namespace quorvelin
