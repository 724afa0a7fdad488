// The tables a port takes out of a capture: for each table the current version's complete set
// of sections (PAT; the PMTs of the PAT's programs; SDT actual; NIT actual on the PAT's network
// PID; the BAT of every bouquet, or of the one asked for; CAT; the latest TDT and TOT), held as
// the device holds them, with a report of what was taken and what was left out and why.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "sections/CaptureReader.h"
#include "sections/PortTables.h"

namespace quorvelin {

struct CaptureOptions {
  std::optional<uint16_t> bouquet;  // the BAT of this bouquet_id only; else of every bouquet
  bool everyPmt = false;            // every PMT on any PID, not only those of the PAT's programs
  bool stopWhenComplete = true;     // stop reading once every table is complete
};

class CaptureSelection {
 public:
  explicit CaptureSelection(CaptureOptions options) : options_(options) {}

  void Take(const CapturedSection& s);
  // PIDs that a PAT named since the last call (PMTs, the network PID).
  std::vector<uint16_t> NewPids();
  // Every table wanted is complete: PAT, the PMTs of its programs, SDT, NIT, the BAT of each
  // bouquet, CAT, TDT, TOT.
  bool Complete() const;
  PortTables Tables() const;
  // What was taken ("PAT: version 1, 1 section, 3 programs"), then what was left out and why.
  std::vector<std::string> Report() const;
  int TablesTaken() const;

 private:
  // The sections of one table (table_id, PID, identifier) by version and section_number.
  struct Versions {
    std::map<uint8_t, std::map<uint8_t, std::vector<uint8_t>>> sections;
    std::map<uint8_t, uint8_t> last;  // last_section_number by version
    std::optional<uint8_t> complete;  // the version whose set was completed last
    uint64_t order = 0;               // when the table was first seen
  };
  using Key = std::tuple<uint8_t, uint16_t, uint16_t>;  // table_id, PID, identifier

  void TakeLong(const CapturedSection& s);
  const Versions* Find(uint8_t tableId, uint16_t pid, std::optional<uint16_t> id) const;
  std::vector<const std::vector<uint8_t>*> Chosen(const Versions* v) const;
  std::vector<std::pair<uint16_t, uint16_t>> Programs() const;  // of the chosen PAT
  uint16_t NetworkPid() const;
  // The bouquet_ids whose BAT is taken, in the order they first came.
  std::vector<uint16_t> Bouquets() const;
  std::string Missing(const Versions& v) const;
  Packets Joined(const Versions* v, uint16_t pid) const;

  CaptureOptions options_;
  std::map<Key, Versions> tables_;
  std::vector<uint8_t> tdt_, tot_;
  std::set<uint16_t> named_, newPids_;
  std::map<std::string, int> leftOut_;
  uint64_t seen_ = 0;
};

struct CaptureLoad {
  PortTables tables;
  std::vector<std::string> report;  // what the selection took and left out, then the reader's problems
  std::string error;                // set when nothing could be taken
  uint64_t bytesRead = 0;
  bool stoppedEarly = false;
  bool Ok() const { return error.empty(); }
};

// Called with the bytes read so far and the file's size; false cancels the load.
using CaptureProgress = std::function<bool(uint64_t done, uint64_t total)>;

CaptureLoad LoadCapture(const std::string& path, const CaptureOptions& options, const CaptureProgress& progress = {});
CaptureLoad LoadCaptureBytes(const uint8_t* data, size_t size, const CaptureOptions& options);

}  // namespace quorvelin
