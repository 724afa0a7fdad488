// Tables taken out of transport streams: imported through the normal Refresh, from streams laid
// out as broadcasts lay them out and from the real captures; bad files named, never a crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "device/CaptureSupport.h"
#include "device/DeviceTestSupport.h"
#include "device/PortFiles.h"
#include "device/StoreExchange.h"
#include "sections/CaptureExchange.h"
#include "sections/CaptureTables.h"
#include "sections/TsduckXml.h"

namespace quorvelin::testing {
namespace {

std::string Imported(const PortTables& tables, int port) {
  TableTreeCtrl tree;
  tree.BuildRoots();
  CaptureExchange exchange(tables, port);
  RefreshPort(tree, exchange, port);
  return DumpTree(tree, tree.PortNode(port));
}

std::string Report(const CaptureLoad& load) {
  std::string out = load.error;
  for (const std::string& line : load.report) out += "\n" + line;
  return out;
}

// The sample's ports (several programs, a NIT and a BAT of two sections each) as streams of every
// layout: the import shows exactly what Refresh of the device shows.
TEST(Capture, ImportShowsWhatRefreshOfTheDeviceShowsInEveryLayout) {
  SampleTree device;
  const std::vector<Layout> layouts = {{}, {.adaptation = 1}, {.adaptation = 9, .packed = true}, {.packed = true},
                                       {.repeated = true, .padded = true}};
  for (int port : {1, 2})
    for (const Layout& layout : layouts) {
      const Bytes stream = Mux(testing::SectionsOf(device.store.Port(port - 1)), layout);
      const CaptureLoad load = LoadCaptureBytes(stream.data(), stream.size(), {});
      ASSERT_TRUE(load.Ok()) << Report(load);
      EXPECT_EQ(Imported(load.tables, port), DumpTree(device.tree, device.tree.PortNode(port)))
          << "port " << port << " adaptation " << layout.adaptation << " packed " << layout.packed << Report(load);
    }
}

// The eight real captures in one stream, twice over, then bytes that would not parse: every
// table is taken byte for byte; the PMT whose program the PAT does not list is taken only when
// every PMT is asked for; the read stops early once every table is complete.
TEST(Capture, RealCapturesAreTakenByteForByteAndTheReadStopsWhenComplete) {
  std::vector<OnPid> sections;
  for (const char* name : {"pat_r4", "cat_r3", "pmt_planete", "sdt_r3", "nit_tntv23", "bat_tvnum", "tdt_tnt", "tot_tnt"})
    sections.push_back({PacketPid(SamplePackets(name).data()), SampleSection(name)});
  const Bytes once = Mux(sections, {.packed = true});
  const Bytes stream = Join({once, once, Bytes(4 << 20, 0x47)});
  const CaptureLoad load = LoadCaptureBytes(stream.data(), stream.size(), {});
  ASSERT_TRUE(load.Ok()) << Report(load);
  const PortTables& t = load.tables;
  for (const auto& [held, name] : {std::pair{t.pat, "pat_r4"}, {t.cat, "cat_r3"}, {t.sdt, "sdt_r3"},
                                  {t.nit, "nit_tntv23"}, {t.bat, "bat_tvnum"}})
    EXPECT_EQ(SectionBytesOf(held), SampleSection(name)) << name;
  EXPECT_EQ(testing::SectionsOf(t).back().section, SampleSection("tot_tnt"));
  EXPECT_FALSE(load.stoppedEarly) << "the PAT's programs have no PMT in the capture";
  CaptureOptions any;
  any.everyPmt = true;
  EXPECT_EQ(LoadCaptureBytes(stream.data(), stream.size(), any).tables.pmts.size(), 1u);

  SampleTree device;
  const Bytes whole = Join({Mux(testing::SectionsOf(device.store.Port(0)), {}), Bytes(4 << 20, 0x47)});
  EXPECT_TRUE(LoadCaptureBytes(whole.data(), whole.size(), {}).stoppedEarly);
}

// Port A's bouquet and port B's in one capture: both, in the order they came, or the one asked for.
TEST(Capture, EveryBouquetOrTheOneAskedForIsTaken) {
  SampleTree device;
  auto bat = [&](int index) {
    PortTables t;
    t.bat = device.store.Port(index).bat;
    return testing::SectionsOf(t);
  };
  std::vector<OnPid> sections = bat(1);
  for (const OnPid& s : bat(0)) sections.push_back(s);
  const Bytes stream = Mux(sections, {});
  const Bytes both = Join({device.store.Port(1).bat, device.store.Port(0).bat});
  for (const auto& [bouquet, held] :
       {std::pair<std::optional<uint16_t>, Bytes>{std::nullopt, both}, {0x1001, device.store.Port(0).bat}}) {
    const CaptureLoad load = LoadCaptureBytes(stream.data(), stream.size(), {.bouquet = bouquet});
    EXPECT_EQ(load.tables.bat, held);
    EXPECT_EQ(Report(load).find("BAT of bouquet 0x1002 left out: not the bouquet asked for") != std::string::npos,
              bouquet.has_value());
  }
}

// Bad files: a clear message, or the table left out with its reason.
TEST(Capture, BadFilesAreNamedNeverACrash) {
  SampleTree device;
  const Bytes good = Mux(testing::SectionsOf(device.store.Port(0)), {});
  const Bytes nit = SamplePackets("nit_tntv23");  // one section in six packets
  Bytes badCrc = good, gap = nit, cut = Join({good, Bytes(100, 0x47)});
  badCrc[5 + 10] ^= 0x01;  // inside the PAT
  gap[188 + 3] = (gap[188 + 3] & 0xF0) | 5;
  const Bytes pmt = PacketsOf(devsim::SectionWriter(2, 0x30, 0x11FB, 0, 1).U16(0xE100).U16(0xF000).Finish(), 0x100);
  const Bytes pat = PacketsOf(devsim::SectionWriter(0, 0x30, 1).U16(0x11FB).U16(0xE100).Finish(), 0);
  const Bytes other = PacketsOf(devsim::SectionWriter(0x46, 0x70, 9).U16(1).U8(0xFF).Finish(), 0x11);
  Bytes next = devsim::SectionWriter(0x01, 0x30, 0xFFFF).Finish();
  next[5] &= 0xFE;  // current_next_indicator 0
  const uint32_t crc = Crc32Mpeg(next.data(), next.size() - 4);
  for (int i = 0; i < 4; ++i) next[next.size() - 4 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  const Bytes notApplicable = PacketsOf(next, 1);
  const std::vector<std::pair<Bytes, const char*>> cases = {
      {{}, "is not a transport stream"},
      {Bytes(5000, 'x'), "is not a transport stream"},
      {Join({Bytes(7, 0), good}), "bytes outside packets passed over"},
      {cut, "the last packet is cut short (100 of 188 bytes)"},
      {badCrc, "PAT (0x00) on PID 0x0000: CRC_32 does not check, left out"},
      {Join({gap, nit}), "NIT actual (0x40) on PID 0x0010: a section cut by a lost packet, left out"},
      {Join({pat, pmt}), "PMT of program 0x11FB incomplete: section 1 of 2 missing"},
      {Join({good, other}), "SDT other (0x46) on PID 0x0011 left out"},
      {notApplicable, "CAT (0x01) version 0 not yet applicable (current_next_indicator 0): left out"},
      {Bytes(nit.begin(), nit.begin() + 188), "holds no complete PSI/SI table"},
  };
  for (const auto& [bytes, expected] : cases)
    EXPECT_THAT(Report(LoadCaptureBytes(bytes.data(), bytes.size(), {})), ::testing::HasSubstr(expected));
}

// Port A exported as Submit builds it, as a capture and as TSDuck XML, each imported into port B
// of another editor: every table but the times shows as it did (from XML the BAT in as many
// sections); a "No" to the question leaves the port as it was.
TEST(Capture, AnExportedPortImportsIntoAnotherPortAsTheSameTables) {
  SampleTree device;
  TempDir dir;
  RecordingUi ui;
  ASSERT_TRUE(ExportPortStreamTo(device.tree, ui, 1, "portA.ts")) << ui.LastText();
  const auto xml = ExportPortStreamTo(device.tree, ui, 1, "portA.xml");
  ASSERT_TRUE(xml) << ui.LastText();
  const size_t sections = quorvelin::SectionsOf(LoadCapture("portA.ts", {}).tables).size();
  EXPECT_THAT(*xml, ::testing::EndsWith(": 9 tables, " + std::to_string(sections) + " sections"));
  for (const char* file : {"portA.ts", "portA.xml"}) {
    SCOPED_TRACE(file);
    TableTreeCtrl tree;
    tree.BuildRoots();
    ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(ImportPortCaptureFrom(tree, ui, 2, file));
    EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Pat)), 0);
    ASSERT_TRUE(ImportPortCaptureFrom(tree, ui, 2, file));
    EXPECT_THAT(ui.LastText(), ::testing::HasSubstr("Replace the PAT, PMT, SDT, CAT, NIT, TDT, TOT and BAT of PortB with those of " +
                                                    std::string(file) + "?"));
    // From XML the BAT's bouquet descriptors all come into its first section, as TSDuck places them.
    for (Table t : {Table::Pat, Table::Pmt, Table::Sdt, Table::Cat, Table::Nit, Table::Bat})
      if (t != Table::Bat || file == std::string("portA.ts")) {
        EXPECT_EQ(DumpTree(tree, tree.Root(2, t)), DumpTree(device.tree, device.tree.Root(1, t)));
      }
    EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Bat)), device.tree.ChildCount(device.tree.Root(1, Table::Bat)));
    EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Tot)), 1);
  }
}

}  // namespace
}  // namespace quorvelin::testing
