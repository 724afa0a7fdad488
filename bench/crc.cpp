// CRC_32 throughput: the slicing-by-8 Crc32Mpeg against a plain one-byte-table CRC.
// BM_CrcRatio reports how many times faster the slicing version is ("ratio").
#include <benchmark/benchmark.h>

#include <array>
#include <ctime>
#include <cstdint>
#include <random>
#include <vector>

#include "sections/Packets.h"

namespace {

std::array<uint32_t, 256> MakeByteTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    table[i] = crc;
  }
  return table;
}

uint32_t ByteTableCrc(const uint8_t* data, size_t n) {
  static const std::array<uint32_t, 256> table = MakeByteTable();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

std::vector<uint8_t> RandomBytes(size_t n) {
  std::vector<uint8_t> bytes(n);
  std::mt19937 rng(42);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

void BM_CrcSlicingBy8(benchmark::State& state) {
  const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(quorvelin::Crc32Mpeg(bytes.data(), bytes.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_CrcByteTable(benchmark::State& state) {
  const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ByteTableCrc(bytes.data(), bytes.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// CPU time of this thread in nanoseconds: other load on the machine does not count.
double ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Both CRCs over the same bytes in every iteration; the counter is byte-table time / slicing time.
void BM_CrcRatio(benchmark::State& state) {
  const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
  constexpr int kRounds = 64;
  double slicing = 0, byteTable = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    for (int i = 0; i < kRounds; ++i) benchmark::DoNotOptimize(quorvelin::Crc32Mpeg(bytes.data(), bytes.size()));
    const double t1 = ThreadCpuNs();
    for (int i = 0; i < kRounds; ++i) benchmark::DoNotOptimize(ByteTableCrc(bytes.data(), bytes.size()));
    const double t2 = ThreadCpuNs();
    slicing += t1 - t0;
    byteTable += t2 - t1;
  }
  state.counters["ratio"] = byteTable / slicing;
}

// 183: a one-packet section; 1839: the largest NIT/BAT section; 65536: a long run.
BENCHMARK(BM_CrcSlicingBy8)->Arg(183)->Arg(1839)->Arg(65536);
BENCHMARK(BM_CrcByteTable)->Arg(183)->Arg(1839)->Arg(65536);
BENCHMARK(BM_CrcRatio)->Arg(183)->Arg(1839)->Arg(65536);

}  // namespace

BENCHMARK_MAIN();
