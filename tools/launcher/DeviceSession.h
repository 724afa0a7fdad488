// What the headless commands share: the tree prepared for a device, its Refresh with a message
// when nothing came, and exchanges that report or record what passes through them.
#pragma once

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "device/DeviceLink.h"
#include "device/Flows.h"
#include "sections/Packets.h"
#include "tools/launcher/HeadlessCommands.h"
#include "util/Number.h"

namespace quorvelin {

inline std::string PortName(const TableTreeCtrl& tree, int port) {
  const std::string name = tree.PortName(port);
  return !name.empty() ? name : port == 2 ? "PortB" : "PortA";
}

// Forwards every exchange to the link and says what each write carried.
class ReportingExchange : public TableExchange {
 public:
  ReportingExchange(TableExchange& link, const TableTreeCtrl& tree, std::ostream& out)
      : link_(link), tree_(tree), out_(out) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    return link_.ReadTable(buffer, size, pid, selector, port, bat);
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const bool ok = link_.WriteTable(packets, length, pid, selector, port, bat);
    const size_t count = CountPackets(packets, length) / kPacketSize;
    out_ << PortName(tree_, port) << ' ' << TableName(pid, selector, bat) << ": " << Counted(count, "packet")
         << (ok ? " written" : " NOT written") << '\n';
    return ok;
  }
  const char* ReadProblem() const override { return link_.ReadProblem(); }
  bool DeviceSilent() const override { return link_.DeviceSilent(); }
  uint32_t DeviceAddress() const override { return link_.DeviceAddress(); }
  bool HeardNothing() const override { return link_.HeardNothing(); }

 private:
  static std::string TableName(uint16_t pid, uint8_t selector, bool bat) {
    switch (pid) {
      case kPatPid:
        return "PAT";
      case kCatPid:
        return "CAT";
      case kNitPid:
        return "NIT";
      case kSdtBatPid:
        return bat ? "BAT" : "SDT";
      case kTdtTotPid:
        return "TDT/TOT";
      default:
        return Format("PMT %d", selector);
    }
  }
  TableExchange& link_;
  const TableTreeCtrl& tree_;
  std::ostream& out_;
};

// The channel of a one-port device (--channel, else 1); -1 with ports A and B.
inline int ChannelOf(const HeadlessOptions& o) { return o.portMode == 1 ? -1 : std::max(o.channelNumber, 1); }

// The tree's ports as the options lay them out.
inline void PrepareTree(TableTreeCtrl& tree, const HeadlessOptions& o) { tree.LayOutPorts(o.portMode, ChannelOf(o)); }

// The link to the device at `address` as the options set it up.
inline LinkSettings LinkFor(const HeadlessOptions& o, uint32_t address) {
  LinkSettings s = o.link;
  s.deviceAddress = address;
  s.protocolMode = o.fragmented ? kFragmentedProtocol : 0;
  s.channelNumber = ChannelOf(o);
  return s;
}

inline int TablesShown(const TableTreeCtrl& tree) {
  int n = 0;
  for (int port : {1, 2})
    for (int t = 0; t < kTableCount; ++t) {
      const ItemHandle root = tree.Root(port, static_cast<Table>(t));
      if (root != kNoItem && tree.ItemHasChildren(root)) ++n;
    }
  return n;
}

// Refresh of the device at `address`; false, with a message, when not one table came.
inline bool ReadDevice(TableTreeCtrl& tree, DeviceLink& link, uint32_t address, std::ostream& err) {
  if (!link.HasSocket()) return false;
  if (!Refresh(tree, link)) {
    err << SilentDeviceText(address) << '\n';
    return false;
  }
  if (TablesShown(tree) > 0) return true;
  err << "quorvelin: no table could be read from " << Ipv4Text(address) << '\n';
  return false;
}

// Refresh of the device at `address` that must read every table: false, with a message ending in
// `refused` ("no backup was written"), when the device is silent or a table was not read.
inline bool ReadEveryTable(TableTreeCtrl& tree, TableExchange& exchange, uint32_t address, const char* refused,
                           std::ostream& err) {
  if (!Refresh(tree, exchange)) {
    err << SilentDeviceText(address) << '\n';
    return false;
  }
  const std::vector<std::string> unread = TablesNotRead(tree);
  if (unread.empty()) return true;
  err << "quorvelin: not read from " << Ipv4Text(address) << ": " << JoinNames(unread) << "; " << refused << '\n';
  return false;
}

// Forwards every exchange to the link and keeps what each read delivered and each write carried.
class RecordingExchange : public TableExchange {
 public:
  struct Exchange {
    int port;
    uint16_t pid;
    bool bat;
    std::vector<uint8_t> bytes;  // a read's section bytes, a write's packets
  };
  explicit RecordingExchange(TableExchange& link) : link_(link) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const bool ok = link_.ReadTable(buffer, size, pid, selector, port, bat);
    if (ok) reads.push_back({port, pid, bat, std::vector<uint8_t>(buffer, buffer + size)});
    return ok;
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const bool ok = link_.WriteTable(packets, length, pid, selector, port, bat);
    writes.push_back({port, pid, bat, std::vector<uint8_t>(packets, packets + CountPackets(packets, length))});
    return ok;
  }
  bool HeardNothing() const override { return link_.HeardNothing(); }
  const char* ReadProblem() const override { return link_.ReadProblem(); }
  bool DeviceSilent() const override { return link_.DeviceSilent(); }
  uint32_t DeviceAddress() const override { return link_.DeviceAddress(); }

  std::vector<Exchange> reads, writes;

 private:
  TableExchange& link_;
};

}  // namespace quorvelin
