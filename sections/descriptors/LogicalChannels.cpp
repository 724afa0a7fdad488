#include "sections/descriptors/LogicalChannels.h"

#include <utility>

#include "sections/descriptors/ServiceList.h"
#include "util/Number.h"

namespace quorvelin {

uint16_t LogicalChannelNumber(std::span<const uint8_t, 4> e) {
  const int high = (e[2] & 0x7C) == 0x7C ? e[2] & 0x03 : e[2] & 0x3F;
  return static_cast<uint16_t>(high << 8 | e[3]);
}

std::array<std::string, 3> LogicalChannelEntryLines(std::span<const uint8_t, 4> e) {
  return {Format("service_id: 0x%x", e[0] << 8 | e[1]),
          Format("is_service_visible: %s", (e[2] & 0x80) ? "TRUE" : "FALSE"),
          Format("logical_channel_number: 0x%x", LogicalChannelNumber(e))};
}

ItemHandle AddLogicalChannels(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d, ItemHandle after) {
  const ItemHandle item =
      AddDescriptorItem(tree, holder, NamedTagText(d.tag, "logical_channel_number_descriptor"), d.length(),
                        MakeRecord(NodeKind::NitLogicalChannels, ReadEntryList(d)), after);
  for (size_t pos = 0; d.data.size() - pos >= 4; pos += 4) {
    const ItemHandle entry = tree.InsertTextItem("Service_list", item);
    for (std::string& line : LogicalChannelEntryLines(d.data.subspan(pos).first<4>()))
      tree.InsertLine(std::move(line), entry);
  }
  return item;
}

}  // namespace quorvelin
