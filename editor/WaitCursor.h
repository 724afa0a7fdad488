// The wait cursor while a device exchange blocks the window.
#pragma once

#include "sections/TableExchange.h"

namespace quorvelin {

// Shows the wait cursor for its lifetime (nests).
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Passes every exchange on to the device link under the wait cursor; without a link every
// exchange fails.
class WaitCursorExchange final : public TableExchange {
 public:
  void SetLink(TableExchange* link) { link_ = link; }
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override;
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override;
  bool HeardNothing() const override { return link_ && link_->HeardNothing(); }
  const char* ReadProblem() const override { return link_ ? link_->ReadProblem() : "no link"; }
  bool DeviceSilent() const override { return link_ && link_->DeviceSilent(); }
  uint32_t DeviceAddress() const override { return link_ ? link_->DeviceAddress() : 0; }

 private:
  TableExchange* link_ = nullptr;
};

}  // namespace quorvelin
