// service_list_descriptor (ETSI EN 300 468 6.2.35) in both loops of the NIT and the BAT: 3-byte
// entries of service_id and service_type. Its record, a list of entries kept as section bytes,
// serves the logical channel descriptor too.
#pragma once

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kServiceListTag = 0x41;

EntryListDescriptor ReadEntryList(const DescriptorBytes& d);
// Tag, length, then exactly `length` entry bytes.
void WriteEntryList(SectionWriter& w, const EntryListDescriptor& d);
// "descriptor_tag: 0x%x =>network_service_list_descriptor" of `kind` with its length line and a
// "Service_list" item per whole entry.
ItemHandle AddServiceList(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                          ItemHandle after = kInsertLast);

}  // namespace quorvelin
