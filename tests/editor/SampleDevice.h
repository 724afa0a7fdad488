// The simulated device with the sample multiplex on a free loopback address, for the editor's
// tests and tools.
#pragma once

#include <cstdio>

#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"

namespace quorvelin::test {

// Started and filled, or nullptr with the reason on stderr; every datagram `delayMs` late.
inline std::unique_ptr<devsim::Simulator> StartSampleDevice(int delayMs = 0) {
  std::string error;
  devsim::SimulatorOptions options;
  options.faults.delayMs = delayMs;
  auto sim = devsim::StartOnFreeLoopback(options, error);
  if (sim) devsim::LoadSample(sim->Store());
  if (!sim) std::fprintf(stderr, "simulator: %s\n", error.c_str());
  return sim;
}

}  // namespace quorvelin::test
