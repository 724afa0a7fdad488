// The simulated device with the sample multiplex on a free loopback address, for the editor's
// tests and tools.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"

namespace quorvelin::test {

// Started and filled, or nullptr with the reason on stderr.
inline std::unique_ptr<devsim::Simulator> StartSampleDevice(devsim::SimulatorOptions options = {}) {
  std::string error;
  auto sim = devsim::StartOnFreeLoopback(options, error);
  if (!sim) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return nullptr;
  }
  devsim::LoadSample(sim->Store());
  return sim;
}

}  // namespace quorvelin::test
