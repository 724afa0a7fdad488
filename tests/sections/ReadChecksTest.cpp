// What a read takes from the device: where a multi-section PMT or SDT read ends, whether each
// section's CRC_32 checks; and the syntax bit the time tables go out with.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DvbpsiOracle.h"
#include "SectionTestSupport.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/TimeSections.h"

namespace quorvelin {
namespace {

using namespace testing;
using Bytes = std::vector<uint8_t>;

// `section` with section_number and last_section_number set and its CRC_32 made good again.
Bytes Numbered(Bytes section, uint8_t number, uint8_t last) {
  section[6] = number;
  section[7] = last;
  const uint32_t crc = Crc32Mpeg(section.data(), section.size() - 4);
  for (size_t i = 0; i < 4; ++i) section[section.size() - 4 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return section;
}

Bytes Joined(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(MultiSectionReads, EndWhenASectionComesAgainOrAllAreIn) {
  const Bytes sdt = SampleSection("sdt_r3"), pmt = SampleSection("pmt_planete");
  const Bytes sdt0 = Packetized(Numbered(sdt, 0, 1), 0x11), sdt1 = Packetized(Numbered(sdt, 1, 1), 0x11);
  const Bytes pmt0 = Packetized(Numbered(pmt, 0, 1), 0x503), pmt1 = Packetized(Numbered(pmt, 1, 1), 0x503);
  const Bytes pat = Numbered({0x00, 0xB0, 0x0D, 0x00, 0x01, 0xC1, 0, 0, pmt[3], pmt[4], 0xE5, 0x03, 0, 0, 0, 0}, 0, 0);
  struct Case {
    const char* device;
    Table table;
    std::vector<Bytes> answers;  // the last one repeats
    int sections;
    size_t reads;
  };
  const Case cases[] = {
      {"SDT: the same section every time", Table::Sdt, {sdt0}, 1, 2},
      {"SDT: one section per request, in turn", Table::Sdt, {sdt0, sdt1}, 2, 2},
      {"SDT: in turn, starting with the last", Table::Sdt, {sdt1, sdt0}, 2, 2},
      {"SDT: the whole table in every answer", Table::Sdt, {Joined(sdt0, sdt1)}, 2, 1},
      {"PMT: the same section every time", Table::Pmt, {pmt0}, 1, 2},
      {"PMT: in turn, starting with the last", Table::Pmt, {pmt1, pmt0}, 2, 2},
  };
  for (const Case& c : cases) {
    ScratchDirectory dir;
    TableTreeCtrl tree;
    BuildTwoPorts(tree);
    ScriptedExchange device;
    for (const Bytes& answer : c.answers) device.Queue(c.table == Table::Sdt ? 0x11 : 0x503, answer);
    ASSERT_EQ(ParsePatSection(tree, pat.data(), pat.size(), 1), 1);
    if (c.table == Table::Sdt)
      EXPECT_TRUE(ParseSdt(tree, device, 1)) << c.device;
    else
      ParsePmts(tree, device, 1, 1);
    EXPECT_EQ(tree.ChildCount(tree.Root(1, c.table)), c.sections) << c.device;
    EXPECT_EQ(device.requests.size(), c.reads) << c.device;
  }
}

TEST(CrcCheck, EverySectionReadShowsWhetherItsCrcChecks) {
  using Parse = std::function<void(TableTreeCtrl&, const Bytes&)>;
  const std::pair<const char*, Parse> captures[] = {
      {"pat_r4", [](TableTreeCtrl& t, const Bytes& s) { ParsePatSection(t, s.data(), s.size(), 1); }},
      {"pmt_planete",
       [](TableTreeCtrl& t, const Bytes& s) {
         PmtReadState state;
         ParsePmtSections(t, s.data(), s.size(), 1, 0x503, state);
       }},
      {"cat_r3", [](TableTreeCtrl& t, const Bytes& s) { ParseCat(t, s.data(), s.size(), 1); }},
      {"sdt_r3", [](TableTreeCtrl& t, const Bytes& s) { ParseSdtSection(t, s.data(), s.size(), 1, 0); }},
      {"nit_tntv23", [](TableTreeCtrl& t, const Bytes& s) { ParseNitSection(t, s.data(), s.size(), 1); }},
      {"bat_tvnum", [](TableTreeCtrl& t, const Bytes& s) { ParseBatSection(t, s.data(), s.size(), 1); }},
      {"tot_tnt", [](TableTreeCtrl& t, const Bytes& s) { ParseTotSection(t, s.data(), s.size(), 1); }},
  };
  for (const auto& [capture, parse] : captures)
    for (const bool damaged : {false, true}) {
      TableTreeCtrl tree;
      BuildTwoPorts(tree);
      Bytes section = SampleSection(capture);
      if (damaged) section.back() ^= 0x01;
      parse(tree, section);
      const std::string shown = DumpTree(tree);
      EXPECT_NE(shown.find("crc_32: 0x"), std::string::npos) << capture;
      EXPECT_EQ(shown.find(" (CRC error)\n") != std::string::npos, damaged) << capture << "\n" << shown;
    }
}

#ifdef QUORVELIN_HAVE_DVBPSI
TEST(TimeTables, TotGoesOutWithSyntaxIndicatorZeroWhateverItsStateHolds) {
  TableTreeCtrl tree;
  BuildTwoPorts(tree);
  const Bytes captured = SampleSection("tot_tnt");
  ASSERT_TRUE(ParseTotSection(tree, captured.data(), captured.size(), 1));
  TotRecord edited = *tree.TotRecordOf(tree.GetChildItem(tree.Root(1, Table::Tot)));
  edited.section_syntax_indicator = 1;  // as the TOT dialog stores it
  ShowTot(tree, tree.Root(2, Table::Tot), edited);
  EXPECT_NE(BranchText(tree, 2, Table::Tot).find("  section_syntax_indicator: 0x0\n"), std::string::npos);
  tree.utcTime = {edited.utc_time, edited.utc_time};
  for (const int port : {1, 2}) {
    Bytes area(kPacketSize, 0xFF);
    ASSERT_TRUE(BuildTot(tree, area.data(), area.size(), port));
    EXPECT_EQ(SectionBytesOf(area), captured) << "port " << port;
    int decoded = 0;
    Oracle receiver;
    receiver.AttachDemux(
        nullptr,
        [](void* count, dvbpsi_tot_t* tot) {
          ++*static_cast<int*>(count);
          dvbpsi_tot_delete(tot);
        },
        &decoded);
    receiver.Push(area);
    EXPECT_EQ(decoded, 1) << "port " << port;
    EXPECT_TRUE(receiver.errors.empty()) << receiver.errors.front();
  }
}
#endif

}  // namespace
}  // namespace quorvelin
