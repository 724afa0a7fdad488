// Serves one port's tables held as the device holds them (out of a capture) to the normal
// Refresh: reads of that port are answered as the device answers them; reads of any other port
// fail and writes are refused.

#pragma once

#include "sections/PortTables.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// The tables of the port that the capture holds (by Table): a capture says nothing of the others.
std::array<bool, kTableCount> HeldTables(const PortTables& tables);

class CaptureExchange final : public TableExchange {
 public:
  CaptureExchange(PortTables tables, int port) : tables_(std::move(tables)), port_(port) {}

  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    problem_ = "not answered";
    if (port != port_) return false;
    if (PutAnswer(AnswerRead(tables_, pid, selector, bat, turns_), buffer, size)) return true;
    problem_ = OversizeProblem(size);
    return false;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return false; }
  const char* ReadProblem() const override { return problem_.c_str(); }

 private:
  std::string problem_;
  PortTables tables_;
  int port_;
  ReadTurns turns_;
};

}  // namespace quorvelin
