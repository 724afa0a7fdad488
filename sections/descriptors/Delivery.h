// The delivery system descriptors of a NIT transport stream (ETSI EN 300 468 6.2.13):
// cable (0x44), satellite (0x43) and terrestrial (0x5A), each of 11 data bytes. Frequency and
// symbol rate stay the BCD bytes of the section.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"

namespace quorvelin {

inline constexpr uint8_t kSatelliteDeliveryTag = 0x43;
inline constexpr uint8_t kCableDeliveryTag = 0x44;
inline constexpr uint8_t kTerrestrialDeliveryTag = 0x5A;
// Any other length keeps the descriptor as a generic one.
inline constexpr size_t kDeliveryLength = 11;

// Records from the descriptor's data bytes.
CableDelivery CableDeliveryFromBytes(std::span<const uint8_t, 11> data);
SatelliteDelivery SatelliteDeliveryFromBytes(std::span<const uint8_t, 11> data);
TerrestrialDelivery TerrestrialDeliveryFromBytes(std::span<const uint8_t, 11> data);
// ... and back: the 11 data bytes the builder writes, reserved bits set.
std::array<uint8_t, 11> CableDeliveryBytes(const CableDelivery& d);
std::array<uint8_t, 11> SatelliteDeliveryBytes(const SatelliteDelivery& d);
std::array<uint8_t, 11> TerrestrialDeliveryBytes(const TerrestrialDelivery& d);

// Tag, the record's length, then its 11 data bytes.
void WriteDelivery(SectionWriter& w, const CableDelivery& d);
void WriteDelivery(SectionWriter& w, const SatelliteDelivery& d);
void WriteDelivery(SectionWriter& w, const TerrestrialDelivery& d);

// The descriptor's item, its length line and field lines, when the tag is a delivery system's
// and the length is 11; kNoItem, and nothing added, otherwise.
ItemHandle AddDelivery(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d, ItemHandle after = kInsertLast);

}  // namespace quorvelin
