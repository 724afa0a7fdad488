// Device exchanges against a prompt simulated device on loopback: the wall time of Refresh of
// the two-port sample and of Submit of port A, next to (a) their number of exchanges times one
// loopback round trip and (b) a fixed-wait schedule, which sleeps 10 ms
// before taking the reply to a write and 5000 ms before taking the reply to a NIT write.
// Counters: "exchanges", "round_trip_us", "per_round_trip" (wall time / exchanges x round trip),
// "link_ms" and "link_per_round_trip" (the time inside the exchanges alone, the rest being
// parsing, building and dump files), "fixed_wait_ms" (the fixed waits alone) and
// "vs_fixed_wait" (fixed-wait schedule, waits plus round trips, / wall time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "device/DeviceLink.h"
#include "device/Flows.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"

namespace {

using namespace quorvelin;
using Clock = std::chrono::steady_clock;

// Counts the exchanges and adds up the waits a fixed-wait schedule makes before each reply.
class CountingExchange : public TableExchange {
 public:
  explicit CountingExchange(TableExchange& link) : link_(link) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    ++exchanges;
    const auto start = Clock::now();
    const bool ok = link_.ReadTable(buffer, size, pid, selector, port, bat);
    inExchanges += std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    ++exchanges;
    if (CountPackets(packets, length) + kFrameHeaderSize < kPlainWriteLimit) fixedWaitMs += pid == kNitPid ? 5000 : 10;
    const auto start = Clock::now();
    const bool ok = link_.WriteTable(packets, length, pid, selector, port, bat);
    inExchanges += std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
  }
  int exchanges = 0;
  double fixedWaitMs = 0;
  double inExchanges = 0;  // seconds spent in the link

 private:
  TableExchange& link_;
};

struct Bench {
  explicit Bench(bool fragmented) {
    std::string error;
    devsim::SimulatorOptions o;
    o.fragmented = fragmented;
    sim = devsim::StartOnFreeLoopback(o, error);
    if (!sim) return;
    devsim::LoadSample(sim->Store());
    LinkSettings settings;
    settings.deviceAddress = sim->Address().address;
    settings.protocolMode = fragmented ? kFragmentedProtocol : 0;
    link = std::make_unique<DeviceLink>(ui, settings);
  }
  // Median wall time of one read of a table the device does not hold (request and empty answer).
  double RoundTripSeconds() {
    std::vector<double> samples;
    std::vector<uint8_t> buffer(4096);
    for (int i = 0; i < 101; ++i) {
      const auto start = Clock::now();
      link->ReadTable(buffer.data(), buffer.size(), 0x1FFE, 0, 1, false);
      samples.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + 50, samples.end());
    return samples[50];
  }
  std::unique_ptr<devsim::Simulator> sim;
  TableTreeCtrl tree;
  RecordingUi ui;
  std::unique_ptr<DeviceLink> link;
};

void Report(benchmark::State& state, double seconds, const CountingExchange& counting, double roundTrip) {
  const double perRun = seconds / static_cast<double>(state.iterations());
  const double exchanges = counting.exchanges / static_cast<double>(state.iterations());
  const double fixedWait = counting.fixedWaitMs / static_cast<double>(state.iterations());
  state.counters["exchanges"] = exchanges;
  state.counters["round_trip_us"] = roundTrip * 1e6;
  state.counters["per_round_trip"] = perRun / (exchanges * roundTrip);
  state.counters["link_ms"] = counting.inExchanges / static_cast<double>(state.iterations()) * 1000;
  state.counters["link_per_round_trip"] = counting.inExchanges / counting.exchanges / roundTrip;
  state.counters["fixed_wait_ms"] = fixedWait;
  state.counters["vs_fixed_wait"] = (fixedWait / 1000 + exchanges * roundTrip) / perRun;
}

void BM_Refresh(benchmark::State& state) {
  const auto dumps = std::filesystem::path(std::getenv("QUORVELIN_BENCH_DIR") ? std::getenv("QUORVELIN_BENCH_DIR") : std::filesystem::temp_directory_path().c_str()) / "quorvelin-bench-device";
  std::filesystem::create_directories(dumps);
  std::filesystem::current_path(dumps);
  Bench b(state.range(0) == 1);
  if (!b.sim) return state.SkipWithError("no simulator");
  const double roundTrip = b.RoundTripSeconds();
  CountingExchange counting(*b.link);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    Refresh(b.tree, counting);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  Report(state, seconds, counting, roundTrip);
}

void BM_SubmitPortA(benchmark::State& state) {
  Bench b(state.range(0) == 1);
  if (!b.sim) return state.SkipWithError("no simulator");
  Refresh(b.tree, *b.link);
  const double roundTrip = b.RoundTripSeconds();
  CountingExchange counting(*b.link);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (!SubmitPort(b.tree, counting, b.ui, 1)) return state.SkipWithError("submit failed");
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  Report(state, seconds, counting, roundTrip);
}

BENCHMARK(BM_Refresh)->ArgName("fragmented")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubmitPortA)->ArgName("fragmented")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
