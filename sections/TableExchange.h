// How the parsers receive a table and how Submit sends one: implemented by the device link
// (UDP or exchange file) and by tests that feed bytes directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvelin {

class TableExchange {
 public:
  virtual ~TableExchange() = default;
  // Fills `buffer` with the table's section bytes from offset 0 (zero bytes behind them).
  // `port` is 1 or 2; `bat` marks a BAT read on PID 0x0011.
  virtual bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) = 0;
  // Sends the run of whole 188-byte packets at the start of `packets`.
  virtual bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, int port, uint8_t selector) = 0;
  // The last ReadTable got no datagram at all (not even an empty answer) from the device.
  virtual bool HeardNothing() const { return false; }
};

}  // namespace quorvelin
