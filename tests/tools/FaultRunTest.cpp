// Refresh and Submit against a device that loses, delays, repeats, cuts, oversizes and forges
// its datagrams: no crash, no hang past the deadlines, and every table on either side is exactly
// what was sent or absent.
#include <gtest/gtest.h>

#include <algorithm>

#include "EndToEndSupport.h"
#include "device/StoreExchange.h"

namespace quorvelin {
namespace {

using namespace testing;

bool Contains(const std::vector<std::string>& units, const std::string& unit) {
  return std::find(units.begin(), units.end(), unit) != units.end();
}

// Every table the tree shows is one the device holds, unchanged. Returns the tables shown.
int CheckTree(const TableUnits& got, const TableUnits& expected, int cycle) {
  int shown = 0;
  for (const auto& [table, units] : got)
    for (const std::string& unit : units) {
      EXPECT_TRUE(Contains(expected.at(table), unit)) << "cycle " << cycle << ", " << table << ":\n" << unit;
      ++shown;
    }
  return shown;
}

void CheckDevice(const devsim::DeviceStore& store, int cycle) {
  const devsim::PortTables expected[2] = {WithoutTimes(devsim::SamplePortA()), WithoutTimes(devsim::SamplePortB())};
  for (int index : {0, 1}) {
    const devsim::PortTables t = store.Port(index);
    const devsim::PortTables& e = expected[index];
    auto same = [&](const devsim::Packets& got, const devsim::Packets& want, const char* name) {
      EXPECT_TRUE(got.empty() || got == want) << "cycle " << cycle << ", port " << index + 1 << ' ' << name;
    };
    same(t.pat, e.pat, "PAT");
    same(t.sdt, e.sdt, "SDT");
    same(t.cat, e.cat, "CAT");
    same(t.nit, e.nit, "NIT");
    same(t.bat, e.bat, "BAT");
    same(WithoutTimes(t.time), e.time, "TDT/TOT");
    for (const devsim::PmtEntry& pmt : t.pmts)
      EXPECT_TRUE(std::find(e.pmts.begin(), e.pmts.end(), pmt) != e.pmts.end()) << "cycle " << cycle << " PMT";
    EXPECT_TRUE(t.other.empty());
  }
}

TEST(FaultRun, TwoHundredRefreshAndSubmitCycles) {
  TempDir dir;
  SampleTree sample;
  TableTreeCtrl& source = sample.tree;
  const TableUnits expected = UnitsOf(source);
  size_t tables = 0;
  for (const auto& [table, units] : expected) tables += units.size();

  for (const bool fragmented : {true, false}) {
    devsim::SimulatorOptions o;
    o.fragmented = fragmented;
    o.packetsPerDatagram = 2;
    o.seed = fragmented ? 47 : 2007;
    o.faults = {.loss = 0.1, .duplicate = 0.05, .truncate = 0.05, .oversize = 0.05, .spoof = 0.05, .delayMs = 3};
    auto sim = StartDevice(o);
    ASSERT_TRUE(sim);
    const int protocol = fragmented ? kFragmentedProtocol : 0;
    Editor reader(sim->Address().address, protocol, QuickLink(40ms));
    source.deviceAddress = sim->Address().address;
    source.protocolMode = protocol;
    RecordingUi ui;
    DeviceLink writer(source, ui, QuickLink(40ms));

    int fullTrees = 0, shown = 0, submitted = 0;
    SteadyClock::duration longest{};
    for (int cycle = 0; cycle < 100; ++cycle) {
      const auto start = SteadyClock::now();
      Refresh(reader.tree, *reader.link);
      const int tablesShown = CheckTree(UnitsOf(reader.tree), expected, cycle);
      shown += tablesShown;
      fullTrees += tablesShown == static_cast<int>(tables) ? 1 : 0;
      submitted += SubmitPort(source, writer, ui, 1 + cycle % 2) ? 1 : 0;
      CheckDevice(sim->Store(), cycle);
      longest = std::max(longest, SteadyClock::now() - start);
      if (::testing::Test::HasFailure()) break;
    }
    // Not a speed target: a cycle that outlasts all its deadlines together has hung.
    EXPECT_LT(longest, 30s);
    EXPECT_GT(sim->Stats().faults.load(), 100);
    EXPECT_GT(shown, static_cast<int>(tables) * 100 / 3);  // the link still gets most tables through
    EXPECT_GT(submitted, 0);
    std::printf("%s: %d of %zu tables read on average, %d of 100 refreshes whole, %d of 100 submits whole, %d faults, "
                "longest cycle %lld ms\n",
                fragmented ? "fragmented" : "plain", shown / 100, tables, fullTrees, submitted, sim->Stats().faults.load(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
    EXPECT_TRUE(reader.ui.messages.empty());
  }
}

}  // namespace
}  // namespace quorvelin
