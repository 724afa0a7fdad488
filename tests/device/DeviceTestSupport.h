// Shared helpers of the device tests: a private temporary directory, a bare device socket on a
// free loopback address, packets of a given PID.
#pragma once

#include <arpa/inet.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "device/Framing.h"
#include "device/UdpSocket.h"
#include "sections/Packets.h"

namespace quorvelin::testing {

// A fresh directory, made the current one while the object lives (dumps and exchange files go
// there), removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvelin-device-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::filesystem::path previous_;
};

inline uint32_t Loopback(int n) { return htonl(0x7F000000u | static_cast<uint32_t>(n)); }

// A socket bound to the first free 127.0.0.N at `port` (N from `first`).
inline UdpSocket BindFreeLoopback(uint16_t port, Endpoint& where, int first = 100) {
  for (int i = 0; i < 150; ++i) {
    const int n = 2 + (first - 2 + static_cast<int>(::getpid() % 97) + i) % 252;
    UdpSocket s = UdpSocket::Open();
    where = {Loopback(n), port};
    if (s.Bind(where)) return s;
  }
  return {};
}

// `count` packets on `pid` whose payload bytes count up from `seed`.
inline std::vector<uint8_t> NumberedPackets(int count, uint16_t pid, uint8_t seed = 0) {
  std::vector<uint8_t> out(static_cast<size_t>(count) * kPacketSize);
  for (int i = 0; i < count; ++i) {
    uint8_t* p = out.data() + static_cast<size_t>(i) * kPacketSize;
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>((i == 0 ? 0x40 : 0) | (pid >> 8));
    p[2] = static_cast<uint8_t>(pid);
    p[3] = static_cast<uint8_t>(0x10 | (i & 0x0F));
    for (size_t b = 4; b < kPacketSize; ++b) p[b] = static_cast<uint8_t>(seed + i * 7 + b);
    if (i == 0) p[4] = 0;
  }
  return out;
}

}  // namespace quorvelin::testing
