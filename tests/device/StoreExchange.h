// A device held in memory: the simulator's store answers every exchange directly, without
// sockets; and the sample read through it.
#pragma once

#include <cstring>

#include "device/Flows.h"
#include "device/Framing.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin::testing {

class StoreExchange : public TableExchange {
 public:
  // `channel`: that of a one-port device, -1 for ports A and B.
  explicit StoreExchange(devsim::DeviceStore& store, int channel = -1) : store_(store), channel_(channel) {}

  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const FrameHeader h = MakeReadRequest(PortIndex(channel_, port), selector, pid, bat);
    problem_ = OversizeProblem(size);
    return PutAnswer(store_.Answer(h.data()), buffer, size);
  }
  const char* ReadProblem() const override { return problem_.c_str(); }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const FrameHeader h = MakeWriteRequest(PortIndex(channel_, port), selector, pid, bat);
    store_.Take(h.data(), packets, CountPackets(packets, length));
    return true;
  }

 private:
  devsim::DeviceStore& store_;
  int channel_;
  std::string problem_;
};

// The tree of the sample as a device with no transport in between gives it.
struct SampleTree {
  SampleTree() : exchange(store) {
    devsim::LoadSample(store);
    Refresh(tree, exchange);
  }
  devsim::DeviceStore store;
  TableTreeCtrl tree;
  StoreExchange exchange;
};

}  // namespace quorvelin::testing
