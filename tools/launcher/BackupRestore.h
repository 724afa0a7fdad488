// quorvelin backup and quorvelin restore: a device's tables to transport-stream files, and a
// port's tables from a backup or any broadcast capture.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "sections/PortTables.h"
#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin {

// Reads every port (Refresh) and writes DIR/portA.ts and DIR/portB.ts, or DIR/channelN.ts, with
// every section as the device gave it, and DIR/manifest.txt.
int RunBackup(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
// Takes the port's tables out of the capture (saying what it took and left out), loads them
// into the port's tree as Refresh does, writes them with Submit and compares the read-back.
int RunRestore(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

class RecordingExchange;
class TableTreeCtrl;

// The sections of one port's reads, each once, on the PID it goes out on (the NIT on the PAT's
// network PID), in the order they were read.
std::vector<std::pair<uint16_t, std::vector<uint8_t>>> PortSections(const RecordingExchange& recording,
                                                                    const TableTreeCtrl& tree, int port);

// Writes one port's tables, read from the device or taken out of a capture, as TSDuck XML.
int RunExport(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

// The table_ids a read of `pid` delivers.
std::vector<uint8_t> TableIdsOfRead(uint16_t pid, bool bat);

}  // namespace quorvelin
