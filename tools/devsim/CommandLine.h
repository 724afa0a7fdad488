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
};

// Nothing, with a message in `error`, for an unknown option or a bad value.
std::optional<DevsimCommandLine> ParseDevsimArguments(const std::vector<std::string>& args, std::string& error);
// Fills the simulator's store: the files given, else the built-in sample.
bool LoadTables(const DevsimCommandLine& line, DeviceStore& store, std::string& error);
extern const char* const kDevsimUsage;

}  // namespace quorvelin::devsim
