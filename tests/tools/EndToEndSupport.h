// Helpers of the end-to-end tests: simulated devices on loopback, the launcher's commands run in
// the test, and tables compared without what the builders rewrite by design (the times of the
// TDT and TOT, and the TOT's CRC_32).
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "device/DeviceTestSupport.h"
#include "device/StoreExchange.h"
#include "tools/devsim/Simulator.h"
#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin::testing {

inline std::unique_ptr<devsim::Simulator> StartDevice(devsim::SimulatorOptions options = {}, bool sample = true) {
  std::string error;
  auto sim = devsim::StartOnFreeLoopback(std::move(options), error);
  EXPECT_TRUE(sim) << error;
  if (sim && sample) devsim::LoadSample(sim->Store());
  return sim;
}

// A command of the launcher run in this process: its exit status and what it wrote.
struct Launched {
  int status;
  std::string out, err;
};

inline Launched Command(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunLauncher(args, out, err);
  return {status, out.str(), err.str()};
}

inline std::string Address(const devsim::Simulator& sim) { return Ipv4Text(sim.Address().address); }

// The tables of a port with the TDT's and TOT's UTC_time fields and the TOT's CRC_32 cleared.
inline devsim::PortTables WithoutTimes(devsim::PortTables t) {
  for (size_t at : {8, 9, 10, 11, 12, 188 + 8, 188 + 9, 188 + 10, 188 + 11, 188 + 12, 218, 219, 220, 221})
    if (at < t.time.size()) t.time[at] = 0;
  return t;
}

}  // namespace quorvelin::testing
