// What a read takes from the device: where a multi-section PMT or SDT read ends, whether each
// section's CRC_32 checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A read asks again until every section is in; a section that comes again (a late answer) is
// passed over; a device that never gives the rest leaves the table incomplete, not read. The SDT
// shows its sections in section_number order and is built whole, a changed section as it now is.
TEST(MultiSectionReads, EndWhenAllAreInOrATurnBringsNothingNew) {
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
      {"SDT: the same section every time", Table::Sdt, {sdt0}, 1, 6},
      {"SDT: one section per request, in turn", Table::Sdt, {sdt0, sdt1}, 2, 2},
      {"SDT: a late answer repeats a section", Table::Sdt, {sdt0, sdt0, sdt1}, 2, 3},
      {"SDT: in turn, starting with the last", Table::Sdt, {sdt1, sdt0}, 2, 2},
      {"SDT: the whole table in every answer", Table::Sdt, {Join({sdt0, sdt1})}, 2, 1},
      {"PMT: the same section every time", Table::Pmt, {pmt0}, 1, 6},
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
      EXPECT_TRUE(ReadSdt(tree, device, 1)) << c.device;
    else
      ReadPmts(tree, device, 1, 1);
    EXPECT_EQ(tree.ChildCount(tree.Root(1, c.table)), c.sections) << c.device;
    EXPECT_EQ(device.requests.size(), c.reads) << c.device;
    EXPECT_EQ(tree.WasRead(1, c.table), c.sections == 2) << c.device;
    if (c.table != Table::Sdt || c.sections != 2) continue;
    Bytes changed = sdt;
    changed[8] = 0x12, changed[9] = 0x34;
    tree.RecordOf(tree.ChildAt(tree.Root(1, Table::Sdt), 1))->As<SdtSectionHeader>()->original_network_id = 0x1234;
    Bytes area(kTableReadBuffer, 0xFF);
    ASSERT_TRUE(BuildSdt(tree, 1, area.data(), area.size())) << c.device;
    area.resize(sdt0.size() + sdt1.size() + kPacketSize);
    EXPECT_EQ(area, Join({sdt0, Packetized(Numbered(changed, 1, 1), 0x11), Bytes(kPacketSize, 0xFF)})) << c.device;
  }
}

TEST(CrcCheck, EverySectionReadShowsWhetherItsCrcChecks) {
  for (const char* capture : {"pat_r4", "pmt_planete", "cat_r3", "sdt_r3", "nit_tntv23", "bat_tvnum", "tot_tnt"})
    for (const bool damaged : {false, true}) {
      TableTreeCtrl tree;
      BuildTwoPorts(tree);
      Bytes s = SampleSection(capture);
      if (damaged) s.back() ^= 0x01;
      PmtReadState state;  // each parser takes only its own table_id
      ParsePatSection(tree, s.data(), s.size(), 1), ParsePmtSections(tree, s.data(), s.size(), 1, 0x503, state);
      ParseCatSection(tree, s.data(), s.size(), 1), ParseSdtSection(tree, s.data(), s.size(), 1, 0);
      ParseNitSection(tree, s.data(), s.size(), 1), ParseBatSection(tree, s.data(), s.size(), 1);
      ParseTotSection(tree, s.data(), s.size(), 1);
      const std::string shown = DumpTree(tree);
      EXPECT_NE(shown.find("CRC_32: 0x"), std::string::npos) << capture;
      EXPECT_EQ(shown.find(" (CRC error)\n") != std::string::npos, damaged) << capture << "\n" << shown;
    }
}

}  // namespace
}  // namespace quorvelin
