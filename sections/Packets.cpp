#include "sections/Packets.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quorvelin {
namespace {

constexpr uint32_t kCrcPolynomial = 0x04C11DB7u;

using CrcTable = std::array<uint32_t, 256>;

// Slicing-by-8 tables, most significant bit first: table 0 is the classic byte table, table k
// advances a byte's contribution by k further zero bytes.
constexpr std::array<CrcTable, 8> MakeCrcTables() {
  std::array<CrcTable, 8> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ kCrcPolynomial : crc << 1;
    t[0][i] = crc;
  }
  for (size_t k = 1; k < 8; ++k)
    for (size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  return t;
}

constexpr std::array<CrcTable, 8> kCrcTables = MakeCrcTables();

inline uint32_t LoadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void WritePacketHeader(uint8_t* packet, uint16_t pid, int index) {
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>((index == 0 ? 0x40 : 0x00) | ((pid >> 8) & 0x1F));
  packet[2] = static_cast<uint8_t>(pid & 0xFF);
  packet[3] = static_cast<uint8_t>(0x10 | (index & 0x0F));
}

// Joins the payloads of the packets found at `packets` (inside [packets, limit)) towards the
// start of `buffer`, in place: every payload moves to a lower address, so a forward copy is safe.
// Returns the number of section bytes laid down.
size_t JoinPayloads(int n, uint8_t* buffer, const uint8_t* packets, size_t available) {
  const size_t whole = available / kPacketSize;
  const size_t count = n <= 0 ? 0 : std::min(static_cast<size_t>(n), whole);
  size_t out = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t skip = i == 0 ? 5 : 4;
    std::memmove(buffer + out, packets + i * kPacketSize + skip, kPacketSize - skip);
    out += kPacketSize - skip;
  }
  return out;
}

}  // namespace

uint32_t Crc32Mpeg(const uint8_t* data, size_t n) {
  const auto& t = kCrcTables;
  uint32_t crc = 0xFFFFFFFFu;
  while (n >= 8) {
    const uint32_t a = LoadBigEndian32(data) ^ crc;
    const uint32_t b = LoadBigEndian32(data + 4);
    crc = t[7][a >> 24] ^ t[6][(a >> 16) & 0xFF] ^ t[5][(a >> 8) & 0xFF] ^ t[4][a & 0xFF] ^
          t[3][b >> 24] ^ t[2][(b >> 16) & 0xFF] ^ t[1][(b >> 8) & 0xFF] ^ t[0][b & 0xFF];
    data += 8;
    n -= 8;
  }
  while (n-- > 0) crc = (crc << 8) ^ t[0][((crc >> 24) ^ *data++) & 0xFF];
  return crc;
}

int CRC_crc32Calculate(const uint8_t* data, int n, uint32_t* result) {
  if (result == nullptr) return 0;
  *result = Crc32Mpeg(data, n > 0 && data != nullptr ? static_cast<size_t>(n) : 0);
  return 1;
}

int PacketizeSection(const uint8_t* section, size_t n, uint16_t pid, uint8_t* out, size_t outSize) {
  const int packets = PacketsForSection(n);
  if (out == nullptr || static_cast<size_t>(packets) * kPacketSize > outSize) return 0;
  std::memset(out, 0xFF, static_cast<size_t>(packets) * kPacketSize);
  size_t taken = 0;
  for (int i = 0; i < packets; ++i) {
    uint8_t* packet = out + static_cast<size_t>(i) * kPacketSize;
    WritePacketHeader(packet, pid, i);
    uint8_t* payload = packet + 4;
    size_t room = kPacketPayload;
    if (i == 0) {
      *payload++ = 0x00;  // pointer_field
      --room;
    }
    const size_t chunk = std::min(room, n - taken);
    if (chunk > 0) std::memcpy(payload, section + taken, chunk);
    taken += chunk;
  }
  return packets;
}

size_t CountPackets(const uint8_t* area, size_t length) {
  if (area == nullptr) return 0;
  size_t bytes = 0;
  while (bytes + kPacketSize <= length && area[bytes] == 0x47) bytes += kPacketSize;
  return bytes;
}

void UnpackPacketsWithHeader(int n, uint8_t* buffer, size_t size) {
  constexpr size_t kHeader = 6;
  if (buffer == nullptr) return;
  const size_t used = size > kHeader ? JoinPayloads(n, buffer, buffer + kHeader, size - kHeader) : 0;
  std::memset(buffer + used, 0x00, size - used);
}

void UnpackPackets(int n, uint8_t* buffer, size_t size) {
  if (buffer == nullptr) return;
  const size_t used = JoinPayloads(n, buffer, buffer, size);
  std::memset(buffer + used, 0xFF, size - used);
}

}  // namespace quorvelin
