// A device held in memory for the flow tests: the simulator's store answers every exchange
// directly (no sockets), every request is recorded, and chosen writes can be made to fail.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "device/Framing.h"
#include "sections/Packets.h"
#include "sections/TableExchange.h"
#include "tools/devsim/DeviceStore.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin::testing {

class StoreExchange : public TableExchange {
 public:
  struct Exchange {
    bool write;
    uint16_t pid;
    uint8_t selector;
    int port;
    bool bat;         // read: the BAT argument; write: the BAT flag
    size_t size;      // read: buffer size; write: length given
    std::vector<uint8_t> packets;  // write: the packets sent
    bool operator==(const Exchange&) const = default;
  };

  StoreExchange(devsim::DeviceStore& store, const TableTreeCtrl& tree) : store_(store), tree_(tree) {}

  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    log.push_back({false, pid, selector, port, bat, size, {}});
    if (!answering) return false;
    const FrameHeader h = MakeReadRequest(PortIndex(tree_.channelNumber, port), selector, pid, bat);
    const devsim::Packets packets = store_.Answer(h.data());
    std::memset(buffer, 0, size);
    std::memcpy(buffer, h.data(), h.size());
    SetAnnouncedLength(buffer, packets.size());
    std::memcpy(buffer + 6, packets.data(), std::min(packets.size(), size - 6));
    UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer, size);
    return true;
  }

  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, int port, uint8_t selector) override {
    const size_t bytes = CountPackets(packets, length);
    log.push_back({true, pid, selector, port, tree_.batFlag == 1, length, {packets, packets + bytes}});
    if (failWrite && failWrite(log.back())) return false;
    const FrameHeader h = MakeWriteRequest(PortIndex(tree_.channelNumber, port), selector, pid, tree_.batFlag == 1);
    store_.Take(h.data(), packets, bytes);
    return true;
  }

  std::vector<Exchange> Writes() const {
    std::vector<Exchange> out;
    for (const Exchange& e : log)
      if (e.write) out.push_back(e);
    return out;
  }

  std::vector<Exchange> log;
  bool answering = true;
  std::function<bool(const Exchange&)> failWrite;

 private:
  devsim::DeviceStore& store_;
  const TableTreeCtrl& tree_;
};

}  // namespace quorvelin::testing
