// PAT, CAT and PMT: the branches the parsers add and the sections the builders write back.
#include <gtest/gtest.h>

#include <filesystem>
#include "SectionTestSupport.h"
#include "sections/CatSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SectionReader.h"

namespace quorvelin {
namespace {

using testing::BranchText;
using testing::BuildTwoPorts;
using testing::Packetized;
using testing::SampleSection;
using testing::SamplePackets;
using testing::ScriptedExchange;
using testing::SectionBytesOf;
using testing::WithCountersFromZero;

// Dump files go to a scratch directory of each test.
class PsiSections : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTwoPorts(tree);
  }

  ItemHandle AddSdtWithTransportStreamId(int port, uint16_t tsid) {
    SdtSectionHeader h;
    h.transport_stream_id = tsid;
    return tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(port, Table::Sdt),
                                 MakeRecord(NodeKind::SdtSection, h));
  }

  TableTreeCtrl tree;
  testing::ScratchDirectory scratch_;
};

constexpr const char* kPatR4Branch =
    "SECTION0:\n"
    "  table_id: 0x0\n  section_syntax_indicator: 0x1\n  section_length: 0x29\n  transport_stream_id: 0x4\n"
    "  version_number: 0x3\n  current_next_indicator: 0x1\n  section_number: 0x0\n  last_section_number: 0x0\n"
    "  programs:8\n"
    "    program_number: 0x0 (0) => pid: 0x10 (16)\n"
    "    program_number: 0x401 (1025) => pid: 0x6e (110)\n"
    "    program_number: 0x402 (1026) => pid: 0xd2 (210)\n"
    "    program_number: 0x403 (1027) => pid: 0x136 (310)\n"
    "    program_number: 0x404 (1028) => pid: 0x19a (410)\n"
    "    program_number: 0x405 (1029) => pid: 0x1fe (510)\n"
    "    program_number: 0x406 (1030) => pid: 0x262 (610)\n"
    "    program_number: 0x4ff (1279) => pid: 0x3f2 (1010)\n"
    "  crc_32: 0x3f2bbda7\n";

TEST_F(PsiSections, CapturedPatParsesAndBuildsBackToTheSameBytes) {
  ScriptedExchange device;
  device.Queue(0x0000, SamplePackets("pat_r4"));
  ASSERT_EQ(ParsePat(tree, device, 1), 8);
  EXPECT_EQ(BranchText(tree, 1, Table::Pat), kPatR4Branch);
  ASSERT_EQ(device.requests.size(), 1u);
  EXPECT_EQ(device.requests[0].pid, 0x0000);

  // The PAT is written with the SDT's transport_stream_id: give the port an SDT of the same id.
  AddSdtWithTransportStreamId(1, 4);
  std::vector<uint8_t> area(204800, 0xFF);
  const BuildResult built = BuildPat(tree, 1, area.data(), area.size());
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(built.count, 8);
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 188), WithCountersFromZero(SamplePackets("pat_r4")));
  EXPECT_EQ(area[188], 0x00);  // the rest of the area is cleared
}

TEST_F(PsiSections, BuildPatTakesTheSdtTransportStreamIdButLeavesItsLine) {
  ParsePatSection(tree, SampleSection("pat_r4").data(), SampleSection("pat_r4").size(), 2);
  std::vector<uint8_t> area(188);
  ASSERT_EQ(BuildPat(tree, 2, area.data(), area.size()).count, 8);
  EXPECT_EQ(area[8] << 8 | area[9], 0);  // no SDT on the port: 0
  AddSdtWithTransportStreamId(2, 0x1234);
  BuildPat(tree, 2, area.data(), area.size());
  EXPECT_EQ(area[8] << 8 | area[9], 0x1234);
  const ItemHandle section = tree.GetChildItem(tree.Root(2, Table::Pat));
  EXPECT_EQ(tree.RecordOf(section)->As<PatSectionHeader>()->transport_stream_id, 0x1234);
  EXPECT_NE(BranchText(tree, 2, Table::Pat).find("transport_stream_id: 0x4\n"), std::string::npos);
}

