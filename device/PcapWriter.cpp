#include "device/PcapWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace quorvelin {
namespace {

void PutLe32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutLe16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v & 0xFF);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void PutBe16(uint8_t* at, size_t v) {
  at[0] = static_cast<uint8_t>(v >> 8);
  at[1] = static_cast<uint8_t>(v & 0xFF);
}

// The one's complement sum of the IPv4 header's 16-bit words (RFC 791).
uint16_t HeaderChecksum(const uint8_t* header, size_t bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < bytes; i += 2) sum += static_cast<uint32_t>(header[i] << 8 | header[i + 1]);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

}  // namespace

std::shared_ptr<PcapWriter> PcapWriter::Create(const std::string& path, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  std::array<uint8_t, 24> header{};
  PutLe32(&header[0], 0xA1B2C3D4);  // microsecond time stamps
  PutLe16(&header[4], 2);           // version 2.4
  PutLe16(&header[6], 4);
  PutLe32(&header[16], 65535);  // snapshot length
  PutLe32(&header[20], kLinkTypeIpv4);
  if (file) file.write(reinterpret_cast<const char*>(header.data()), header.size());
  if (!file || !file.flush()) {
    error = "cannot write the capture file " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_shared<PcapWriter>(std::move(file));
}

void PcapWriter::Write(const Endpoint& from, const Endpoint& to, const uint8_t* data, size_t captured,
                       size_t length) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  length = std::min<size_t>(length, 0xFFFF - kHeadersSize);  // what an IPv4 length field holds
  captured = std::min(captured, length);
  std::array<uint8_t, 16 + kHeadersSize> h{};
  PutLe32(&h[0], static_cast<uint32_t>(micros / 1000000));
  PutLe32(&h[4], static_cast<uint32_t>(micros % 1000000));
  PutLe32(&h[8], static_cast<uint32_t>(kHeadersSize + captured));
  PutLe32(&h[12], static_cast<uint32_t>(kHeadersSize + length));
  uint8_t* ip = &h[16];
  ip[0] = 0x45;  // version 4, 5 words of header
  PutBe16(&ip[2], kHeadersSize + length);
  ip[6] = 0x40;  // don't fragment
  ip[8] = 64;    // time to live
  ip[9] = 17;    // UDP
  std::memcpy(&ip[12], &from.address, 4);  // both in network byte order already
  std::memcpy(&ip[16], &to.address, 4);
  uint8_t* udp = ip + 20;
  PutBe16(&udp[0], from.port);
  PutBe16(&udp[2], to.port);
  PutBe16(&udp[4], 8 + length);  // the UDP checksum stays 0: none computed
  const std::lock_guard<std::mutex> lock(mutex_);
  PutBe16(&ip[4], identification_++);
  PutBe16(&ip[10], HeaderChecksum(ip, 20));
  file_.write(reinterpret_cast<const char*>(h.data()), h.size());
  if (captured > 0) file_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(captured));
  file_.flush();  // a command stopped part way leaves every datagram up to then
}

}  // namespace quorvelin
