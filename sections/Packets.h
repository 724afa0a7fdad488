// MPEG-2 CRC_32 and the transport packet framing of sections (ISO/IEC 13818-1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sections/TableIds.h"

namespace quorvelin {

inline constexpr size_t kPacketSize = 188;
inline constexpr size_t kPacketPayload = 184;

// CRC_32 of ISO/IEC 13818-1 Annex A (poly 0x04C11DB7, init 0xFFFFFFFF, no reflection, no final xor):
// over a whole section including its CRC field the result is 0.
uint32_t Crc32Mpeg(const uint8_t* data, size_t n);
// Same arguments and result as the platform function it replaces.
int CRC_crc32Calculate(const uint8_t* data, int n, uint32_t* result);

// Packets needed by a section of n bytes: ceil((n + 1) / 184).
constexpr int PacketsForSection(size_t n) { return static_cast<int>((n + 1 + kPacketPayload - 1) / kPacketPayload); }

// Cuts a section of n bytes into packets of `pid` (pointer_field 0, continuity_counter from 0,
// the last packet filled with 0xFF) at the start of `out`. Returns the number of packets, or 0
// (nothing written) when they would not fit in `outSize` bytes.
int PacketizeSection(const uint8_t* section, size_t n, uint16_t pid, uint8_t* out, size_t outSize);

// Byte length of the run of whole 188-byte packets at the start of `area` whose first byte is 0x47.
size_t CountPackets(const uint8_t* area, size_t length);

// Joins the payloads of n packets into section bytes at the start of `buffer`.
// WithHeader: the buffer starts with the 6-byte reply header; the rest of the buffer is zeroed.
// Without header: the buffer starts with the first packet; the rest is filled with 0xFF.
// Never reads or writes beyond `size`.
void UnpackPacketsWithHeader(int n, uint8_t* buffer, size_t size);
void UnpackPackets(int n, uint8_t* buffer, size_t size);

}  // namespace quorvelin
