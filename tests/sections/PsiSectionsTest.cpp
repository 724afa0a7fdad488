// PAT, CAT, PMT, SDT, TDT and TOT: what the builders take from the tree, their limits, reads of
// several sections, and received bytes whose lengths run past their section or their bytes.
#include "SectionTestSupport.h"

namespace quorvelin {
namespace {
using namespace testing;

using Builder = BuildResult (*)(TableTreeCtrl&, int, uint8_t*, size_t);

// Sections with their CRC_32 behind the header given in hex: a PAT of transport_stream_id 4,
// a PMT of PCR PID 0x100 (from program_info_length on), an SDT of original_network_id 0x20FA.
Bytes Pat(const std::string& entries) { return WithCrc(Hex("00 b000 0004 c1 00 00 " + entries)); }
Bytes Pmt(const std::string& program, const std::string& body = "f000") {
  return WithCrc(Hex("02 b000 " + program + " c1 00 00 e100 " + body));
}
Bytes Sdt(const std::string& services, const std::string& numbers = "00 00") {
  return WithCrc(Hex("42 f000 0007 c3 " + numbers + " 20fa ff " + services));
}

class PsiSections : public SectionTest {
 protected:
  int ParsePat(const Bytes& s, int port = 1) { return ParsePatSection(tree, s.data(), s.size(), port); }
  int ParsePmt(const Bytes& s, uint16_t pid = 0x100, int port = 1) {
    PmtReadState state;
    return ParsePmtSections(tree, s.data(), s.size(), port, pid, state);
  }
  std::string ParsedSdt(const Bytes& s, int port = 1) {
    EXPECT_TRUE(ParseSdtSection(tree, s.data(), s.size(), port, 0));
    return Branch(port, Table::Sdt);
  }
  // The section `build` writes for `port` into an area of `size` bytes of 0xFF (kept in `area`).
  Bytes Built(Builder build, int port = 1, size_t size = 2048) {
    area.assign(size, 0xFF);
    result = build(tree, port, area.data(), area.size());
    return SectionBytesOf(area);
  }
  Bytes area;
  BuildResult result;
};

TEST_F(PsiSections, PatIsWrittenWithItsOwnTransportStreamIdAndUpTo42Programs) {
  ASSERT_EQ(ParsePat(Pat("1234 fffe")), 1);
  ExpectLines(Branch(1, Table::Pat), {"  programs:1\n    program_number: 0x1234 (4660) => PID: 0x1ffe (8190)\n"});
  SdtSectionHeader sdt;  // another transport_stream_id in the port's SDT changes nothing
  sdt.transport_stream_id = 0x5678;
  tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(1, Table::Sdt), MakeRecord(NodeKind::SdtSection, sdt));
  EXPECT_EQ(Built(BuildPat), Pat("1234 fffe"));

  std::string programs;
  for (int i = 0; i < 43; ++i) programs += "0001 e100 ";
  ASSERT_EQ(ParsePat(Pat(programs), 2), 43);
  EXPECT_TRUE(Built(BuildPat, 2).empty() && area == Bytes(2048, 0xFF));
  EXPECT_EQ(result.error,
            "PAT section too long: 184 bytes, the limit is 183 bytes (one packet, 42 programs); the "
            "table was not written.");
  tree.DeleteItem(tree.GetChildItem(Find(2, Table::Pat, NodeKind::PatProgramList)));
  EXPECT_EQ(Built(BuildPat, 2).size(), 180u);
  tree.DeleteItem(tree.GetChildItem(tree.Root(2, Table::Pat)));
  EXPECT_FALSE(Built(BuildPat, 2).size() || result.ok);
}

TEST_F(PsiSections, ReceivedBytesThatHoldNoTableAddNothing) {
  const Bytes zeros(4096, 0), pat = Pat("");  // zeros: a read answered with no packets
  EXPECT_EQ(ParsePat(zeros) + ParsePat(Hex("02 b009")) + ParsePmt(pat) + ParsePmt(zeros), 0);
  EXPECT_FALSE(ParseCatSection(tree, pat.data(), pat.size(), 1) || ParseCatSection(tree, zeros.data(), 0, 1));
  EXPECT_EQ(Branch(1, Table::Pat) + Branch(1, Table::Cat) + Branch(1, Table::Pmt), "");
  for (Builder build : {BuildCat, BuildPmts, BuildSdt}) EXPECT_FALSE(Built(build).size() || result.ok);
  const Bytes cat = WithCrc(Hex("01 b000 ffff c3 00 00"));  // no descriptors: no descriptors line
  ASSERT_TRUE(ParseCatSection(tree, cat.data(), cat.size(), 1));
  EXPECT_EQ(Branch(1, Table::Cat).find("descriptors"), std::string::npos);
  EXPECT_EQ(Built(BuildCat), cat);
  tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(1, Table::Sdt),
                        MakeRecord(NodeKind::SdtSection, SdtSectionHeader{}));
  Built(BuildSdt);  // no services holder: the area cleared
  EXPECT_TRUE(!result.ok && area == Bytes(2048, 0));
}

