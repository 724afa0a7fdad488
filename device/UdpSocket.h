// One IPv4 UDP socket (POSIX), owned: closed when the object goes. Waiting is done with poll
// against a deadline, so a datagram that arrives early is taken at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quorvelin {

using SteadyClock = std::chrono::steady_clock;
using Deadline = SteadyClock::time_point;

inline Deadline DeadlineAfter(std::chrono::milliseconds wait) { return SteadyClock::now() + wait; }

// An IPv4 address in network byte order, as the host passes it, and a UDP port in host order.
struct Endpoint {
  uint32_t address = 0;
  uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

// "127.0.0.5" to network byte order; nothing for text that is not a dotted IPv4 address.
std::optional<uint32_t> ParseIpv4(const char* text);
std::string Ipv4Text(uint32_t address);

class PcapWriter;

class UdpSocket {
 public:
  struct Received {
    size_t length = 0;       // bytes placed in the area
    bool truncated = false;  // the datagram was longer than the area
    Endpoint from;
  };

  UdpSocket() = default;
  ~UdpSocket();
  UdpSocket(UdpSocket&& other) noexcept;
  UdpSocket& operator=(UdpSocket&& other) noexcept;
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // A new datagram socket; an empty object when the system refuses one.
  static UdpSocket Open();
  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  void Close();

  bool Bind(const Endpoint& local);
  std::optional<Endpoint> LocalEndpoint() const;
  bool SendTo(const Endpoint& to, const uint8_t* data, size_t length);
  // The next datagram, or nothing when none came before the deadline.
  std::optional<Received> ReceiveUntil(uint8_t* area, size_t size, Deadline deadline);
  // Throws away every datagram already waiting.
  void Drain();
  // From now on every datagram sent or received is also written to `pcap`; none: not kept.
  void RecordTo(std::shared_ptr<PcapWriter> pcap) { recording_.pcap = std::move(pcap); }

 private:
  explicit UdpSocket(int fd) : fd_(fd) {}
  // This socket's address and port as a datagram to or from `peer` carries them.
  Endpoint LocalFor(const Endpoint& peer);

  int fd_ = -1;
  struct Recording {
    std::shared_ptr<PcapWriter> pcap;
    uint32_t peer = 0, local = 0;  // the source address the system chose for the last peer
    uint16_t port = 0;             // the socket's own port once known
  } recording_;
};

}  // namespace quorvelin
