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

// Real captures with a PMT and an SDT of two sections and a BAT of three bouquets, one of two
// sections, loaded on port B: every section is held (counted from 0, as the builders write), the
// SDT and PMT served one per request in turn and read back once, the BAT whole. Submit of an SDT
// and a BAT changed since writes every section, each bouquet numbered from 0, and reads them back
// equal; it leaves a TOT with section_syntax_indicator 0 and the time of the TDT written with it.
TEST(TransportFile, RealCapturesAreHeldWholeServedInTurnAndWrittenBackWithTheirTime) {
  const Packets pat = Capture("pat_r4"), cat = Capture("cat_r3"), nit = Capture("nit_tntv23");
  const Packets bat = Capture("bat_tvnum"), time = testing::Join({Capture("tdt_tnt"), Capture("tot_tnt")});
  auto sdt = [](int n) { return PacketsOf(SectionWriter(0x42, 0x70, 1, n, 1).U16(1).U8(0xFF).Finish(), 0x11); };
  auto pmt = [](int n) { return PacketsOf(SectionWriter(2, 0x30, 4, n, 1).U16(0xE100).U16(0xF000).Finish(), 0x503); };
  auto bouquet = [](int id, int n, int last) {
    return PacketsOf(SectionWriter(0x4A, 0x70, uint16_t(id), n, last).U16(0xF000).U16(0xF000).Finish(), 0x11);
  };
  Packets broken = pat;
  broken[20] ^= 1;
  // Every table twice, as a capture repeats them: each section is taken once, the first copy
  // whose CRC_32 checks.
  const Packets stream =
      testing::Join({broken, pat, cat, pmt(1), sdt(1), nit, bat, bouquet(0xB01, 1, 1), bouquet(0xB02, 0, 0), time,
                     pmt(0), sdt(0), pat, nit, sdt(1), pmt(1), bouquet(0xB01, 0, 1)});
  PortTables t;
  ASSERT_TRUE(LoadTransportBytes(stream.data(), stream.size(), t));
  const Packets bouquets = testing::Join(
      {testing::WithCountersFromZero(bat), bouquet(0xB01, 0, 1), bouquet(0xB01, 1, 1), bouquet(0xB02, 0, 0)});
  for (const auto& [held, captured] : {std::pair{t.pat, pat}, {t.cat, cat}, {t.nit, nit}, {t.time, time}})
    EXPECT_EQ(held, testing::WithCountersFromZero(captured));
  EXPECT_EQ(t.bat, bouquets);
  EXPECT_EQ(std::pair(t.sdt, t.pmts.at(0).packets),
            std::pair(testing::Join({sdt(0), sdt(1)}), testing::Join({pmt(0), pmt(1)})));

  t.pat = PacketsOf(SectionWriter(0x00, 0x30, 1).U16(4).U16(0xE503).Finish(), kPatPid);  // lists the PMT
  DeviceStore store;
  store.SetPort(1, t);
  testing::TempDir dir;
  TableTreeCtrl tree;
  testing::StoreExchange device(store);
  Refresh(tree, device);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Sdt)), 2);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Pmt)), 2);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Bat)), 4);
  EXPECT_EQ(store.Answer(MakeReadRequest(1, 0, kSdtBatPid, false).data()), sdt(0));  // the next turn
  const ItemHandle second = tree.ChildAt(tree.Root(2, Table::Sdt), 1);
  tree.RecordOf(second)->As<SdtSectionHeader>()->original_network_id = 0x1234;
  tree.SetItemText(tree.ChildAt(second, 8), "original_network_id: 0x1234");
  tree.DeleteItem(tree.ChildAt(tree.Root(2, Table::Bat), 1));  // bouquet 0xB01 keeps its second section
  tree.DeleteItem(tree.ChildAt(tree.Root(2, Table::Pmt), 1));  // a PMT has one section (ISO/IEC 13818-1)
  const ItemHandle program = tree.GetChildItem(tree.ChildAt(tree.Root(2, Table::Pmt), 0));
  PayloadOf<PmtSectionHeader>(tree, program)->last_section_number = 0;
  RecordingUi ui;
  const DateTime before = CurrentUtcDate();
  const PortSubmit submitted = SubmitPortAndVerify(tree, device, ui, 2, nullptr, {VersionRule::Keep});
  ASSERT_TRUE(submitted.verified) << submitted.text;
  EXPECT_EQ(store.Port(1).sdt,
            testing::Join({sdt(0), PacketsOf(SectionWriter(0x42, 0x70, 1, 1, 1).U16(0x1234).U8(0xFF).Finish(), 0x11)}));
  EXPECT_EQ(store.Port(1).bat,
            testing::Join({testing::WithCountersFromZero(bat), bouquet(0xB01, 0, 0), bouquet(0xB02, 0, 0)}));
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
  // An SDT of more than a read takes is not read, and Submit leaves it on the device, naming it.
  testing::TempDir dir;
  PortTables big = a;
  big.sdt = testing::NumberedPackets(int(kLargestTablePackets / kPacketSize) + 1, 0x0011);
  store.SetPort(0, big);
  TableTreeCtrl tree;
  testing::StoreExchange device(store);
  Refresh(tree, device);
  EXPECT_EQ(tree.GetItemText(tree.Root(1, Table::Sdt)), "SDT (not read: more than 288768 bytes)");
  RecordingUi ui;
  EXPECT_NE(SubmitPortAndVerify(tree, device, ui, 1).text.find("; PortA SDT not read: left on the device as it is"),
            std::string::npos);
  EXPECT_EQ(store.Port(0).sdt, big.sdt);
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
