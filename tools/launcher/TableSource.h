// Where diff, sync and audit take tables from: a device (its dotted address), a backup folder
// (portA.ts and portB.ts, or channelN.ts, as `backup` writes them) or one transport-stream file
// (one port).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "device/Flows.h"
#include "sections/CaptureTables.h"
#include "tools/launcher/HeadlessCommands.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

struct TableSource {
  enum class Kind { Device, Folder, File };
  Kind kind = Kind::Device;
  std::string text;      // as given
  uint32_t address = 0;  // a device's
};

// A dotted IPv4 address is a device, an existing folder a backup, anything else a file.
TableSource ParseSource(const std::string& text);

// Every port of the source in `tree`: a device's as the options set its port mode (a table not
// read is marked so), a backup folder's ports, a file as the port of channel 1. A table a file
// lacks is an empty table. False, with a message, when a device does not answer or a file
// cannot be read.
bool LoadSource(const TableSource& source, const HeadlessOptions& options, TableTreeCtrl& tree, std::ostream& err);

// The tables of one port of the source as the device holds them (port 2: B): of a device its
// reads of `tables`, of a backup folder that port's file, of a file the file; the BAT of every
// bouquet unless `bouquet` names one. The load's error is set when it fails.
CaptureLoad LoadSourcePort(const TableSource& source, const HeadlessOptions& options, int port, const TableSet& tables);

}  // namespace quorvelin
