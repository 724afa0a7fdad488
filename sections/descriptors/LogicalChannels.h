// The logical channel descriptor (private tag 0x83) of a NIT transport stream: 4-byte entries of
// service_id, visibility and logical_channel_number, held as an entry list.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kLogicalChannelTag = 0x83;

// logical_channel_number of an entry, whole: the 10-bit form when the five bits above its number
// are all set (its reserved bits), else the 14 bits below the one reserved bit.
uint16_t LogicalChannelNumber(std::span<const uint8_t, 4> entry);
// service_id, visibility and logical_channel_number of one entry.
std::array<std::string, 3> LogicalChannelEntryLines(std::span<const uint8_t, 4> entry);
// "descriptor_tag: 0x%x =>logical_channel_number_descriptor" with its length line and a
// "Service_list" item per whole entry; written back as any entry list.
ItemHandle AddLogicalChannels(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d,
                              ItemHandle after = kInsertLast);

}  // namespace quorvelin
