// SDT: the branch of a captured and of hand-made sections, and the section written back.
#include <gtest/gtest.h>

#include <filesystem>
#include "SectionTestSupport.h"
#include "sections/SdtSections.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

using testing::BranchText;
using testing::Packetized;
using testing::SamplePackets;
using testing::SampleSection;
using testing::ScriptedExchange;
using testing::SectionBytesOf;
using testing::WithCountersFromZero;

class SdtSections : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::BuildTwoPorts(tree);
    SetTextCode(0);
  }

  // An SDT section of the given services (each: service_id, flag bytes, descriptor bytes).
  static std::vector<uint8_t> Sdt(const std::vector<std::vector<uint8_t>>& services, uint8_t number = 0,
                                  uint8_t last = 0) {
    std::vector<uint8_t> s = {0x42, 0xF0, 0x00, 0x00, 0x07, 0xC3, number, last, 0x20, 0xFA, 0xFF};
    for (const auto& service : services) s.insert(s.end(), service.begin(), service.end());
    s.insert(s.end(), {0x12, 0x34, 0x56, 0x78});
    testing::SetSectionLength(s);
    return s;
  }
  static std::vector<uint8_t> Service(uint16_t id, const std::vector<uint8_t>& descriptors) {
    std::vector<uint8_t> s = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0xFD,
                              static_cast<uint8_t>(0x80 | descriptors.size() >> 8),
                              static_cast<uint8_t>(descriptors.size() & 0xFF)};
    s.insert(s.end(), descriptors.begin(), descriptors.end());
    return s;
  }
  std::string Parsed(const std::vector<uint8_t>& section, int port = 1) {
    EXPECT_TRUE(ParseSdtSection(tree, section.data(), section.size(), port, 0));
    return BranchText(tree, port, Table::Sdt);
  }
  std::vector<uint8_t> Built(int port = 1) {
    std::vector<uint8_t> area(1024, 0xFF);
    const BuildResult built = BuildSdt(tree, port, area.data(), area.size());
    EXPECT_TRUE(built.ok) << built.error;
    return SectionBytesOf(area);
  }

  TableTreeCtrl tree;
  testing::ScratchDirectory scratch_;
};

TEST_F(SdtSections, CapturedSdtParsesAndBuildsBackToTheSameBytes) {
  ScriptedExchange device;
  device.Queue(0x0011, SamplePackets("sdt_r3"));
  ASSERT_TRUE(ParseSdt(tree, device, 1));
  const std::string branch = BranchText(tree, 1, Table::Sdt);
  EXPECT_EQ(branch.substr(0, branch.find("    service_id: 0x0302")),
            "Section 0:\n"
            "  table_id: 0x42\n  section_syntax_indicator: 0x1\n  section_length: 0xa9\n  transport_stream_id: 0x3\n"
            "  version_number: 0x2\n  current_next_indicator: 0x1\n  section_number: 0x0\n  last_section_number: 0x0\n"
            "  original_network_id: 0x20fa\n"
            "  services\n"
            "    service_id: 0x0301 (769)\n"
            "      eit_schedule_flag: 0x0\n      eit_present_following_flag: 0x1\n      runing_status: 0x4\n"
            "      free_CA_mode: 0x0\n      descriptors_loop_length: 0xe\n"
            "      descriptors\n"
            "        descriptor_tag: 0x48\n"
            "          descriptor_length(byte): 12\n"
            "          descriptor_data\n"
            "            service_type: 0x1 => digital television service\n"
            "            service_provider_name_length: 3\n"
            "            service_provider_name: CNH\n"
            "            service_name_length: 6\n"
            "            service_name: CANAL+\n");
  EXPECT_NE(branch.find("    service_id: 0x03f1 (1009)\n"), std::string::npos);
  EXPECT_NE(branch.find("            service_type: 0xc => \n            service_provider_name_length: 3\n"
                        "            service_provider_name: CNH\n            service_name_length: 0\n"
                        "            service_name: \n  crc_32: 0xb1018efb\n"),
            std::string::npos);
  EXPECT_EQ(tree.ChildCount(tree.FindChildOfKind(tree.Root(1, Table::Sdt), NodeKind::SdtServiceList)), 8);
  EXPECT_EQ(std::filesystem::file_size("tables/sdt0.bin"), 4096u);

  std::vector<uint8_t> area(204800, 0xFF);
  const BuildResult built = BuildSdt(tree, 1, area.data(), area.size());
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(built.count, 1);
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 188), WithCountersFromZero(SamplePackets("sdt_r3")));
  EXPECT_EQ(area[188], 0x00);
}

