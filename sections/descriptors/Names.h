// Names, decoded by their character table (ETSI EN 300 468 Annex A) or the text code:
// network_name_descriptor (6.2.27), bouquet_name_descriptor (6.2.4) and the names of the
// service_descriptor.
#pragma once

#include <span>
#include <string>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kNetworkNameTag = 0x40;
inline constexpr uint8_t kBouquetNameTag = 0x47;

// Name bytes decoded for display, up to the first zero character.
std::string DisplayName(std::span<const uint8_t> name);
// A stored name decoded, zero characters and all.
std::string NameText(const NameDescriptor& name);

NameDescriptor ReadName(const DescriptorBytes& d);
void WriteName(SectionWriter& w, const NameDescriptor& d);
// The item "descriptor_tag: 0x%x =>`descriptorName`" of `kind` with its length line and
// `nameLabel` + `shown`.
ItemHandle AddName(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                   const char* descriptorName, const char* nameLabel, const std::string& shown,
                   ItemHandle after = kInsertLast);

}  // namespace quorvelin