TEST_F(PsiSections, LengthsPastTheSectionOrTheBytesKeepWhatLiesInsideAndAreWrittenSo) {
  // PAT: section_length 0xFFF in 13 bytes: one whole entry; section_length 5: none.
  EXPECT_EQ(ParsePat(Hex("00 bfff 0001 c1 00 00 0001 e100 00")) + ParsePat(Hex("00 b005 0001 c1 00 00"), 2), 1);
  // CAT: a descriptor too short for CA_system_ID and CA_PID and a private one, kept as their
  // bytes, then one past the CRC_32.
  const Bytes cat = Hex("01 b017 ffff c1 00 00 0902 0102 8004 00010002 0940 0001 e002 00000000");
  ASSERT_TRUE(ParseCatSection(tree, cat.data(), cat.size(), 1));
  EXPECT_EQ(Built(BuildCat), WithCrc(Hex("01 b000 ffff c1 00 00 0902 0102 8004 00010002")));
  // PMT: program_info_length and ES_info_length far past the section, section_length past the bytes;
  // then sections whose program_number or section_length is 0, passed over up to offset 188.
  ParsePmt(Hex("02 bfff 0001 c1 00 00 e100 ffff 0a010a 02 e101 ffff 0910"));
  EXPECT_EQ(Find(1, Table::Pmt, NodeKind::PmtComponent), kNoItem);
  ExpectLines(Branch(1, Table::Pmt), {"program_info_length: 0x3 (3)\n"});
  Bytes walk = Hex("02 b006 0000 c1 00 00 e1");
  while (walk.size() < 2048) walk.insert(walk.end(), {0x02, 0xB0, 0x00});
  EXPECT_EQ(ParsePmt(walk, 0x100, 2), 0);
  // program_info_length 5 and the first ES_info_length 5 end inside a descriptor, the second runs
  // past the section: each keeps its one whole descriptor.
  ParsePmt(Pmt("0001", "f005 0a010a 5205  02 fffe f005 520107 0a02  03 e101 ffff 0a010a"), 0x100, 2);
  EXPECT_EQ(Built(BuildPmts, 2), Pmt("0001", "f003 0a010a  02 fffe f003 520107  03 e101 f003 0a010a"));
  ExpectLines(Branch(2, Table::Pmt),
              {"      descriptor_tag: 0xa\n        descriptor_length(byte): 1\n        descriptor_data(hex):  a\n"
               "        ISO_639_language_descriptor: the bytes do not fit, shown in hex only\n"
               "    components\n      stream_type: 0x2\n        elementary_PID: 0x1ffe (8190)\n"});
  const ItemHandle video = Find(2, Table::Pmt, NodeKind::PmtComponent);
  EXPECT_EQ(tree.GetItemImage(video) << 4 | tree.GetItemImage(tree.GetNextSiblingItem(video)),
            kImageVideo << 4 | kImageAudio);
  // SDT: descriptors_loop_length 5 ends inside a linkage_descriptor, the next 0xFFF past the section.
  ExpectLines(ParsedSdt(Sdt("0061 fd 8005 5f0100 4a09  0062 fd 8fff 4805 01 01 50 01 53")),
              {"      descriptors_loop_length: 0x3\n", "      descriptors_loop_length: 0x7\n"});
  EXPECT_EQ(Built(BuildSdt), Sdt("0061 fd 8003 5f0100  0062 fd 8007 4805 01 01 50 01 53"));
  const Bytes truncated = Hex("42 ffff 0001 c1 00 00 0001 ff 0001 fd 8f");
  EXPECT_TRUE(ParseSdtSection(tree, truncated.data(), truncated.size(), 2, 0));
  EXPECT_EQ(Find(2, Table::Sdt, NodeKind::SdtService), kNoItem);
}

