// TDT and TOT: the branches, the stored UTC times and the packets written.
#include <gtest/gtest.h>

#include "SectionTestSupport.h"
#include "sections/TimeSections.h"

namespace quorvelin {
namespace {

using testing::BranchText;
using testing::SamplePackets;
using testing::SampleSection;
using testing::ScriptedExchange;

class TimeSections : public ::testing::Test {
 protected:
  void SetUp() override { testing::BuildTwoPorts(tree); }

  // What the device answers on PID 0x0014: the TDT packet, then the TOT packet.
  static std::vector<uint8_t> TdtThenTot() {
    auto packets = SamplePackets("tdt_tnt");
    const auto tot = SamplePackets("tot_tnt");
    packets.insert(packets.end(), tot.begin(), tot.end());
    return packets;
  }

  TableTreeCtrl tree;
};

constexpr const char* kTotBranch =
    "SECTION:0\n"
    "  table_id: 0x73\n  section_syntax_indicator: 0x0\n  section_length: 0x1a\n  utc_time: 2007-11-23 13:25:14\n"
    "  descriptors\n"
    "    descriptor_tag:0x58\n"
    "      descriptor_length:0xd\n      country_code:FRA\n      country_region_id:0x0\n"
    "      local_time_offset_polarity:0x0\n      local_time_offset:01:00:00\n"
    "      local_time_offset:2008-03-30 01:00:00\n      next_time_offset:02:00:00\n"
    "  crc_32: 0xd8bd43a8\n";

TEST_F(TimeSections, CapturedTdtAndTotParse) {
  ScriptedExchange device;
  device.Queue(0x0014, TdtThenTot());
  ASSERT_TRUE(ParseTdt(tree, device, 2));
  ASSERT_TRUE(ParseTot(tree, device, 2));
  EXPECT_EQ(BranchText(tree, 2, Table::Tdt),
            "table_id: 0x70\nsection_syntax_indicator: 0x0\nsection_length: 0x5\nUTC_time: 2007-11-23 13:25:03\n");
  // The TDT time becomes the first port's stored time, whichever port was read.
  EXPECT_EQ(FormatDateTime(tree.utcTime[0], "%Y-%m-%d %H:%M:%S"), "2007-11-23 13:25:03");
  EXPECT_FALSE(tree.utcTime[1].valid() && tree.utcTime[1].days != 0);

  EXPECT_EQ(BranchText(tree, 2, Table::Tot), kTotBranch);
  const ItemHandle section = tree.GetChildItem(tree.Root(2, Table::Tot));
  const TotRecord* state = tree.TotRecordOf(section);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(tree.RecordOf(section), nullptr);  // not a NodeRecord: no kind matches it
  EXPECT_EQ(state->country_code, (std::array<char, 3>{'F', 'R', 'A'}));
  EXPECT_TRUE(tree.IsExpanded(tree.Root(2, Table::Tot)));
  EXPECT_TRUE(tree.IsExpanded(section));
}

TEST_F(TimeSections, WrongTableIdsAddNothing) {
  ScriptedExchange device;
  device.Queue(0x0014, SamplePackets("tot_tnt"));  // the TOT alone: no TDT first, nothing at offset 184
  EXPECT_FALSE(ParseTdt(tree, device, 1));
  EXPECT_FALSE(ParseTot(tree, device, 1));
  ScriptedExchange silent;
  EXPECT_FALSE(ParseTdt(tree, silent, 1));
  EXPECT_FALSE(ParseTot(tree, silent, 1));
  EXPECT_EQ(tree.GetChildItem(tree.Root(1, Table::Tdt)), kNoItem);
  EXPECT_EQ(tree.GetChildItem(tree.Root(1, Table::Tot)), kNoItem);
}

TEST_F(TimeSections, TotBuildsBackFromItsState) {
  const auto captured = SampleSection("tot_tnt");
  ASSERT_TRUE(ParseTotSection(tree, captured.data(), captured.size(), 1));
  tree.utcTime[0] = tree.TotRecordOf(tree.GetChildItem(tree.Root(1, Table::Tot)))->utc_time;
  std::vector<uint8_t> area(1024, 0xFF);
  ASSERT_TRUE(BuildTot(tree, area.data(), area.size(), 1));
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 5), (std::vector<uint8_t>{0x47, 0x40, 0x14, 0x10, 0}));
  std::vector<uint8_t> built(area.begin() + 5, area.begin() + 5 + 29);
  EXPECT_EQ(built, captured);
  EXPECT_EQ(area[5 + 29], 0xFF);  // the rest of the packet keeps the caller's filler
}

