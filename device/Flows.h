// The flows that move whole tables between the device and the tree: Refresh (read every table
// of every port), Submit (build and write every table of one port) and the device half of
// SetChannel. The exchanges go through a TableExchange (the DeviceLink, or a test's own).
#pragma once

#include <cstdint>
#include <array>
#include <string>
#include <vector>

#include "device/FlowLog.h"
#include "device/VersionRule.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

inline constexpr const char* kSubmitFailedText = "Save to Device error,please repeat!";
inline constexpr const char* kSubmitFailedCaption = "system information";

// Throws the tree away, builds the port nodes and roots anew and reads, for each port in turn,
// PAT, PMTs, SDT, CAT, NIT and BAT, then TDT and TOT per port. A table whose read fails is
// left out without a message. Sets the program counts. When the first two reads both got no
// datagram at all, the other reads are not tried and the result is false.
bool Refresh(TableTreeCtrl& tree, TableExchange& exchange);
// The same through a log: each table a step of its progress; a Cancel ends it before the next.
bool Refresh(TableTreeCtrl& tree, FlowLog& log);
// The same, and a device that does not answer is reported once through `ui`. The result names
// what was read and what was not, for the status line.
std::string Refresh(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, FlowProgress* progress = nullptr);
// The tables of one port only: its table branches are thrown away and read again through
// `exchange` in the order of Refresh; the other port stays as it is. With `only`, just the
// tables it names are read; the others keep their branches. False without the port.
using TableSet = std::array<bool, kTableCount>;  // by Table
bool RefreshPort(TableTreeCtrl& tree, TableExchange& exchange, int port, const TableSet* only = nullptr);
// The ports the tree has nodes for: 1 and 2 with ports A and B, 1 alone for a channel.
std::vector<int> PortsOf(const TableTreeCtrl& tree);
// "PortA SDT (no answer)" for every table of the tree's ports that was not read.
std::vector<std::string> TablesNotRead(const TableTreeCtrl& tree);
// "PAT, PMT and SDT": the names of the tables in `tables`.
std::string TableNames(const TableSet& tables);
// "The device at ADDR does not answer." with the dotted address.
std::string SilentDeviceText(uint32_t address);

// A write of a port's tables: what becomes of a sub-table whose content changed under the
// version_number the device holds, and where that is known from.
struct WriteOptions {
  VersionRule versions = VersionRule::Ask;
  // What the device holds, read into a tree of its own; none: the sections the tree was read with.
  const TableTreeCtrl* held = nullptr;
};

// The port Submit writes: that of the selected item's top-level node (0: none).
int SubmitPortOf(const TableTreeCtrl& tree);
// Writes the tables of the port of the selected item (nothing when it belongs to no port).
// True when Submit ended quietly.
bool Submit(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui);
// Builds every table of `port` first: a table that does not fit its output area is refused
// with the builder's message and nothing is sent. Then writes PAT, PMTs, SDT, CAT, NIT, BAT
// and TDT/TOT; port 1 stops at the first failed write, port 2 only at a failed NIT, BAT or
// TDT/TOT write, with "Save to Device error,please repeat!". True when every write that counts
// went through.
bool SubmitPort(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port, const WriteOptions& options = {});
// The writes of SubmitPort to another receiver (a file), versions kept: the port does not count
// as submitted.
bool WritePortTables(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port);

// Submit as the editor runs it: SubmitPort on the selected item's port, then the port read back
// and compared table by table with what was sent. When all match, the port's branch becomes
// what was read (lengths, CRCs and counters as the device holds them); otherwise the tree keeps
// what was sent and a message names the differing tables. The result is the status line's text
// (empty when the selection lies under no port).
// Before anything is written, the sub-tables whose content changed under the version_number the
// device holds are named in a question that offers to raise it (`options`).
std::string SubmitAndVerify(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, FlowProgress* progress = nullptr,
                            const WriteOptions& options = {});
// The same for `port`: verified when every write went through and every table written was read
// back equal; `skipped` when a table that was not read was left on the device as it is;
// `raised` names the sub-tables whose version_number was raised.
struct PortSubmit {
  bool verified = false, skipped = false;
  std::string text, raised;
};
PortSubmit SubmitPortAndVerify(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port,
                               FlowProgress* progress = nullptr, const WriteOptions& options = {});

// After the channel dialog was confirmed: the new channel number, then Refresh.
std::string ApplyChannel(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int channelNumber,
                         FlowProgress* progress = nullptr);

}  // namespace quorvelin