TEST_F(PsiSections, SharedPmtPidsAreReadByProgramIndexAndEachProgramItemFillsItsSlot) {
  ParsePat(Pat("0001 e100 0002 e100"));
  ScriptedExchange device;  // program 1 in two sections, one per receive; program 2 in one
  for (const Bytes& s :
       {WithCrc(Hex("02 b000 0001 c1 00 01 e100 f000")), WithCrc(Hex("02 b000 0001 c1 01 01 e100 f000")), Pmt("0002")})
    device.Queue(0x0100, Packetized(s, 0x0100));
  ASSERT_TRUE(ReadPmts(tree, device, 1, 2));
  ASSERT_EQ(device.requests.size(), 3u);
  EXPECT_EQ(device.requests[0].selector << 8 | device.requests[1].selector << 4 | device.requests[2].selector, 0x112);
  ExpectLines(Branch(1, Table::Pmt), {"program_number: 0x1 (1) => PID: 0x100 (256)\n  Section 1:\n",
                                      "    program_info_length: 0x0 (0)\n    components\n    CRC_32: 0x"});
  EXPECT_EQ(Branch(1, Table::Pmt).find("program_info_descriptors"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size("cache/quorvelin/tables/pmt1.bin"), kPmtReadBuffer);
  Built(BuildPmts, 1, 4 * kPmtSlotSize);  // slot i holds the i-th program item, the rest of the slot kept
  EXPECT_EQ(result.count, 3);
  EXPECT_EQ(
      Bytes(area.begin() + kPmtSlotSize, area.begin() + 2 * kPmtSlotSize),
      Join({Packetized(WithCrc(Hex("02 b000 0001 c1 01 01 e100 f000")), 0x100), Bytes(kPmtSlotSize - 188, 0xFF)}));

  const Bytes d = Descriptor(0x52, Bytes(44, 1)), stream = Join({Hex("1b e100"), Loop12(Join({d, d, d, d, d}))});
  ParsePmt(WithCrc(Join({Hex("02 b000 0001 c1 00 00 e100 f000"), stream, stream, stream, stream, stream})), 0x100, 2);
  ParsePmt(Pmt("0002"), 0x101, 2);  // 12 + 5 * 235 + 4 bytes > 1024 for the first program, not the second
  Built(BuildPmts, 2, 2 * kPmtSlotSize);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(result.error,
            "PMT of program 0x1 section too long: 1191 bytes, the limit is 1024 bytes (six packets); the "
            "table was not written.");
  EXPECT_EQ(area[0] << 8 | area[kPmtSlotSize], 0xFF47);
}

TEST_F(PsiSections, SdtNamesUnderTheTextCodeEverySectionWrittenAlwaysAsActual) {
  SetTextCode(1);  // UCS-2 in host order
  ExpectLines(ParsedSdt(Sdt("0040 fd 800b 4809 01 02 4100 04 42004300")), {"provider_name: A\n", "service_name: BC\n"});
  // A service descriptor with a byte to spare (kept as bytes), a linkage_descriptor with private data.
  const Bytes spare = Sdt("0030 fd 8013 4806 01 01 50 01 53 ee 4a09 0001 0002 0003 09 ab0c");
  ExpectLines(ParsedSdt(spare, 2), {"descriptor_data(hex): 01 01 50 01 53 ee\n"});
  RecordIn<SdtSectionHeader>(2, Table::Sdt, NodeKind::SdtSection)->table_id = 0x46;
  ExpectLines(ParsedSdt(Sdt("0031 fd 8000", "01 01"), 2), {"      descriptors_loop_length: 0x0\n  CRC_32: 0x"});
  Bytes first(spare.begin(), spare.end() - 4);
  first[7] = 1;  // last_section_number: two sections
  EXPECT_EQ(Built(BuildSdt, 2), WithCrc(first));
  EXPECT_EQ(SectionBytesOf(Bytes(area.begin() + kPacketSize, area.end())), Sdt("0031 fd 8000", "01 01"));
}

TEST_F(PsiSections, TimeTablesAreWrittenFromTheStoredTimesAndTheTotState) {
  TotRecord state;
  state.section_syntax_indicator = 1;  // as the dialog sets it
  state.section_length.set(0x33);      // disagrees with the 29-byte section
  state.country_code = {'C', 'H', 'N'};
  state.country_region_id = 0x43;  // six bits reach the section
  state.local_time_offset_polarity = 1;
  state.local_time_offset = MakeDate(1899, 12, 30, 5, 30, 0);
  state.time_of_change = MakeDate(1993, 10, 13, 12, 45, 0);
  state.next_time_offset = MakeDate(1899, 12, 30, 10, 0, 0);
  for (int i = 0; i < 2; ++i) ShowTot(tree, tree.Root(2, Table::Tot), state);
  const ItemHandle section = tree.GetChildItem(tree.Root(2, Table::Tot));
  EXPECT_TRUE(Sections(2, Table::Tot) == 1 && tree.IsExpanded(section) && !tree.RecordOf(section));
  ExpectLines(
      Branch(2, Table::Tot),
      {"  table_id: 0x73\n  section_syntax_indicator: 0x0\n  section_length: 0x33\n",
       "    descriptor_tag: 0x58\n      descriptor_length(byte): 13\n      country_code: CHN\n      country_region_id: 0x43\n"
       "      local_time_offset_polarity: 0x1\n      local_time_offset: 05:30:00\n      time_of_change: 1993-10-13 "
       "12:45:00\n      next_time_offset: 10:00:00\n  CRC_32: 0xffffff\n"});
  tree.utcTime[1] = MakeDate(2024, 2, 29, 23, 59, 58);
  area.assign(188, 0xFF);
  ASSERT_TRUE(BuildTot(tree, 2, area.data(), area.size()));
  EXPECT_EQ(
      Bytes(area.begin(), area.begin() + 35),
      Join(
          {Hex("47 4014 10 00"), WithCrc(Hex("73 7000 ebd1235958 f00f 580d 43484e 0f 0530 c079124500 1000")), {0xFF}}));
  EXPECT_EQ(tree.TotRecordOf(section)->utc_time, tree.utcTime[1]);

  // The TDT carries the given time, which becomes the first port's stored time whichever port it is built for.
  const DateTime utc = MakeDate(1993, 10, 13, 12, 45, 0);
  ASSERT_TRUE(BuildTdtAt(tree, 2, area.data(), area.size(), utc));
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 13), Hex("47 4014 10 00 70 7005 c079124500"));
  EXPECT_EQ(tree.utcTime[0], utc);
  tree.utcTime[1] = MakeDate(2000, 1, 1, 0, 0, 0);
  for (int port : {1, 2, 2}) ShowTdt(tree, tree.Root(port, Table::Tdt));
  EXPECT_EQ(Branch(1, Table::Tdt) + Branch(2, Table::Tdt),
            "table_id: 0x70\nsection_syntax_indicator: 0x0\nsection_length: 0x5\nUTC_time: 1993-10-13 12:45:00\n"
            "table_id: 0x70\nsection_syntax_indicator: 0x0\nsection_length: 0x5\nUTC_time: 2000-01-01 00:00:00\n");
  ScriptedExchange device, silent;
  device.Queue(0x0014, SamplePackets("tot_tnt"));  // the TOT alone: no TDT first, nothing at offset 184
  EXPECT_FALSE(ReadTdt(tree, device, 2) || ReadTot(tree, device, 1) || ReadTdt(tree, silent, 2) ||
               ReadTot(tree, silent, 1));

  // A TOT goes out as it came: two regions and a descriptor behind them; no descriptor at all;
  // a loop without a whole region in front.
  for (const char* loop : {"581a 43484e 0f 0530 c079124500 1000 444555 06 0100 c079124500 0200 5f01 aa", "",
                           "5f01 aa", "5803 444555"}) {
    const Bytes tot = WithCrc(Join({Hex("73 7000 ebd1235958"), Loop12(Hex(loop))}));
    tree.DeleteChildren(tree.Root(1, Table::Tot));
    ASSERT_TRUE(ParseTotSection(tree, tot.data(), tot.size(), 1));
    if (*loop == '5' && loop[1] == '8' && loop[3] == 'a')
      ExpectLines(Branch(1, Table::Tot),
                  {"next_time_offset: 10:00:00\n      country_code: DEU\n      country_region_id: 0x1\n"});
    tree.utcTime[0] = MakeDate(2024, 2, 29, 23, 59, 58);
    area.assign(188, 0xFF);
    ASSERT_TRUE(BuildTot(tree, 1, area.data(), area.size()));
    EXPECT_EQ(Bytes(area.begin() + 5, area.begin() + 5 + static_cast<long>(tot.size())), tot) << loop;
  }
}

}  // namespace
}  // namespace quorvelin
