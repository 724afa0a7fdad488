// The settings of the link to one device, kept in one place: the device link holds them, and
// whoever shows or changes the address, framing or channel goes through them.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "device/Framing.h"

namespace quorvelin {

inline constexpr const char* kExchangeFileName = "Quorvelin";

class PcapWriter;

// How long the link waits before it counts an exchange as failed. A reply that comes earlier is
// taken at once. The defaults are at least the waits of a fixed-wait schedule
// (receive time-out per datagram; 10 reply attempts of 10 ms, or of 5000 ms for a NIT write).
struct LinkTimeouts {
  std::chrono::milliseconds readDatagram{1000};   // each datagram of a read answer
  std::chrono::milliseconds writeReply{1000};     // the reply to a write
  std::chrono::milliseconds nitWriteReply{50000};  // the reply to a write of PID 0x0010
  std::chrono::milliseconds chunkReply{1000};     // the reply to each datagram of a long plain write
  std::chrono::milliseconds hostPoll{100};        // between two calls of a host callback
  std::chrono::milliseconds hostLimit{0};         // 0: wait on the host as long as it takes
};

struct LinkSettings {
  uint32_t deviceAddress = 0;  // network byte order; 0 selects the exchange file
  int protocolMode = 0;        // kFragmentedProtocol: UDP fragments
  int channelNumber = -1;      // the channel of a one-port device; -1: ports A and B
  LinkTimeouts timeouts;
  uint16_t udpPort = kDeviceUdpPort;
  std::string exchangeFile = kExchangeFileName;  // relative to the current directory
  std::shared_ptr<PcapWriter> pcap;  // where every datagram of the link is kept too; none: not kept
};

}  // namespace quorvelin
