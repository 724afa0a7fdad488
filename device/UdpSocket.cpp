#include "device/UdpSocket.h"

#include "device/PcapWriter.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

namespace quorvelin {
namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = e.address;
  a.sin_port = htons(e.port);
  return a;
}

Endpoint FromSockaddr(const sockaddr_in& a) { return {a.sin_addr.s_addr, ntohs(a.sin_port)}; }

// Milliseconds left until the deadline, rounded up so that poll never wakes early.
int MillisecondsUntil(Deadline deadline) {
  const auto left = deadline - SteadyClock::now();
  if (left <= SteadyClock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<long long>(ms, 1 << 30));
}

}  // namespace

std::optional<uint32_t> ParseIpv4(const char* text) {
  in_addr a{};
  if (text == nullptr || inet_pton(AF_INET, text, &a) != 1) return std::nullopt;
  return a.s_addr;
}

std::string Ipv4Text(uint32_t address) {
  in_addr a{};
  a.s_addr = address;
  std::array<char, INET_ADDRSTRLEN> text{};
  inet_ntop(AF_INET, &a, text.data(), text.size());
  return text.data();
}

UdpSocket::~UdpSocket() { Close(); }

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : fd_(other.fd_), recording_(std::move(other.recording_)) {
  other.fd_ = -1;
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
    recording_ = std::move(other.recording_);
  }
  return *this;
}

UdpSocket UdpSocket::Open() { return UdpSocket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)); }

void UdpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool UdpSocket::Bind(const Endpoint& local) {
  const sockaddr_in a = ToSockaddr(local);
  return fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

std::optional<Endpoint> UdpSocket::LocalEndpoint() const {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return std::nullopt;
  return FromSockaddr(a);
}

bool UdpSocket::SendTo(const Endpoint& to, const uint8_t* data, size_t length) {
  if (fd_ < 0) return false;
  const sockaddr_in a = ToSockaddr(to);
  ssize_t sent;
  do {
    sent = ::sendto(fd_, data, length, 0, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  } while (sent < 0 && errno == EINTR);
  const bool whole = sent == static_cast<ssize_t>(length);
  if (whole && recording_.pcap) recording_.pcap->Write(LocalFor(to), to, data, length, length);
  return whole;
}

std::optional<UdpSocket::Received> UdpSocket::ReceiveUntil(uint8_t* area, size_t size, Deadline deadline) {
  if (fd_ < 0) return std::nullopt;
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, MillisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = ::recvfrom(fd_, area, size, MSG_DONTWAIT | MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      // An ICMP error from an earlier send (port unreachable) is no answer: wait on.
      if (errno == ECONNREFUSED) continue;
      return std::nullopt;
    }
    Received r;
    r.truncated = static_cast<size_t>(n) > size;
    r.length = std::min(static_cast<size_t>(n), size);
    r.from = FromSockaddr(from);
    if (recording_.pcap) recording_.pcap->Write(r.from, LocalFor(r.from), area, r.length, static_cast<size_t>(n));
    return r;
  }
}

void UdpSocket::Drain() {
  if (fd_ < 0) return;
  std::array<uint8_t, 16> scrap{};
  std::vector<uint8_t> kept(recording_.pcap ? 65536 : 0);  // recorded, the datagrams are kept whole
  uint8_t* area = kept.empty() ? scrap.data() : kept.data();
  const size_t size = kept.empty() ? scrap.size() : kept.size();
  for (;;) {
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n =
        ::recvfrom(fd_, area, size, MSG_DONTWAIT | MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0 && errno != EINTR && errno != ECONNREFUSED) return;
    if (n >= 0 && recording_.pcap) {
      const Endpoint peer = FromSockaddr(from);
      const size_t length = static_cast<size_t>(n);
      recording_.pcap->Write(peer, LocalFor(peer), area, std::min(size, length), length);
    }
  }
}

Endpoint UdpSocket::LocalFor(const Endpoint& peer) {
  Recording& r = recording_;
  if (r.port == 0 || r.peer != peer.address) {
    const std::optional<Endpoint> bound = LocalEndpoint();
    r.port = bound ? bound->port : 0;
    r.local = bound ? bound->address : 0;
    r.peer = peer.address;
    if (r.local == 0) {  // bound to any address: the one the system sends to `peer` from
      UdpSocket probe = Open();
      const sockaddr_in a = ToSockaddr({peer.address, peer.port == 0 ? uint16_t{9} : peer.port});
      if (probe.IsOpen() && ::connect(probe.fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0)
        if (const auto chosen = probe.LocalEndpoint()) r.local = chosen->address;
    }
  }
  return {r.local, r.port};
}

}  // namespace quorvelin
