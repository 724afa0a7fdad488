// How the parsers receive a table and how Submit sends one: implemented by the device link
// (UDP or exchange file) and by tests that feed bytes directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvelin {

// What a read takes: the largest table ETSI EN 300 468 and ISO/IEC 13818-1 allow, 256 sections
// of 1024 bytes, each in 6 packets, behind the 6-byte answer header. A BAT may hold several
// bouquets, each a table of its own: its read takes 1024 such sections in all.
inline constexpr size_t kPacketsOfLargestSection = 6;
inline constexpr size_t kLargestTablePackets = 256 * kPacketsOfLargestSection * 188;
inline constexpr size_t kTableReadBuffer = 6 + kLargestTablePackets;
inline constexpr size_t kBatTablePackets = 4 * kLargestTablePackets;
inline constexpr size_t kBatReadBuffer = 6 + kBatTablePackets;

class TableExchange {
 public:
  virtual ~TableExchange() = default;
  // Both take the table's PID, the selector of the request (a PMT's slot, else 0), the port (1
  // or 2) and the BAT flag: a request for PID 0x0011 with the flag is the BAT's, and a write with
  // the flag counts with a reply of 1 byte.
  // Fills `buffer` with the table's section bytes from offset 0 (zero bytes behind them).
  virtual bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) = 0;
  // Sends the run of whole 188-byte packets at the start of `packets`.
  virtual bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port,
                          bool bat) = 0;
  // The last ReadTable got no datagram at all (not even an empty answer) from the device.
  virtual bool HeardNothing() const { return false; }
  // Why the last ReadTable failed, in a few words ("no answer").
  virtual const char* ReadProblem() const { return "not answered"; }
  // The receiver stopped answering: the exchanges that follow would fail as well.
  virtual bool DeviceSilent() const { return false; }
  // The device's IPv4 address in network byte order; 0 when no device is behind the exchange.
  virtual uint32_t DeviceAddress() const { return 0; }
};

}  // namespace quorvelin
