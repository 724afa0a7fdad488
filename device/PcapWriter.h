// The datagrams of a device link kept in a classic pcap file (link type 228, raw IPv4): each
// behind an IPv4 and a UDP header made from its real addresses and ports, stamped with the
// system clock. One writer may serve many links on many threads; each datagram is in the file
// once it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "device/UdpSocket.h"

namespace quorvelin {

class PcapWriter {
 public:
  static constexpr uint32_t kLinkTypeIpv4 = 228;
  static constexpr size_t kHeadersSize = 28;  // IPv4 (20) and UDP (8)

  // The file created (emptied when it exists) with its file header; nothing, with the reason
  // in `error`, when it cannot be written.
  static std::shared_ptr<PcapWriter> Create(const std::string& path, std::string& error);

  // One datagram of `length` bytes from `from` to `to`, of which the first `captured` are at `data`.
  void Write(const Endpoint& from, const Endpoint& to, const uint8_t* data, size_t captured, size_t length);

  explicit PcapWriter(std::ofstream file) : file_(std::move(file)) {}

 private:
  std::mutex mutex_;
  std::ofstream file_;
  uint16_t identification_ = 0;
};

}  // namespace quorvelin