TEST_F(PsiSections, EmptyPatAndAbsentPat) {
  const std::vector<uint8_t> empty = {0x00, 0xB0, 0x09, 0x00, 0x07, 0xC1, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(ParsePatSection(tree, empty.data(), empty.size(), 1), 0);
  EXPECT_NE(BranchText(tree, 1, Table::Pat).find("  programs:0\n  crc_32: 0x12345678 (CRC error)\n"), std::string::npos);
  std::vector<uint8_t> area(188, 0xFF);
  const BuildResult built = BuildPat(tree, 1, area.data(), area.size());
  EXPECT_TRUE(built.ok);
  EXPECT_EQ(built.count, 0);
  EXPECT_EQ(area[5], 0x00);
  EXPECT_EQ(area[6], 0xB0);
  EXPECT_EQ(area[7], 0x09);

  const std::vector<uint8_t> zeros(4096, 0);  // a read answered with no packets
  EXPECT_EQ(ParsePatSection(tree, zeros.data(), zeros.size(), 2), 0);
  const std::vector<uint8_t> notPat = {0x02, 0xB0, 0x09};
  EXPECT_EQ(ParsePatSection(tree, notPat.data(), notPat.size(), 2), 0);
  EXPECT_EQ(tree.GetChildItem(tree.Root(2, Table::Pat)), kNoItem);
  EXPECT_FALSE(BuildPat(tree, 2, area.data(), area.size()).ok);
}

TEST_F(PsiSections, PatOfMoreThan42ProgramsIsRefused) {
  std::vector<uint8_t> section = {0x00, 0xB0, 0x00, 0x00, 0x01, 0xC1, 0x00, 0x00};
  for (int i = 1; i <= 43; ++i) section.insert(section.end(), {0x00, static_cast<uint8_t>(i), 0xE1, 0x00});
  section.insert(section.end(), 4, 0);
  testing::SetSectionLength(section);
  ASSERT_EQ(ParsePatSection(tree, section.data(), section.size(), 1), 43);
  std::vector<uint8_t> area(188, 0xFF);
  const BuildResult built = BuildPat(tree, 1, area.data(), area.size());
  EXPECT_FALSE(built.ok);
  EXPECT_EQ(built.count, 0);
  EXPECT_EQ(built.error,
            "PAT section too long: 184 bytes, the limit is 183 bytes (one packet, 42 programs); the table was not "
            "written.");
  EXPECT_EQ(area[0], 0xFF);  // nothing written

  tree.DeleteItem(tree.GetChildItem(tree.FindChildOfKind(tree.Root(1, Table::Pat), NodeKind::PatProgramList)));
  EXPECT_EQ(BuildPat(tree, 1, area.data(), area.size()).count, 42);
}

TEST_F(PsiSections, PatLengthFieldsBeyondTheReceivedBytesAreClipped) {
  // section_length 0xFFF in a short buffer: only whole entries before the buffer end count.
  const std::vector<uint8_t> bytes = {0x00, 0xBF, 0xFF, 0x00, 0x01, 0xC1, 0x00, 0x00, 0x00, 0x01, 0xE1, 0x00, 0x00};
  EXPECT_EQ(ParsePatSection(tree, bytes.data(), bytes.size(), 1), 1);
  EXPECT_NE(BranchText(tree, 1, Table::Pat).find("programs:1\n"), std::string::npos);
  const std::vector<uint8_t> tiny = {0x00, 0xB0, 0x05, 0x00, 0x01, 0xC1, 0x00, 0x00};  // section_length < 9
  EXPECT_EQ(ParsePatSection(tree, tiny.data(), tiny.size(), 2), 0);
  EXPECT_NE(BranchText(tree, 2, Table::Pat).find("programs:0\n"), std::string::npos);
}

constexpr const char* kCatR3Branch =
    "SECTION:0\n"
    "  table_id: 0x1\n  section_syntax_indicator: 0x1\n  section_length: 0x1c\n"
    "  version_number: 0x4\n  current_next_indicator: 0x1\n  section_number: 0x0\n  last_section_number: 0x0\n"
    "  descriptors\n"
    "    descriptor_tag: 0x9\n"
    "      descriptor_length: 0x11\n"
    "      descriptor_data\n"
    "        CA_system_ID: 0x100\n"
    "        CA_PID: 0xc1\n"
    "        descriptor_data(hex): 03 e0 c2 01 56 e0 c3 01 57 e0 c4 01 5a\n"
    "  crc_32: 0x6d86948f\n";

TEST_F(PsiSections, CapturedCatParsesAndBuildsBackToTheSameBytes) {
  ScriptedExchange device;
  device.Queue(0x0001, SamplePackets("cat_r3"));
  ASSERT_TRUE(ReadCat(tree, device, 2));
  EXPECT_EQ(BranchText(tree, 2, Table::Cat), kCatR3Branch);
  std::vector<uint8_t> area(4106, 0xFF);
  const BuildResult built = BuildCat(tree, 2, area.data(), area.size());
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 188), WithCountersFromZero(SamplePackets("cat_r3")));
  EXPECT_TRUE(std::all_of(area.begin() + 188, area.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(PsiSections, CatDescriptorsOfLengthFourAndSix) {
  const std::vector<uint8_t> bytes = {0x01, 0xB0, 0x17, 0xFF, 0xFF, 0xC1, 0x00, 0x00, 0x09, 0x04, 0x0B, 0x00,
                                      0xE1, 0x23, 0x09, 0x06, 0x0B, 0x01, 0xE0, 0x10, 0xAB, 0x0C, 0, 0, 0, 0};
  ASSERT_TRUE(ParseCat(tree, bytes.data(), bytes.size(), 1));
  EXPECT_EQ(BranchText(tree, 1, Table::Cat),
            "SECTION:0\n  table_id: 0x1\n  section_syntax_indicator: 0x1\n  section_length: 0x17\n"
            "  version_number: 0x0\n  current_next_indicator: 0x1\n  section_number: 0x0\n  last_section_number: 0x0\n"
            "  descriptors\n"
            "    descriptor_tag: 0x9\n      descriptor_length: 0x4\n      descriptor_data\n"
            "        CA_system_ID: 0xb00\n        CA_PID: 0x123\n"
            "    descriptor_tag: 0x9\n      descriptor_length: 0x6\n      descriptor_data\n"
            "        CA_system_ID: 0xb01\n        CA_PID: 0x10\n        descriptor_data(hex): ab 0c\n"
            "  crc_32: 0x0 (CRC error)\n");
}

TEST_F(PsiSections, CatWithSectionLengthNineHasNoDescriptorsLine) {
  const std::vector<uint8_t> bytes = {0x01, 0xB0, 0x09, 0xFF, 0xFF, 0xC1, 0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_TRUE(ParseCat(tree, bytes.data(), bytes.size(), 1));
  EXPECT_EQ(BranchText(tree, 1, Table::Cat).find("descriptors"), std::string::npos);
  const std::vector<uint8_t> pat = {0x00, 0xB0, 0x09};
  EXPECT_FALSE(ParseCat(tree, pat.data(), pat.size(), 2));
  std::vector<uint8_t> area(1024);
  EXPECT_FALSE(BuildCat(tree, 2, area.data(), area.size()).ok);
  EXPECT_TRUE(BuildCat(tree, 1, area.data(), area.size()).ok);
  EXPECT_EQ(std::vector<uint8_t>(area.begin() + 5, area.begin() + 13),
            (std::vector<uint8_t>{0x01, 0xB0, 0x09, 0xFF, 0xFF, 0xC1, 0x00, 0x00}));
}

TEST_F(PsiSections, CatDescriptorsPastTheSectionEndOrTooShortAreLeftOut) {
  // A length-2 descriptor (no room for CA_system_ID and CA_PID), then one running past the CRC.
  const std::vector<uint8_t> bytes = {0x01, 0xB0, 0x11, 0xFF, 0xFF, 0xC1, 0x00, 0x00, 0x09, 0x02, 0x01,
                                      0x02, 0x09, 0x40, 0x00, 0x01, 0xE0, 0x02, 0, 0, 0, 0};
  ASSERT_TRUE(ParseCat(tree, bytes.data(), bytes.size(), 1));
  EXPECT_EQ(tree.ChildCount(tree.FindChildOfKind(tree.Root(1, Table::Cat), NodeKind::CatDescriptorList)), 0);
}

// The PMT of pmt_planete.ts, program 0x304 on PID 0x0503.
constexpr const char* kPlanetePmtBranch =
    "program: 0x304 (772) => pid: 0x503 (1283)\n"
    "  Section 0:\n"
    "    table_id: 0x2\n    section_syntax_indicator: 0x1\n    section_length: 0x74\n    program_number: 0x304\n"
    "    version_number: 0x15\n    current_next_indicator: 0x1\n    section_number: 0x0\n"
    "    last_section_number: 0x0\n"
    "    pcr_pid: 0xa3\n"
    "    program_info_length: 0x7 (7)\n"
    "    program_info_descriptors\n"
    "      descriptor_tag: 0x9\n"
    "        descriptor_length: 0x5\n"
    "        descriptor_data\n"
    "          CA_system_ID: 0x4adc\n"
    "          CA_PID: 0x66a\n"
    "          descriptor_data(hex): fe\n"
    "    components\n"
    "      stream type: 1b\n"
    "        elementary_pid: 0xa3 (163)\n"
    "        es_info_length: 0x2b (43)\n"
    "        es descriptors\n"
    "          descriptor_tag: 52\n"
    "            descriptor_length (byte): 1\n"
    "            descriptor_data(hex): 29\n"
    "          descriptor_tag: 28\n"
    "            descriptor_length (byte): 4\n"
    "            descriptor_data(hex): 03 00 03 00\n"
    "          descriptor_tag: 0x9\n"
    "            descriptor_length: 0x20\n"
    "            descriptor_data\n"
    "              CA_system_ID: 0x100\n"
    "              CA_PID: 0x669\n"
    "              descriptor_data(hex): 01 6f ff 00 00 00 00 00 00 00 10 23 77 e6 68 01 57 ff 00 00 04 00 00 00 "
    "00 04 23 77\n"
    "      stream type:  4\n"
    "        elementary_pid: 0x5c (92)\n"
    "        es_info_length: 0x2b (43)\n"
    "        es descriptors\n"
    "          descriptor_tag: 52\n"
    "            descriptor_length (byte): 1\n"
    "            descriptor_data(hex): 2a\n"
    "          descriptor_tag: 0a\n"
    "            descriptor_length (byte): 4\n"
    "            descriptor_data(hex): 66 72 61 00\n"
    "          descriptor_tag: 0x9\n"
    "            descriptor_length: 0x20\n"
    "            descriptor_data\n"
    "              CA_system_ID: 0x100\n"
    "              CA_PID: 0x669\n"
    "              descriptor_data(hex): 01 6f ff 00 00 00 00 00 00 00 10 23 77 e6 68 01 57 ff 00 00 04 00 00 00 "
    "00 04 23 77\n"
    "    crc_32: 0x2ae078ac\n";

ItemHandle AddPatEntries(TableTreeCtrl& tree, int port, const std::vector<std::pair<int, int>>& entries) {
  const ItemHandle section = tree.InsertRecordItem("SECTION0:", kImageSection, tree.Root(port, Table::Pat),
                                                   MakeRecord(NodeKind::PatSection, PatSectionHeader{}));
  const ItemHandle list = tree.InsertRecordItem("programs", kImageLine, section, MakeHolder(NodeKind::PatProgramList));
  for (auto [number, pid] : entries) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(number);
    p.pid.set(static_cast<uint32_t>(pid));
    tree.InsertRecordItem("entry", kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  return section;
}

TEST_F(PsiSections, CapturedPmtParsesAndBuildsBackToTheSameBytes) {
  AddPatEntries(tree, 1, {{0, 0x0010}, {0x304, 0x0503}});
  ScriptedExchange device;
  device.Queue(0x0503, SamplePackets("pmt_planete"));
  ASSERT_TRUE(ParsePmts(tree, device, 1, 2));
  ASSERT_EQ(device.requests.size(), 1u);  // the NIT entry is not counted
  EXPECT_EQ(device.requests[0].selector, 0);
  EXPECT_EQ(BranchText(tree, 1, Table::Pmt), kPlanetePmtBranch);
  EXPECT_EQ(tree.GetItemImage(tree.FindChildOfKind(tree.Root(1, Table::Pmt), NodeKind::PmtComponent)), kImageLine);
  EXPECT_EQ(std::filesystem::file_size("tables/pmt0.bin"), 2048u);
  EXPECT_FALSE(std::filesystem::exists("tables/pmt1.bin"));

  std::vector<uint8_t> slots(65536, 0xFF);
  const BuildResult built = BuildPmts(tree, 1, slots.data(), slots.size());
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(built.count, 1);
  EXPECT_EQ(std::vector<uint8_t>(slots.begin(), slots.begin() + 188), WithCountersFromZero(SamplePackets("pmt_planete")));
  EXPECT_EQ(slots[188], 0xFF);  // the rest of the slot keeps the caller's filler
  EXPECT_EQ(slots[1024 + 8], 0xFF);
}

TEST_F(PsiSections, SharedPmtPidsCarryTheProgramIndexAndMultiSectionProgramsAreReadAgain) {
  AddPatEntries(tree, 1, {{1, 0x0100}, {2, 0x0100}});
  // Program 1 comes in two sections (one per receive); program 2 has a single one.
  auto pmt = [](uint16_t program, uint8_t number, uint8_t last) {
    std::vector<uint8_t> s = {0x02, 0xB0, 0x0D, static_cast<uint8_t>(program >> 8), static_cast<uint8_t>(program),
                              0xC1, number, last, 0xE1, 0x00, 0xF0, 0x00, 0, 0, 0, 0};
    return s;
  };
  ScriptedExchange device;
  device.Queue(0x0100, Packetized(pmt(1, 0, 1), 0x0100));
  device.Queue(0x0100, Packetized(pmt(1, 1, 1), 0x0100));
  device.Queue(0x0100, Packetized(pmt(2, 0, 0), 0x0100));
  ParsePmts(tree, device, 1, 2);
  ASSERT_EQ(device.requests.size(), 3u);
  EXPECT_EQ(device.requests[0].selector, 1);
  EXPECT_EQ(device.requests[1].selector, 1);
  EXPECT_EQ(device.requests[2].selector, 2);
  const std::string branch = BranchText(tree, 1, Table::Pmt);
  EXPECT_NE(branch.find("program: 0x1 (1) => pid: 0x100 (256)\n  Section 0:\n"), std::string::npos);
  EXPECT_NE(branch.find("program: 0x1 (1) => pid: 0x100 (256)\n  Section 1:\n"), std::string::npos);
  EXPECT_NE(branch.find("program: 0x2 (2) => pid: 0x100 (256)\n  Section 0:\n"), std::string::npos);
  // No program info: no "program_info_descriptors" line, but always "components".
  EXPECT_EQ(branch.find("program_info_descriptors"), std::string::npos);
  EXPECT_NE(branch.find("    program_info_length: 0x0 (0)\n    components\n    crc_32: 0x0 (CRC error)\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists("tables/pmt1.bin"));

  std::vector<uint8_t> slots(65536, 0xFF);
  EXPECT_EQ(BuildPmts(tree, 1, slots.data(), slots.size()).count, 3);
  EXPECT_EQ(slots[1024 * 1 + 11], 0x01);  // section_number of the second program item
  EXPECT_EQ(slots[1024 * 3 + 8], 0xFF);
}

TEST_F(PsiSections, PmtDescriptorLineSpellingsDifferByLoop) {
  // Program info: tag 0x0a with data 0a; stream: tag 0x0a with data 0a; stream_type 2 (video icon).
  const std::vector<uint8_t> s = {0x02, 0xB0, 0x18, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xE1, 0x00, 0xF0, 0x03, 0x0A, 0x01,
                                  0x0A, 0x02, 0xE1, 0x01, 0xF0, 0x03, 0x0A, 0x01, 0x0A, 0, 0, 0, 0};
  PmtReadState state;
  ASSERT_EQ(ParsePmtSections(tree, s.data(), s.size(), 1, 0x100, state), 1);
  const std::string branch = BranchText(tree, 1, Table::Pmt);
  EXPECT_NE(branch.find("      descriptor_tag: a\n        descriptor_length(byte): 1\n"
                        "        descriptor_data(hex):  a\n"),
            std::string::npos)
      << branch;
  EXPECT_NE(branch.find("      stream type:  2\n"), std::string::npos);
  EXPECT_NE(branch.find("          descriptor_tag: 0a\n            descriptor_length (byte): 1\n"
                        "            descriptor_data(hex): 0a\n"),
            std::string::npos)
      << branch;
  EXPECT_EQ(tree.GetItemImage(tree.FindChildOfKind(tree.Root(1, Table::Pmt), NodeKind::PmtComponent)), kImageVideo);
  std::vector<uint8_t> slots(1024, 0xFF);
  ASSERT_TRUE(BuildPmts(tree, 1, slots.data(), slots.size()).ok);
  const auto built = SectionBytesOf(std::vector<uint8_t>(slots.begin(), slots.begin() + 188));
  EXPECT_EQ(std::vector<uint8_t>(built.begin(), built.end() - 4), std::vector<uint8_t>(s.begin(), s.end() - 4));
}

TEST_F(PsiSections, PmtLoopsNeverRunPastTheSectionOrTheBuffer) {
  // program_info_length and ES_info_length far beyond the section; section_length beyond the bytes.
  const std::vector<uint8_t> s = {0x02, 0xBF, 0xFF, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xE1, 0x00, 0xFF, 0xFF,
                                  0x0A, 0x01, 0x0A, 0x02, 0xE1, 0x01, 0xFF, 0xFF, 0x09, 0x10};
  PmtReadState state;
  ASSERT_EQ(ParsePmtSections(tree, s.data(), s.size(), 1, 0x100, state), 1);
  EXPECT_EQ(tree.FindChildOfKind(tree.Root(1, Table::Pmt), NodeKind::PmtComponent), kNoItem);
  EXPECT_NE(tree.FindChildOfKind(tree.Root(1, Table::Pmt), NodeKind::PmtProgramInfoList), kNoItem);
  EXPECT_NE(BranchText(tree, 1, Table::Pmt).find("program_info_length: 0x3 (3)\n"), std::string::npos);

  // Sections with program_number 0 or section_length 0 are passed over; the walk ends at 188.
  std::vector<uint8_t> walk = {0x02, 0xB0, 0x06, 0x00, 0x00, 0xC1, 0x00, 0x00, 0xE1};  // program_number 0
  while (walk.size() < 2048) walk.insert(walk.end(), {0x02, 0xB0, 0x00});                  // section_length 0
  PmtReadState other;
  EXPECT_EQ(ParsePmtSections(tree, walk.data(), walk.size(), 2, 0x100, other), 0);
}

TEST_F(PsiSections, PmtLoopLengthsAreCutBackToTheDescriptorsRead) {
  // program_info_length 5 and the first ES_info_length 5 end inside a descriptor; the second
  // ES_info_length runs past the section. Each keeps one whole descriptor of 3 bytes.
  std::vector<uint8_t> s = {0x02, 0xB0, 0x00, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xE1, 0x00, 0xF0, 0x05,
                            0x0A, 0x01, 0x0A, 0x52, 0x05,                                // program info
                            0x1B, 0xE1, 0x00, 0xF0, 0x05, 0x52, 0x01, 0x07, 0x0A, 0x02,  // component 0x100
                            0x03, 0xE1, 0x01, 0xFF, 0xFF, 0x0A, 0x01, 0x0A,              // component 0x101
                            0x00, 0x00, 0x00, 0x00};
  testing::SetSectionLength(s);
  PmtReadState state;
  ASSERT_EQ(ParsePmtSections(tree, s.data(), s.size(), 1, 0x100, state), 1);
  const std::string branch = BranchText(tree, 1, Table::Pmt);
  EXPECT_NE(branch.find("program_info_length: 0x3 (3)\n"), std::string::npos) << branch;
  EXPECT_NE(branch.find("elementary_pid: 0x100 (256)\n        es_info_length: 0x3 (3)\n"), std::string::npos);
  EXPECT_NE(branch.find("elementary_pid: 0x101 (257)\n        es_info_length: 0x3 (3)\n"), std::string::npos);

  std::vector<uint8_t> slots(1024, 0xFF);
  ASSERT_TRUE(BuildPmts(tree, 1, slots.data(), slots.size()).ok);
  const auto built = SectionBytesOf(std::vector<uint8_t>(slots.begin(), slots.begin() + 188));
  ASSERT_EQ(built.size(), 12u + 3 + 2 * (5 + 3) + 4);
  EXPECT_TRUE(testing::DescriptorsFill(built, 12, (built[10] & 0x0Fu) << 8 | built[11]));
  EXPECT_TRUE(testing::EntriesFillSection(built, 12 + 3, 5));
}

TEST_F(PsiSections, PmtOverFivePacketsIsRefusedAndOthersAreStillWritten) {
  AddPatEntries(tree, 1, {{1, 0x100}, {2, 0x101}});
  PmtReadState state;
  const std::vector<uint8_t> small = {0x02, 0xB0, 0x0D, 0x00, 0x02, 0xC1, 0x00, 0x00, 0xE1, 0x00, 0xF0, 0x00, 0, 0, 0, 0};
  std::vector<uint8_t> big = {0x02, 0xB3, 0xA0, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xE1, 0x00, 0xF0, 0x00};
  for (int i = 0; i < 4; ++i) {  // 4 streams of 230 descriptor bytes: 12 + 4 * 235 + 4 > 919
    big.insert(big.end(), {0x1B, 0xE1, 0x00, 0xF0, 230});
    for (int d = 0; d < 5; ++d) {
      big.insert(big.end(), {0x52, 44});
      big.insert(big.end(), 44, 0x11);
    }
  }
  big.insert(big.end(), 4, 0);
  testing::SetSectionLength(big);
  ParsePmtSections(tree, big.data(), big.size(), 1, 0x100, state);
  ParsePmtSections(tree, small.data(), small.size(), 1, 0x101, state);
  std::vector<uint8_t> slots(2048, 0xFF);
  const BuildResult built = BuildPmts(tree, 1, slots.data(), slots.size());
  EXPECT_FALSE(built.ok);
  EXPECT_EQ(built.count, 1);
  EXPECT_EQ(built.error,
            "PMT of program 0x1 section too long: 956 bytes, the limit is 919 bytes (five packets); the table was not "
            "written.");
  EXPECT_EQ(slots[0], 0xFF);
  EXPECT_EQ(slots[1024], 0x47);
  std::vector<uint8_t> oneSlot(1024, 0xFF);
  EXPECT_FALSE(BuildPmts(tree, 2, oneSlot.data(), oneSlot.size()).ok);  // no program item on port 2
}

}  // namespace
}  // namespace quorvelin
