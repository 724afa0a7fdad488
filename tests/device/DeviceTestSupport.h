// Shared helpers of the device and tools tests: a private temporary directory, a socket on a free
// loopback address, packets of a given PID, and the editor's tree with its link to a device.
#pragma once

#include <arpa/inet.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "device/DeviceLink.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin::testing {

using namespace std::chrono_literals;

inline uint32_t Loopback(int n) { return htonl(0x7F000000u | static_cast<uint32_t>(n)); }

// A socket bound to the first free 127.0.0.N at `port` (N from `first`).
inline UdpSocket BindFreeLoopback(uint16_t port, Endpoint& where, int first = 100) {
  for (int i = 0; i < 150; ++i) {
    UdpSocket s = UdpSocket::Open();
    where = {Loopback(2 + (first - 2 + static_cast<int>(::getpid() % 97) + i) % 252), port};
    if (s.Bind(where)) return s;
  }
  return {};
}

// `count` packets on `pid` whose payload bytes count on from packet to packet.
inline std::vector<uint8_t> NumberedPackets(int count, uint16_t pid) {
  std::vector<uint8_t> out(static_cast<size_t>(count) * kPacketSize);
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t b = i % kPacketSize;
    out[i] = static_cast<uint8_t>(b == 0 ? 0x47 : b == 1 ? pid >> 8 : b == 2 ? pid : i * 7);
  }
  return out;
}

inline LinkSettings QuickLink(std::chrono::milliseconds wait = 500ms) {
  LinkSettings o;
  o.timeouts = {.readDatagram = wait, .writeReply = wait, .nitWriteReply = wait, .chunkReply = wait, .hostPoll = 1ms};
  return o;
}

// The editor's tree with its link to the device at `address` (0: the exchange file).
struct Editor {
  explicit Editor(uint32_t address, int protocol = 0, LinkSettings settings = QuickLink()) {
    settings.deviceAddress = address;
    settings.protocolMode = protocol;
    link = std::make_unique<DeviceLink>(ui, std::move(settings));
  }
  TableTreeCtrl tree;
  RecordingUi ui;
  std::unique_ptr<DeviceLink> link;
};

}  // namespace quorvelin::testing
