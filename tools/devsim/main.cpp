// quorvelin-devsim: a head-end device on UDP for the editor to talk to.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/devsim/CommandLine.h"

int main(int argc, char** argv) {
  using namespace quorvelin::devsim;
  std::string error;
  const auto line = ParseDevsimArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!line) {
    std::fprintf(stderr, "quorvelin-devsim: %s\n%s", error.c_str(), kDevsimUsage);
    return 2;
  }
  if (line->help) {
    std::fputs(kDevsimUsage, stdout);
    return 0;
  }
  // The serving thread inherits this mask; the signals are taken below with sigwait.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  if (line->range) {
    DeviceStore tables;
    SimulatorRange range(line->range->first, line->range->second, line->simulator);
    const bool loaded = LoadTables(*line, tables, error);
    if (loaded) CopyTables(tables, range);
    if (!loaded || !range.Start(error)) {
      std::fprintf(stderr, "quorvelin-devsim: %s\n", error.c_str());
      return 1;
    }
    std::printf("quorvelin-devsim ready on %s to %s:%u (%zu devices, %s framing)\n",
                quorvelin::Ipv4Text(line->range->first).c_str(), quorvelin::Ipv4Text(line->range->second).c_str(),
                static_cast<unsigned>(line->simulator.listen.port), range.Devices().size(),
                line->simulator.fragmented ? "fragmented" : "plain");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    range.Stop();
    return 0;
  }
  Simulator sim(line->simulator);
  if (!LoadTables(*line, sim.Store(), error) || !sim.Start(error)) {
    std::fprintf(stderr, "quorvelin-devsim: %s\n", error.c_str());
    return 1;
  }
  const auto where = sim.Address();
  std::printf("quorvelin-devsim ready on %s:%u (%s framing, %zu ports)\n", quorvelin::Ipv4Text(where.address).c_str(),
              static_cast<unsigned>(where.port), line->simulator.fragmented ? "fragmented" : "plain",
              sim.Store().PortIndices().size());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  sim.Stop();
  return 0;
}