TEST_F(TimeSections, TotFieldsAsWritten) {
  TotRecord state;
  state.section_syntax_indicator = 1;
  state.section_length.set(0x33);  // disagrees with the 29-byte section: written as 0x1A
  state.country_code = {'C', 'H', 'N'};
  state.country_region_id = 0x43;  // only the 6 bits of the field reach byte 15
  state.local_time_offset_polarity = 1;
  state.local_time_offset = MakeDate(1899, 12, 30, 5, 30, 0);
  state.time_of_change = MakeDate(1993, 10, 13, 12, 45, 0);
  state.next_time_offset = MakeDate(1899, 12, 30, 10, 0, 0);
  ShowTot(tree, tree.Root(2, Table::Tot), state);
  tree.utcTime[1] = MakeDate(2024, 2, 29, 23, 59, 58);
  std::vector<uint8_t> area(188, 0xFF);
  ASSERT_TRUE(BuildTot(tree, area.data(), area.size(), 2));
  const uint8_t* s = area.data() + 5;
  EXPECT_EQ(s[1], 0x70);  // section_syntax_indicator 0 whatever the state holds
  EXPECT_EQ(s[2], 0x1A);
  EXPECT_EQ(s[15], 3 << 2 | 0x02 | 1);
  EXPECT_EQ(s[16], 0x05);
  EXPECT_EQ(s[17], 0x30);
  EXPECT_EQ(std::vector<uint8_t>(s + 18, s + 23), (std::vector<uint8_t>{0xC0, 0x79, 0x12, 0x45, 0x00}));
  EXPECT_EQ(s[23], 0x10);
  EXPECT_EQ(s[24], 0x00);
  EXPECT_EQ(s[5], 0x23);  // hour of the port's stored UTC time
  EXPECT_EQ(tree.TotRecordOf(tree.GetChildItem(tree.Root(2, Table::Tot)))->utc_time, tree.utcTime[1]);
}

TEST_F(TimeSections, ShowTotReplacesTheBranchWithAFreshCopy) {
  TotRecord state;
  state.country_code = {'F', 'R', 'A'};
  state.local_time_offset = MakeDate(1899, 12, 30, 1, 0, 0);
  state.time_of_change = MakeDate(2008, 3, 30, 1, 0, 0);
  state.next_time_offset = MakeDate(1899, 12, 30, 2, 0, 0);
  ShowTot(tree, tree.Root(1, Table::Tot), state);
  ShowTot(tree, tree.Root(1, Table::Tot), state);
  EXPECT_EQ(tree.ChildCount(tree.Root(1, Table::Tot)), 1);
  const std::string branch = BranchText(tree, 1, Table::Tot);
  EXPECT_NE(branch.find("  crc_32: 0xffffff\n"), std::string::npos);
  EXPECT_NE(branch.find("      local_time_offset:01:00:00\n      local_time_offset:2008-03-30 01:00:00\n"),
            std::string::npos);
  state.country_region_id = 9;  // the tree holds its own copy
  EXPECT_EQ(tree.TotRecordOf(tree.GetChildItem(tree.Root(1, Table::Tot)))->country_region_id, 0);
}

TEST_F(TimeSections, TotWithInvalidTimesIsStillWritten) {
  TotRecord state;
  state.local_time_offset.status = DateTime::Status::Invalid;
  ShowTot(tree, tree.Root(1, Table::Tot), state);
  std::vector<uint8_t> area(188, 0xFF);
  ASSERT_TRUE(BuildTot(tree, area.data(), area.size(), 1));
  EXPECT_EQ(area[5 + 16], ToBcdByte(-1));
  EXPECT_NE(BranchText(tree, 1, Table::Tot).find("local_time_offset:Invalid DateTime\n"), std::string::npos);
}

TEST_F(TimeSections, TdtPacketCarriesTheGivenTimeAndStoresIt) {
  std::vector<uint8_t> area(1024, 0xFF);
  const DateTime utc = MakeDate(1993, 10, 13, 12, 45, 0);
  ASSERT_TRUE(BuildTdtAt(tree, area.data(), area.size(), 2, utc));
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 14),
            (std::vector<uint8_t>{0x47, 0x40, 0x14, 0x10, 0x00, 0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00, 0xFF}));
  EXPECT_EQ(tree.utcTime[0], utc);
  ShowTdt(tree, tree.Root(1, Table::Tdt));
  EXPECT_EQ(BranchText(tree, 1, Table::Tdt),
            "table_id: 0x70\nsection_syntax_indicator: 0x0\nsection_length: 0x5\nUTC_time: 1993-10-13 12:45:00\n");
  tree.utcTime[1] = MakeDate(2000, 1, 1, 0, 0, 0);
  ShowTdt(tree, tree.Root(2, Table::Tdt));
  ShowTdt(tree, tree.Root(2, Table::Tdt));
  EXPECT_EQ(BranchText(tree, 2, Table::Tdt),
            "table_id: 0x70\nsection_syntax_indicator: 0x0\nsection_length: 0x5\nUTC_time: 2000-01-01 00:00:00\n");
  EXPECT_TRUE(BuildTdt(tree, area.data(), area.size(), 1));  // the current time
  EXPECT_FALSE(BuildTdt(tree, area.data(), 12, 1));
}

TEST_F(TimeSections, TotWithoutSectionOrRoot) {
  std::vector<uint8_t> area(188, 0xFF);
  ASSERT_TRUE(BuildTot(tree, area.data(), area.size(), 1));
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 6),
            (std::vector<uint8_t>{0x47, 0x40, 0x14, 0x10, 0x00, 0xFF}));
  TableTreeCtrl single;
  single.portMode = 2;
  single.BuildRoots();
  EXPECT_FALSE(BuildTot(single, area.data(), area.size(), 2));
  EXPECT_FALSE(BuildTot(tree, area.data(), 20, 1));
}

}  // namespace
}  // namespace quorvelin
