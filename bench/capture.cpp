// Scanning a 100 MB capture for its tables: one iteration reads the whole stream (the read does
// not stop early), so the time per iteration is the time for 100 MB. Two streams: a broadcast
// (one PSI/SI packet in 50, the rest video) and one of PSI/SI packets only; and the broadcast read
// from a file in the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "sections/CaptureTables.h"
#include "sections/Packets.h"
#include "sections/StreamWriter.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin {
namespace {

constexpr size_t kStreamBytes = 100u << 20;

// The sample's port A as a stream with running continuity counters.
Packets PsiCycle() {
  const PortTables t = devsim::SamplePortA();
  StreamWriter w;
  auto add = [&](const Packets& table) {
    for (const Packets& p : SectionPackets(table)) {
      Packets s(p);
      UnpackPackets(static_cast<int>(s.size() / kPacketSize), s.data(), s.size());
      s.resize(3u + ((s[1] & 0x0F) << 8 | s[2]));
      w.Add(static_cast<uint16_t>((p[1] & 0x1F) << 8 | p[2]), s);
    }
  };
  add(t.pat);
  for (const PmtEntry& e : t.pmts) add(e.packets);
  for (const Packets* p : {&t.sdt, &t.cat, &t.nit, &t.bat, &t.time}) add(*p);
  return w.Stream();
}

// `videoPerPsi` video packets after each PSI/SI packet, up to 100 MB.
Packets Stream(size_t videoPerPsi) {
  const Packets cycle = PsiCycle();
  Packets video(kPacketSize, 0x5A);
  video[0] = 0x47, video[1] = 0x07, video[2] = 0xD0, video[3] = 0x10;
  Packets out;
  out.reserve(kStreamBytes + kPacketSize);
  for (size_t at = 0; out.size() < kStreamBytes; at = (at + kPacketSize) % cycle.size()) {
    out.insert(out.end(), cycle.begin() + static_cast<long>(at), cycle.begin() + static_cast<long>(at + kPacketSize));
    for (size_t v = 0; v < videoPerPsi && out.size() < kStreamBytes; ++v) out.insert(out.end(), video.begin(), video.end());
  }
  out.resize(kStreamBytes / kPacketSize * kPacketSize);
  return out;
}

CaptureOptions WholeStream() {
  CaptureOptions o;
  o.stopWhenComplete = false;
  return o;
}

void Scan(benchmark::State& state, const Packets& stream) {
  for (auto _ : state) {
    const CaptureLoad load = LoadCaptureBytes(stream.data(), stream.size(), WholeStream());
    if (!load.Ok()) state.SkipWithError(load.error.c_str());
    benchmark::DoNotOptimize(load.tables);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}

void BM_CaptureBroadcast(benchmark::State& state) {
  static const Packets stream = Stream(49);
  Scan(state, stream);
}

void BM_CapturePsiOnly(benchmark::State& state) {
  static const Packets stream = Stream(0);
  Scan(state, stream);
}

void BM_CaptureBroadcastFile(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "quorvelin-bench-capture.ts").string();
  {
    const Packets stream = Stream(49);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(stream.data()), static_cast<long>(stream.size()));
  }
  for (auto _ : state) {
    const CaptureLoad load = LoadCapture(path, WholeStream());
    if (!load.Ok()) state.SkipWithError(load.error.c_str());
    benchmark::DoNotOptimize(load.tables);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
  std::remove(path.c_str());
}

BENCHMARK(BM_CaptureBroadcast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CapturePsiOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureBroadcastFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvelin

BENCHMARK_MAIN();
