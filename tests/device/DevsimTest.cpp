// The simulated device: what it holds, how it answers, how it reads transport files and saves
// them; and the time tables Submit leaves on it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "device/DeviceTestSupport.h"
#include "device/Flows.h"
#include "device/StoreExchange.h"
#include "sections/SectionTestSupport.h"
#include "tools/devsim/CommandLine.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin::devsim {
namespace {

Packets Capture(const char* name) { return testing::SamplePackets(name); }

// Real captures with a PMT and an SDT of two sections, loaded on port B: every section is held
// (counted from 0, as the builders write), served one per request in turn and read back once;
// Submit then leaves a TOT with section_syntax_indicator 0 and the time of the TDT written with
// it, taken during Submit.
TEST(TransportFile, RealCapturesAreHeldWholeServedInTurnAndWrittenBackWithTheirTime) {
  const Packets pat = Capture("pat_r4"), cat = Capture("cat_r3"), nit = Capture("nit_tntv23");
  const Packets bat = Capture("bat_tvnum"), time = testing::Join({Capture("tdt_tnt"), Capture("tot_tnt")});
  auto sdt = [](int n) { return PacketsOf(SectionWriter(0x42, 0x70, 1, n, 1).U16(1).U8(0xFF).Finish(), 0x11); };
  auto pmt = [](int n) { return PacketsOf(SectionWriter(2, 0x30, 4, n, 1).U16(0xE100).U16(0xF000).Finish(), 0x503); };
  Packets broken = pat;
  broken[20] ^= 1;
  // Every table twice, as a capture repeats them: each section is taken once, the first copy
  // whose CRC_32 checks.
  const Packets stream =
      testing::Join({broken, pat, cat, pmt(1), sdt(1), nit, bat, time, pmt(0), sdt(0), pat, nit, sdt(1), pmt(1)});
  PortTables t;
  ASSERT_TRUE(LoadTransportBytes(stream.data(), stream.size(), t));
  for (const auto& [held, captured] : {std::pair{t.pat, pat}, {t.cat, cat}, {t.nit, nit}, {t.bat, bat}, {t.time, time}})
    EXPECT_EQ(held, testing::WithCountersFromZero(captured));
  EXPECT_EQ(std::pair(t.sdt, t.pmts.at(0).packets),
            std::pair(testing::Join({sdt(0), sdt(1)}), testing::Join({pmt(0), pmt(1)})));

  t.pat = PacketsOf(SectionWriter(0x00, 0x30, 1).U16(4).U16(0xE503).Finish(), kPatPid);  // lists the PMT
  DeviceStore store;
  store.SetPort(1, t);
  testing::TempDir dir;
  TableTreeCtrl tree;
  tree.portMode = 1;
  testing::StoreExchange device(store, tree);
  Refresh(tree, device);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Sdt)), 2);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Pmt)), 2);
  EXPECT_EQ(store.Answer(MakeReadRequest(1, 0, kSdtBatPid, false).data()), sdt(0));  // the next turn
  RecordingUi ui;
  const DateTime before = CurrentUtcDate();
  ASSERT_TRUE(SubmitPort(tree, device, ui, 2));
  const Packets written = store.Port(1).time;
  ASSERT_EQ(written.size(), 2 * kPacketSize);
  EXPECT_EQ(written[188 + 6], 0x70);
  EXPECT_EQ(Packets(written.begin() + 8, written.begin() + 13), Packets(written.begin() + 196, written.begin() + 201));
  EXPECT_GE(UtcTimeToDate(written.data() + 8).days, before.days - 1.0 / 86400);
}

TEST(DeviceStore, PmtsAreFiledByPidAndProgramAndFoundThroughThePat) {
  DeviceStore store;
  LoadSample(store);
  const auto read = [&](uint8_t port, uint16_t pid, uint8_t selector) {
    return store.Answer(MakeReadRequest(port, selector, pid, false).data());
  };
  const PortTables a = SamplePortA();
  EXPECT_EQ(read(0, 0x0200, 2), a.pmts[1].packets);
  EXPECT_EQ(read(0, 0x0200, 3), a.pmts[2].packets);  // the PAT's last entry, right before its CRC_32
  EXPECT_EQ(read(0, 0x0100, 0), a.pmts[0].packets);
  EXPECT_TRUE(read(0, 0x0300, 0).empty() && read(5, 0x0000, 0).empty());
  // A PMT write carries PID 0xFFFF: the packets say where it belongs. A new PAT starts a new set.
  const Packets replaced = PacketsOf(SectionWriter(0x02, 0x30, 0x0067).U16(0xE301).U16(0xF000).Finish(), 0x0200);
  store.Take(MakeWriteRequest(0, 2, kPmtWritePid, false).data(), replaced.data(), replaced.size());
  EXPECT_EQ(read(0, 0x0200, 3), replaced);
  EXPECT_EQ(store.Port(0).pmts.size(), 3u);
  store.Take(MakeWriteRequest(0, 0, kPatPid, false).data(), a.pat.data(), a.pat.size());
  EXPECT_TRUE(store.Port(0).pmts.empty());
  // SDT and BAT share PID 0x0011; the marker tells them apart.
  store.Take(MakeWriteRequest(1, 0, kSdtBatPid, true).data(), nullptr, 0);
  EXPECT_EQ(std::pair(store.Port(1).bat, store.Port(1).sdt), std::pair(Packets{}, SamplePortB().sdt));
}

// Bad options are refused; --save-dir makes a missing directory and saves every table of a port
// there in order, or stops the start with a message naming a directory it cannot make.
TEST(DevsimCommandLine, BadOptionsAndTheSaveDirectory) {
  std::string error;
  for (const std::string bad :
       {"--loss 1.5", "--udp-port", "--load 33=x.ts", "--load A", "--listen localhost", "--sample --load A=x.ts",
        "--listen 127.0.0.9-127.0.0.8"}) {
    std::istringstream words(bad);
    EXPECT_FALSE(ParseDevsimArguments({std::istream_iterator<std::string>(words), {}}, error)) << bad;
  }
  const auto range = ParseDevsimArguments({"--listen", "127.0.1.1-127.0.4.238"}, error);
  ASSERT_TRUE(range && range->range) << error;
  EXPECT_EQ(ntohl(range->range->second) - ntohl(range->range->first), 1005u);
  testing::TempDir dir;
  const std::string save = dir.Path() + "/made/here";
  const auto line = ParseDevsimArguments({"--load", "B=b.ts", "--load", "7=c.ts", "--save-dir", save}, error);
  ASSERT_TRUE(line) << error;
  EXPECT_EQ(line->loads, (std::vector<std::pair<int, std::string>>{{1, "b.ts"}, {6, "c.ts"}}));
  SimulatorOptions s = line->simulator;
  auto sim = StartOnFreeLoopback(s, error);
  ASSERT_TRUE(sim) << error;
  LoadSample(sim->Store());
  sim->Stop();
  const PortTables b = SamplePortB();
  std::ifstream in(save + "/port2.ts", std::ios::binary);
  EXPECT_EQ(Packets(std::istreambuf_iterator<char>(in), {}),
            testing::Join({b.pat, b.pmts[0].packets, b.pmts[1].packets, b.sdt, b.cat, b.nit, b.bat, b.time}));
  s.saveDir = save + "/port2.ts/below";
  EXPECT_FALSE(StartOnFreeLoopback(s, error));
  EXPECT_NE(error.find(s.saveDir), std::string::npos) << error;
}

}  // namespace
}  // namespace quorvelin::devsim