TEST_F(SdtSections, ServiceTypeLinkageAndOtherDescriptors) {
  const auto section = Sdt({Service(0x10, {0x48, 0x05, 0x02, 0x01, 'P', 0x01, 'S',        // service_type 2
                                           0x4A, 0x07, 0, 1, 0, 2, 0, 3, 0x09,            // linkage, length 7
                                           0x4A, 0x09, 0, 1, 0, 2, 0, 3, 0x09, 0xAB, 0x0C,  // with private data
                                           0x5F, 0x04, 0x00, 0x00, 0x00, 0x28})});
  const std::string branch = Parsed(section);
  EXPECT_NE(branch.find("            service_type: 0x2 => \n"), std::string::npos);
  EXPECT_NE(branch.find("        descriptor_tag: 0x4a =>link_age_descriptor\n"
                        "          descriptor_length(byte): 7\n"
                        "          transport_stream_id(byte): 0x1(1)\n"
                        "          original_network_id(byte): 0x2(2)\n"
                        "          service_id(byte): 0x3(3)\n"
                        "          link_type(byte): 0x9(9)\n"
                        "        descriptor_tag: 0x4a =>link_age_descriptor\n"),
            std::string::npos)
      << branch;
  EXPECT_NE(branch.find("          link_type(byte): 0x9(9)\n          private_data\n             ab 0c\n"),
            std::string::npos);
  EXPECT_NE(branch.find("        descriptor_tag: 0x5f\n          descriptor_length(byte): 4\n"
                        "          descriptor_data(hex): 00 00 00 28\n"),
            std::string::npos);
  auto rebuilt = Built();
  EXPECT_EQ(std::vector<uint8_t>(rebuilt.begin(), rebuilt.end() - 4),
            std::vector<uint8_t>(section.begin(), section.end() - 4));
}

TEST_F(SdtSections, ServiceWithoutDescriptorsAndSectionWithoutServices) {
  std::string branch = Parsed(Sdt({Service(0x20, {})}));
  EXPECT_NE(branch.find("    service_id: 0x0020 (32)\n      eit_schedule_flag: 0x0\n"
                        "      eit_present_following_flag: 0x1\n      runing_status: 0x4\n      free_CA_mode: 0x0\n"
                        "      descriptors_loop_length: 0x0\n  crc_32: 0x12345678 (CRC error)\n"),
            std::string::npos)
      << branch;
  branch = Parsed(Sdt({}), 2);  // section_length 12
  EXPECT_NE(branch.find("  services\n  crc_32: 0x12345678 (CRC error)\n"), std::string::npos);
}

TEST_F(SdtSections, ServiceDescriptorWhoseNamesDoNotFillItIsKeptAsBytes) {
  // descriptor_length 6, names 1 + 1 bytes: one spare byte.
  const auto section = Sdt({Service(0x30, {0x48, 0x06, 0x01, 0x01, 'P', 0x01, 'S', 0xEE})});
  const std::string branch = Parsed(section);
  EXPECT_NE(branch.find("descriptor_data(hex): 01 01 50 01 53 ee\n"), std::string::npos) << branch;
  const auto rebuilt = Built();
  EXPECT_EQ(std::vector<uint8_t>(rebuilt.begin(), rebuilt.end() - 4),
            std::vector<uint8_t>(section.begin(), section.end() - 4));
}

TEST_F(SdtSections, NamesAreDecodedWithTheTextCode) {
  SetTextCode(1);  // UCS-2, decoded in host order
  Parsed(Sdt({Service(0x40, {0x48, 0x09, 0x01, 0x02, 'A', 0x00, 0x04, 'B', 0x00, 'C', 0x00})}));
  const std::string branch = BranchText(tree, 1, Table::Sdt);
  EXPECT_NE(branch.find("service_provider_name: A\n"), std::string::npos) << branch;
  EXPECT_NE(branch.find("service_name: BC\n"), std::string::npos);
}

TEST_F(SdtSections, OnlyTheFirstSectionIsWrittenAlwaysAsActualTransportStream) {
  auto other = Sdt({Service(0x50, {})});
  other[0] = 0x42;
  Parsed(other);
  tree.RecordOf(tree.GetChildItem(tree.Root(1, Table::Sdt)))->As<SdtSectionHeader>()->table_id = 0x46;
  ParseSdtSection(tree, other.data(), other.size(), 1, 1);
  EXPECT_EQ(tree.ChildCount(tree.Root(1, Table::Sdt)), 2);
  const auto built = Built();
  EXPECT_EQ(built[0], 0x42);
  EXPECT_EQ(built.size(), other.size());
}

