// The simulated device: what it holds, how it answers, how it reads transport files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "device/DeviceTestSupport.h"
#include "tools/devsim/CommandLine.h"
#include "tools/devsim/DeviceStore.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin::devsim {
namespace {

Packets SampleFile(const std::string& name) {
  std::ifstream in(std::string(QUORVELIN_TEST_DATA) + "/samples/" + name + ".ts", std::ios::binary);
  return Packets(std::istreambuf_iterator<char>(in), {});
}

Packets Concatenated(std::initializer_list<Packets> parts) {
  Packets out;
  for (const Packets& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The packets with their continuity counters cleared: the device holds a table's packets
// counted from 0, as the builders make them.
Packets Uncounted(Packets p) {
  for (size_t at = 0; at + kPacketSize <= p.size(); at += kPacketSize) p[at + 3] &= 0xF0;
  return p;
}

TEST(TransportFile, RealCapturesBecomeTheTablesTheyCarry) {
  const Packets pat = SampleFile("pat_r4"), cat = SampleFile("cat_r3"), pmt = SampleFile("pmt_planete"),
                sdt = SampleFile("sdt_r3"), nit = SampleFile("nit_tntv23"), bat = SampleFile("bat_tvnum"),
                tdt = SampleFile("tdt_tnt"), tot = SampleFile("tot_tnt");
  // Every table twice, as a capture repeats them: each section is taken once.
  const Packets stream = Concatenated({pat, cat, pmt, sdt, nit, bat, tdt, tot, pat, nit, sdt});
  PortTables t;
  ASSERT_TRUE(LoadTransportBytes(stream.data(), stream.size(), t));
  EXPECT_EQ(Uncounted(t.pat), Uncounted(pat));
  EXPECT_EQ(Uncounted(t.cat), Uncounted(cat));
  EXPECT_EQ(Uncounted(t.sdt), Uncounted(sdt));
  EXPECT_EQ(Uncounted(t.nit), Uncounted(nit));
  EXPECT_EQ(Uncounted(t.bat), Uncounted(bat));
  EXPECT_EQ(Uncounted(t.time), Uncounted(Concatenated({tdt, tot})));
  EXPECT_EQ(t.time[188 + 3], 0x11);  // the TOT packet continues the TDT packet's count
  ASSERT_EQ(t.pmts.size(), 1u);
  EXPECT_EQ(t.pmts[0].pid, 0x0503);
  EXPECT_EQ(Uncounted(t.pmts[0].packets), Uncounted(pmt));
}

TEST(TransportFile, PointerFieldsAdaptationFieldsAndBadCopies) {
  const std::vector<uint8_t> section = SectionWriter(0x00, 0x30, 0x0042).U16(0x0001).U16(0xE100).Finish();
  auto packet = [](uint8_t flags, uint8_t control) {
    std::vector<uint8_t> p(188, 0xFF);
    p[0] = 0x47;
    p[1] = flags;
    p[2] = 0x00;
    p[3] = control;
    return p;
  };
  // A copy with a broken CRC_32 is passed over.
  std::vector<uint8_t> bad = packet(0x40, 0x10);
  bad[4] = 0;
  std::copy(section.begin(), section.end(), bad.begin() + 5);
  bad[14] ^= 1;
  // An adaptation field, then a pointer field over three bytes that end an earlier section,
  // then our section, cut after seven bytes and continued in the next packet.
  std::vector<uint8_t> head = packet(0x40, 0x31);
  head[4] = 7;  // adaptation_field_length
  const size_t pointer = 12;
  head[pointer] = 3;
  const size_t start = 188 - 7;
  head[pointer + 1] = head[pointer + 2] = head[pointer + 3] = 0xAB;
  std::fill(head.begin() + pointer + 4, head.begin() + static_cast<long>(start), 0x00);
  head[pointer] = static_cast<uint8_t>(start - pointer - 1);
  std::copy(section.begin(), section.begin() + 7, head.begin() + static_cast<long>(start));
  std::vector<uint8_t> tail = packet(0x00, 0x12);
  std::copy(section.begin() + 7, section.end(), tail.begin() + 4);
  const Packets stream = Concatenated({bad, head, tail});
  PortTables t;
  ASSERT_TRUE(LoadTransportBytes(stream.data(), stream.size(), t));
  EXPECT_EQ(t.pat, PacketsOf(section, 0));
  // Nothing but a broken copy: no table.
  PortTables none;
  EXPECT_FALSE(LoadTransportBytes(bad.data(), bad.size(), none));
}

TEST(DeviceStore, PmtsAreFiledByPidAndProgramAndFoundThroughThePat) {
  DeviceStore store;
  LoadSample(store);
  const auto read = [&](int port, uint16_t pid, uint8_t selector) {
    return store.Answer(MakeReadRequest(static_cast<uint8_t>(port), selector, pid, false).data());
  };
  const PortTables a = SamplePortA();
  EXPECT_EQ(read(0, 0x0200, 2), a.pmts[1].packets);
  EXPECT_EQ(read(0, 0x0200, 3), a.pmts[2].packets);
  EXPECT_EQ(read(0, 0x0100, 0), a.pmts[0].packets);
  EXPECT_TRUE(read(0, 0x0300, 0).empty());
  EXPECT_TRUE(read(5, 0x0000, 0).empty());
  // A PMT write carries PID 0xFFFF: the packets say where it belongs.
  const Packets replaced = PacketsOf(SectionWriter(0x02, 0x30, 0x0067).U16(0xE301).U16(0xF000).Finish(), 0x0200);
  store.Take(MakeWriteRequest(0, 2, kPmtWritePid, false).data(), replaced.data(), replaced.size());
  EXPECT_EQ(read(0, 0x0200, 3), replaced);
  EXPECT_EQ(store.Port(0).pmts.size(), 3u);
  // A new PAT starts a new set of PMTs.
  store.Take(MakeWriteRequest(0, 0, kPatPid, false).data(), a.pat.data(), a.pat.size());
  EXPECT_TRUE(store.Port(0).pmts.empty());
  // SDT and BAT share PID 0x0011; the marker tells them apart.
  store.Take(MakeWriteRequest(1, 0, kSdtBatPid, true).data(), nullptr, 0);
  EXPECT_TRUE(store.Port(1).bat.empty());
  EXPECT_EQ(store.Port(1).sdt, SamplePortB().sdt);
}

TEST(DeviceStore, SavesEveryTableOfAPortInOrder) {
  testing::TempDir dir;
  DeviceStore store;
  LoadSample(store);
  ASSERT_TRUE(store.SavePort(dir.Path(), 1));
  std::ifstream in(dir.Path() + "/port2.ts", std::ios::binary);
  const Packets saved(std::istreambuf_iterator<char>(in), {});
  const PortTables b = SamplePortB();
  EXPECT_EQ(saved, Concatenated({b.pat, b.pmts[0].packets, b.pmts[1].packets, b.sdt, b.cat, b.nit, b.bat, b.time}));
  PortTables back;
  ASSERT_TRUE(LoadTransportBytes(saved.data(), saved.size(), back));
  EXPECT_EQ(back, b);
}

TEST(DevsimCommandLine, OptionsAndTheirValues) {
  std::string error;
  const auto line = ParseDevsimArguments({"--listen", "127.0.0.9", "--udp-port", "3000", "--load", "B=b.ts",
                                          "--load", "7=c.ts", "--fragmented", "--loss", "0.1", "--delay-ms", "5",
                                          "--save-dir", "out"},
                                         error);
  ASSERT_TRUE(line) << error;
  EXPECT_EQ(line->simulator.listen.address, testing::Loopback(9));
  EXPECT_EQ(line->simulator.listen.port, 3000);
  EXPECT_TRUE(line->simulator.fragmented);
  EXPECT_DOUBLE_EQ(line->simulator.faults.loss, 0.1);
  EXPECT_EQ(line->simulator.faults.delayMs, 5);
  EXPECT_EQ(line->simulator.saveDir, "out");
  EXPECT_EQ(line->loads, (std::vector<std::pair<int, std::string>>{{1, "b.ts"}, {6, "c.ts"}}));
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--loss", "1.5"}, {"--udp-port"}, {"--load", "33=x.ts"}, {"--load", "A"},
        {"--listen", "localhost"}, {"--sample", "--load", "A=x.ts"}, {"--frobnicate"}})
    EXPECT_FALSE(ParseDevsimArguments(bad, error)) << bad[0];
}

}  // namespace
}  // namespace quorvelin::devsim
