// Helpers of the end-to-end tests: simulated devices on loopback, an editor tree with its link,
// and comparisons of tables that leave out what the builders rewrite by design (the times of
// the TDT and TOT, and the TOT's CRC_32 that covers its time).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/DeviceLink.h"
#include "device/DeviceTestSupport.h"
#include "device/Flows.h"
#include "device/StoreExchange.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"

namespace quorvelin::testing {

using namespace std::chrono_literals;

inline std::unique_ptr<devsim::Simulator> StartDevice(devsim::SimulatorOptions options = {}, bool sample = true) {
  std::string error;
  auto sim = devsim::StartOnFreeLoopback(std::move(options), error);
  EXPECT_TRUE(sim) << error;
  if (sim && sample) devsim::LoadSample(sim->Store());
  return sim;
}

inline LinkOptions QuickLink(std::chrono::milliseconds wait = 300ms) {
  LinkOptions o;
  o.timeouts.readDatagram = o.timeouts.writeReply = o.timeouts.chunkReply = wait;
  o.timeouts.nitWriteReply = 2 * wait;
  o.timeouts.hostPoll = 1ms;
  return o;
}

// The editor's tree with its link to one device.
struct Editor {
  explicit Editor(uint32_t address, int protocol = 0, LinkOptions options = QuickLink()) {
    tree.deviceAddress = address;
    tree.protocolMode = protocol;
    tree.portMode = 1;
    link = std::make_unique<DeviceLink>(tree, ui, std::move(options));
  }
  TableTreeCtrl tree;
  RecordingUi ui;
  std::unique_ptr<DeviceLink> link;
};

// The tree of the sample as a device with no transport in between gives it.
struct SampleTree {
  SampleTree() : exchange(store, tree) {
    devsim::LoadSample(store);
    tree.portMode = 1;
    Refresh(tree, exchange);
  }
  devsim::DeviceStore store;
  TableTreeCtrl tree;
  StoreExchange exchange;
};

// The TDT and TOT packets with their UTC_time fields and the TOT's CRC_32 cleared.
inline devsim::Packets WithoutTimes(devsim::Packets time) {
  auto clear = [&](size_t from, size_t count) {
    for (size_t i = from; i < from + count && i < time.size(); ++i) time[i] = 0;
  };
  clear(8, 5);              // TDT: section bytes 3 to 7
  clear(188 + 8, 5);        // TOT: section bytes 3 to 7
  clear(188 + 5 + 25, 4);   // TOT: CRC_32
  return time;
}

inline devsim::PortTables WithoutTimes(devsim::PortTables t) {
  t.time = WithoutTimes(std::move(t.time));
  return t;
}

// Each table of the tree as text: one unit per table root, and one per program item of the PMT
// root. TDT and TOT lines that show a time (or the TOT's CRC_32) are left out.
using TableUnits = std::map<std::string, std::vector<std::string>>;

inline std::string WithoutTimeLines(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    if (line.find("UTC_time:") == std::string::npos && line.find("utc_time:") == std::string::npos &&
        line.find("crc_32:") == std::string::npos)
      out += line + '\n';
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return out;
}

inline TableUnits UnitsOf(const TableTreeCtrl& tree) {
  static const char* const kNames[kTableCount] = {"PAT", "PMT", "SDT", "CAT", "NIT", "TDT", "TOT", "BAT"};
  TableUnits units;
  for (int port : {1, 2})
    for (int t = 0; t < kTableCount; ++t) {
      const ItemHandle root = tree.Root(port, static_cast<Table>(t));
      if (root == kNoItem) continue;
      std::vector<std::string>& u = units[std::to_string(port) + kNames[t]];
      const Table table = static_cast<Table>(t);
      if (table == Table::Pmt) {
        for (ItemHandle p = tree.GetChildItem(root); p != kNoItem; p = tree.GetNextSiblingItem(p))
          u.push_back(DumpTree(tree, p));
      } else if (tree.ItemHasChildren(root)) {
        const std::string text = DumpTree(tree, root);
        u.push_back(table == Table::Tdt || table == Table::Tot ? WithoutTimeLines(text) : text);
      }
    }
  return units;
}

}  // namespace quorvelin::testing
