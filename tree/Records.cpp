#include "tree/Records.h"

namespace quorvelin {

bool DescriptorHeader(const NodeRecord& record, uint8_t& tag, uint8_t& length) {
  return std::visit(
      [&](const auto& p) -> bool {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, GenericDescriptor> || std::is_same_v<T, CaDescriptor> ||
                      std::is_same_v<T, NameDescriptor> || std::is_same_v<T, SdtServiceDescriptor> ||
                      std::is_same_v<T, LinkageDescriptor> || std::is_same_v<T, EntryListDescriptor> ||
                      std::is_same_v<T, CableDelivery> || std::is_same_v<T, SatelliteDelivery> ||
                      std::is_same_v<T, TerrestrialDelivery>) {
          tag = p.tag;
          length = p.length;
          return true;
        } else {
          return false;
        }
      },
      record.payload);
}

int SectionSize(const NodeRecord& record) {
  uint8_t tag = 0, length = 0;
  if (DescriptorHeader(record, tag, length)) return length + 2;
  if (const auto* ts = record.As<TransportStreamEntry>()) return ts->transport_descriptors_length.get() + 6;
  return 0;
}

}  // namespace quorvelin
