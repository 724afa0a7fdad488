// The tables of a file of transport packets, taken with the capture reader of the section codec.
#include <algorithm>

#include "sections/CaptureTables.h"
#include "tools/devsim/DeviceStore.h"

namespace quorvelin::devsim {
namespace {

void Replace(Packets& table, Packets packets) {
  if (!packets.empty()) table = std::move(packets);
}

// A file's tables over those the port holds: each table the file carries replaces the port's;
// PMTs by PID and program_number.
void Merge(PortTables& tables, PortTables taken) {
  for (Packets PortTables::*table : {&PortTables::pat, &PortTables::cat, &PortTables::sdt, &PortTables::bat,
                                     &PortTables::nit, &PortTables::time})
    Replace(tables.*table, std::move(taken.*table));
  for (PmtEntry& entry : taken.pmts) {
    auto same = std::find_if(tables.pmts.begin(), tables.pmts.end(), [&](const PmtEntry& e) {
      return e.pid == entry.pid && e.programNumber == entry.programNumber;
    });
    if (same != tables.pmts.end())
      *same = std::move(entry);
    else
      tables.pmts.push_back(std::move(entry));
  }
}

CaptureOptions EveryTable() {
  CaptureOptions options;
  options.everyPmt = true;
  options.stopWhenComplete = false;
  return options;
}

}  // namespace

bool LoadTransportBytes(const uint8_t* data, size_t size, PortTables& tables) {
  CaptureLoad load = LoadCaptureBytes(data, size, EveryTable());
  if (!load.Ok()) return false;
  Merge(tables, std::move(load.tables));
  return true;
}

bool LoadTransportFile(const std::string& path, PortTables& tables, std::string& error) {
  CaptureLoad load = LoadCapture(path, EveryTable());
  if (!load.Ok()) {
    error = load.error;
    return false;
  }
  Merge(tables, std::move(load.tables));
  return true;
}

}  // namespace quorvelin::devsim