TEST_F(SdtSections, MultiSectionSdtIsReadOneSectionPerReceive) {
  ScriptedExchange device;
  device.Queue(0x0011, Packetized(Sdt({Service(1, {})}, 0, 1), 0x0011));
  device.Queue(0x0011, Packetized(Sdt({Service(2, {})}, 1, 1), 0x0011));
  EXPECT_TRUE(ParseSdt(tree, device, 2));
  EXPECT_EQ(device.requests.size(), 2u);
  const std::string branch = BranchText(tree, 2, Table::Sdt);
  EXPECT_NE(branch.find("Section 0:\n"), std::string::npos);
  EXPECT_NE(branch.find("Section 1:\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists("tables/sdt1.bin"));

  ScriptedExchange wrong;
  wrong.Queue(0x0011, Packetized({0x46, 0xF0, 0x09, 0, 0, 0xC1, 0, 0, 0, 0, 0, 0}, 0x0011));
  EXPECT_FALSE(ParseSdt(tree, wrong, 1));
  EXPECT_EQ(tree.GetChildItem(tree.Root(1, Table::Sdt)), kNoItem);
  ScriptedExchange silent;
  EXPECT_FALSE(ParseSdt(tree, silent, 1));
}

TEST_F(SdtSections, BuildRefusalsAndMissingParts) {
  std::vector<uint8_t> area(1024, 0xFF);
  EXPECT_FALSE(BuildSdt(tree, 1, area.data(), area.size()).ok);
  EXPECT_EQ(area[0], 0xFF);  // no section: nothing written

  const ItemHandle bare = tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(2, Table::Sdt),
                                                MakeRecord(NodeKind::SdtSection, SdtSectionHeader{}));
  const BuildResult noServices = BuildSdt(tree, 2, area.data(), area.size());
  EXPECT_FALSE(noServices.ok);
  EXPECT_TRUE(std::all_of(area.begin(), area.end(), [](uint8_t b) { return b == 0; }));
  tree.DeleteItem(bare);

  std::vector<std::vector<uint8_t>> services;
  for (int i = 0; i < 4; ++i) {
    std::vector<uint8_t> descriptors = {0x5F, 0xFF};
    descriptors.insert(descriptors.end(), 255, 0x01);
    services.push_back(Service(static_cast<uint16_t>(i), descriptors));
  }
  Parsed(Sdt(services), 2);
  const BuildResult tooLong = BuildSdt(tree, 2, area.data(), area.size());
  EXPECT_FALSE(tooLong.ok);
  EXPECT_EQ(tooLong.error,
            "SDT section too long: 1063 bytes, the limit is 919 bytes (five packets); the table was not written.");
}

TEST_F(SdtSections, LoopLengthsPastTheSectionOrInsideADescriptorAreCutBack) {
  // Service 0x61: descriptors_loop_length 5 ends inside a linkage_descriptor; service 0x62:
  // descriptors_loop_length 0xFFF runs past the section.
  const std::vector<uint8_t> endsInside = {0x00, 0x61, 0xFD, 0x80, 0x05, 0x5F, 0x01, 0x00, 0x4A, 0x09};
  auto section = Sdt({endsInside, Service(0x62, {0x48, 0x05, 0x01, 0x01, 'P', 0x01, 'S'})});
  section[21 + 3] = 0x8F, section[21 + 4] = 0xFF;
  const std::string branch = Parsed(section);
  EXPECT_NE(branch.find("free_CA_mode: 0x0\n      descriptors_loop_length: 0x3\n"), std::string::npos) << branch;
  EXPECT_NE(branch.find("free_CA_mode: 0x0\n      descriptors_loop_length: 0x7\n"), std::string::npos) << branch;
  EXPECT_NE(branch.find("service_name: S\n"), std::string::npos);
  const std::vector<uint8_t> built = Built();
  EXPECT_TRUE(testing::EntriesFillSection(built, 11, 5));
  EXPECT_EQ(built.size(), 11u + (5 + 3) + (5 + 7) + 4);
  const uint8_t truncated[] = {0x42, 0xFF, 0xFF, 0, 1, 0xC1, 0, 0, 0, 1, 0xFF, 0, 1, 0xFD, 0x8F};
  EXPECT_TRUE(ParseSdtSection(tree, truncated, sizeof truncated, 2, 0));
  EXPECT_EQ(tree.FindChildOfKind(tree.Root(2, Table::Sdt), NodeKind::SdtService), kNoItem);
}

}  // namespace
}  // namespace quorvelin
