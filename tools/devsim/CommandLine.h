// The command line of quorvelin-devsim.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/devsim/Simulator.h"

namespace quorvelin::devsim {

struct DevsimCommandLine {
  SimulatorOptions simulator;
  std::vector<std::pair<int, std::string>> loads;  // port index, file of transport packets
  bool help = false;
  std::optional<std::pair<uint32_t, uint32_t>> range;  // --listen FIRST-LAST: one device per address
};

// Nothing, with a message in `error`, for an unknown option or a bad value.
std::optional<DevsimCommandLine> ParseDevsimArguments(const std::vector<std::string>& args, std::string& error);
// Fills the simulator's store: the files given, else the built-in sample.
bool LoadTables(const DevsimCommandLine& line, DeviceStore& store, std::string& error);
// The tables of `from` given to every device of the range.
void CopyTables(const DeviceStore& from, SimulatorRange& range);
extern const char* const kDevsimUsage;

}  // namespace quorvelin::devsim
