// The flows that move whole tables between the device and the tree: Refresh (read every table
// of every port), Submit (build and write every table of one port) and the device half of
// SetChannel. The exchanges go through a TableExchange (the DeviceLink, or a test's own).
#pragma once

#include <cstdint>
#include <string>

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
// The same, and a device that does not answer is reported once through `ui`.
void Refresh(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui);
// "The device at ADDR does not answer." with the dotted address.
std::string SilentDeviceText(uint32_t address);

// Writes the tables of the port of the selected item (nothing when it belongs to no port).
// True when Submit ended quietly.
bool Submit(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui);
// Builds every table of `port` first: a table that does not fit its output area is refused
// with the builder's message and nothing is sent. Then writes PAT, PMTs, SDT, CAT, NIT, BAT
// and TDT/TOT; port 1 stops at the first failed write, port 2 only at a failed NIT, BAT or
// TDT/TOT write, with "Save to Device error,please repeat!". True when every write that counts
// went through.
bool SubmitPort(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port);

// After the channel dialog was confirmed: the new channel number, then Refresh.
void ApplyChannel(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int channelNumber);

}  // namespace quorvelin
