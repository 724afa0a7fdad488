// NIT and BAT: parsing a received buffer into the tree and building the table back into packets.
// Tables are made of 1024-byte sections (the largest the parser takes) full of transport streams
// with service lists. The largest NIT is the 5120-byte receive buffer (5 sections); the BAT fills
// its 204800-byte buffer with 200 sections. The *Ratio benchmarks time 10 times the data against
// the base in the same iteration and report time(10x) / time(1x) as "ratio"; a BAT cannot grow
// past 256 numbered sections, so its ratio compares 20 sections with 200. BM_ParseShown parses and
// then asks every item for its children, as a view showing every line would (service lists make
// their entry lines when first asked). BM_XmlExport / BM_XmlCompile write the 200-section BAT as
// TSDuck XML and compile that document back to sections.
#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "sections/BatSections.h"
#include "sections/LoopSections.h"
#include "sections/NitSections.h"
#include "sections/SectionWriter.h"
#include "sections/TsduckXml.h"

namespace {

using quorvelin::TableTreeCtrl;
using Bytes = std::vector<uint8_t>;

constexpr size_t kSectionBytes = 1024;

// One section of `kSectionBytes` bytes: transport streams with one service list each.
Bytes MakeSection(uint8_t tableId, int number, int count) {
  quorvelin::SectionWriter w(kSectionBytes);
  w.WriteHeader({tableId, 1, 0x1001, 1, 1, static_cast<uint8_t>(number), static_cast<uint8_t>(count - 1)},
                quorvelin::kFixedBits70);
  w.Length12(0);
  size_t loop = kSectionBytes - 16;
  w.Length12(static_cast<uint16_t>(loop));
  for (uint16_t ts = 0; loop >= 8; ++ts) {
    const size_t data = std::min<size_t>(255, loop - 8) / 3 * 3;
    w.U16(ts);
    w.U16(0x2000);
    w.Length12(static_cast<uint16_t>(2 + data));
    w.U8(0x41);
    w.U8(static_cast<uint8_t>(data));
    for (size_t k = 0; k < data; k += 3) {
      w.U16(static_cast<uint16_t>(ts << 8 | k / 3));
      w.U8(0x01);
    }
    loop -= 8 + data;
  }
  for (; loop > 0; --loop) w.U8(0xFF);  // never reached: the loop is filled exactly
  w.Finish();
  return Bytes(w.data(), w.data() + w.size());
}

Bytes MakeTable(uint8_t tableId, int sections) {
  Bytes table;
  for (int n = 0; n < sections; ++n) {
    const Bytes s = MakeSection(tableId, n, sections);
    table.insert(table.end(), s.begin(), s.end());
  }
  return table;
}

std::unique_ptr<TableTreeCtrl> FreshTree() {
  auto tree = std::make_unique<TableTreeCtrl>();
  tree->BuildRoots();
  return tree;
}

// The walk of ReadNit / ReadBat over a received buffer, without the dump file.
void ParseTable(TableTreeCtrl& tree, const Bytes& buffer, uint8_t tableId) {
  const auto parse = tableId == quorvelin::kNitTableId ? quorvelin::ParseNitSection : quorvelin::ParseBatSection;
  quorvelin::WalkSections(buffer, tableId, [&](std::span<const uint8_t> s) { parse(tree, s.data(), s.size(), 1); });
}

bool BuildTable(TableTreeCtrl& tree, uint8_t tableId, Bytes& area) {
  const auto build = tableId == quorvelin::kNitTableId ? quorvelin::BuildNit : quorvelin::BuildBat;
  return static_cast<bool>(build(tree, 1, area.data(), area.size()));
}

Bytes AreaFor(int sections) { return Bytes(static_cast<size_t>(sections) * 6 * 188, 0xFF); }

double ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Every item below `item`, its children made.
size_t Walk(const TableTreeCtrl& tree, quorvelin::ItemHandle item) {
  size_t n = 1;
  for (quorvelin::ItemHandle c = tree.GetChildItem(item); c != quorvelin::kNoItem; c = tree.GetNextSiblingItem(c))
    n += Walk(tree, c);
  return n;
}

quorvelin::SectionBytesList SectionList(uint8_t tableId, int sections) {
  quorvelin::SectionBytesList out;
  for (int n = 0; n < sections; ++n) out.push_back(MakeSection(tableId, n, sections));
  return out;
}

// args: table_id, sections
void BM_ParseShown(benchmark::State& state) {
  const auto tableId = static_cast<uint8_t>(state.range(0));
  const Bytes buffer = MakeTable(tableId, static_cast<int>(state.range(1)));
  size_t items = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = FreshTree();
    state.ResumeTiming();
    ParseTable(*tree, buffer, tableId);
    items = Walk(*tree, tree->Root(1, tableId == quorvelin::kNitTableId ? quorvelin::Table::Nit : quorvelin::Table::Bat));
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.counters["items"] = static_cast<double>(items);
}

void BM_XmlExport(benchmark::State& state) {
  const quorvelin::SectionBytesList sections = SectionList(quorvelin::kBatTableId, static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) bytes = quorvelin::SectionsToXml(sections).size();
  state.counters["xml_bytes"] = static_cast<double>(bytes);
}

// The generated sections end their stream loop with one stuffing byte that XML does not carry:
// the document's own compile is the reference.
void BM_XmlCompile(benchmark::State& state) {
  const quorvelin::SectionBytesList sections = SectionList(quorvelin::kBatTableId, static_cast<int>(state.range(0)));
  const std::string xml = quorvelin::SectionsToXml(sections);
  std::string error;
  const quorvelin::SectionBytesList compiled = quorvelin::CompileXmlSections(xml, error);
  if (compiled.size() != sections.size() || quorvelin::SectionsToXml(compiled) != xml) state.SkipWithError("not the same tables");
  for (auto _ : state)
    if (quorvelin::CompileXmlSections(xml, error) != compiled) state.SkipWithError("not the same sections");
}

// args: table_id, sections
void BM_Parse(benchmark::State& state) {
  const auto tableId = static_cast<uint8_t>(state.range(0));
  const Bytes buffer = MakeTable(tableId, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = FreshTree();
    state.ResumeTiming();
    ParseTable(*tree, buffer, tableId);
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

void BM_Build(benchmark::State& state) {
  const auto tableId = static_cast<uint8_t>(state.range(0));
  const int sections = static_cast<int>(state.range(1));
  auto tree = FreshTree();
  ParseTable(*tree, MakeTable(tableId, sections), tableId);
  Bytes area = AreaFor(sections);
  for (auto _ : state)
    if (!BuildTable(*tree, tableId, area)) state.SkipWithError("build refused");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sections * static_cast<int64_t>(kSectionBytes));
}

// Parse and build of `small` and of `large` sections, timed in turns; "ratio" = large / small.
void BM_Ratio(benchmark::State& state) {
  const auto tableId = static_cast<uint8_t>(state.range(0));
  const int small = static_cast<int>(state.range(1)), large = static_cast<int>(state.range(2));
  const Bytes smallTable = MakeTable(tableId, small), largeTable = MakeTable(tableId, large);
  Bytes smallArea = AreaFor(small), largeArea = AreaFor(large);
  double parseSmall = 0, parseLarge = 0, buildSmall = 0, buildLarge = 0;
  const auto timed = [](double& total, const std::function<void()>& work) {
    const double t0 = ThreadCpuNs();
    work();
    total += ThreadCpuNs() - t0;
  };
  for (auto _ : state) {
    auto a = FreshTree(), b = FreshTree();
    timed(parseSmall, [&] { ParseTable(*a, smallTable, tableId); });
    timed(parseLarge, [&] { ParseTable(*b, largeTable, tableId); });
    timed(buildSmall, [&] { BuildTable(*a, tableId, smallArea); });
    timed(buildLarge, [&] { BuildTable(*b, tableId, largeArea); });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["parse_ms"] = parseSmall / n / 1e6;
  state.counters["parse10x_ms"] = parseLarge / n / 1e6;
  state.counters["parse_ratio"] = parseLarge / parseSmall;
  state.counters["build_ms"] = buildSmall / n / 1e6;
  state.counters["build10x_ms"] = buildLarge / n / 1e6;
  state.counters["build_ratio"] = buildLarge / buildSmall;
}

BENCHMARK(BM_Parse)
    ->Args({0x40, 5})
    ->Args({0x40, 50})
    ->Args({0x4A, 20})
    ->Args({0x4A, 200})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build)
    ->Args({0x40, 5})
    ->Args({0x40, 50})
    ->Args({0x4A, 20})
    ->Args({0x4A, 200})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseShown)->Args({0x4A, 200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlExport)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlCompile)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio)->Args({0x40, 5, 50})->Args({0x4A, 20, 200})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
