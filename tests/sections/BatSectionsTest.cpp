#include <gtest/gtest.h>

#include <filesystem>

#include "NitBatSupport.h"
#include "sections/BatSections.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {
using namespace testing;

class Bat : public ::testing::Test {
 protected:
  void SetUp() override { BuildTwoPorts(tree); }

  void Parse(const Bytes& section, int port = 1) {
    ASSERT_TRUE(ParseBatSection(tree, section.data(), section.size(), port));
  }
  ItemHandle Root(int port = 1) const { return tree.Root(port, Table::Bat); }
  ItemHandle Section(int n, int port = 1) const { return Child(tree, Root(port), n); }
  Bytes Build(int port = 1, size_t size = 204800) {
    Bytes area(size, 0xFF);
    result = BuildBat(tree, port, area.data(), area.size());
    return area;
  }

  TableTreeCtrl tree;
  BuildResult result;
  ScratchDirectory dir;
};

TEST_F(Bat, RealCaptureParsesAndBuildsBackToTheSameSection) {
  const Bytes section = SampleSection("bat_tvnum");
  Parse(section);
  ASSERT_EQ(tree.ChildCount(Root()), 1);
  const std::string text = Subtree(tree, Section(0));
  EXPECT_EQ(
      text.substr(0, text.find("      original_network_id: 0x20fa\n      transport_descriptor_length: 0xb")),
      "SectionNumber: 0x0,BouquetID:0x86,version_number:0x3\n"
      "  table_id: 0x4a\n"
      "  section_syntax_indicator: 0x1\n"
      "  section_length: 0x86\n"
      "  bouquet_id: 0x86\n"
      "  version_number: 0x3\n"
      "  current_next_indicator: 0x1\n"
      "  section_number: 0x0\n"
      "  last_section_number: 0x0\n"
      "  bouquet_descriptors_length: 0x4c\n"
      "  bouquet_descriptors:\n"
      "    descriptor_tag: 0x47 =>bouquet_name_descriptor\n"
      "      descriptor_length(byte): 10\n"
      "      bouquet_name: Tv Num\xe9ric\n"
      "    descriptor_tag: 0x53\n"
      "      descriptor_length(byte): 2\n"
      "      descriptor_data(hex): 4a dc\n"
      "    descriptor_tag: 0x49\n"
      "      descriptor_length(byte): 4\n"
      "      descriptor_data(hex): ff 39 30 35\n"
      "    descriptor_tag: 0x5f\n"
      "      descriptor_length(byte): 4\n"
      "      descriptor_data(hex): 00 00 00 a2\n"
      "    descriptor_tag: 0x81\n"
      "      descriptor_length(byte): 46\n"
      "      descriptor_data(hex): 00 01 0a 54 76 20 4e 75 6d e9 72 69 63 02 00 00 00 01 fe 08 50 61 63 6b 20 46 54 "
      "41 00 00 00 02 ff 0c 50 61 63 6b 20 46 61 6d 69 6c 6c 65\n"
      "  transport_stream_loop_length: 0x2d\n"
      "  transport_streams:\n"
      "    transport_stream_id: 0x3\n"
      "      original_network_id: 0x20fa\n"
      "      transport_descriptor_length: 0x8\n"
      "      transport_descriptors:\n"
      "        descriptor_tag: 0x41 =>network_service_list_descriptor\n"
      "          descriptor_length(byte): 6\n"
      "          Service_list\n"
      "            service_id: 0x304\n"
      "            service_type: 0x1\n"
      "          Service_list\n"
      "            service_id: 0x305\n"
      "            service_type: 0x1\n"
      "    transport_stream_id: 0x4\n");
  EXPECT_EQ(text.substr(text.size() - 21), "  crc_32: 0xb30f9a0d\n");
  EXPECT_EQ(tree.KindOf(Section(0)), NodeKind::BatSection);
  const ItemHandle bouquet = tree.FindDirectChildOfKind(Section(0), NodeKind::BatBouquetDescriptorList);
  EXPECT_EQ(tree.KindOf(Child(tree, bouquet, 0)), NodeKind::BatBouquetName);
  EXPECT_EQ(tree.KindOf(Child(tree, bouquet, 1)), NodeKind::BatDescriptor);

  const Bytes area = Build();
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(SectionBytesOf(area), section);
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 4), (Bytes{0x47, 0x40, 0x11, 0x10}));
}

TEST_F(Bat, SectionItemNamesNumberBouquetAndVersion) {
  Parse(TestSection(0x4A).Id(0x1001).Version(3).Numbers(1, 1).Make());
  EXPECT_EQ(tree.GetItemText(Section(0)), "SectionNumber: 0x1,BouquetID:0x1001,version_number:0x3");
}

TEST_F(Bat, DescriptorsOutsideTheirLoopAreGeneric) {
  // A service list in the bouquet loop and a bouquet name in a transport loop are plain data.
  Parse(TestSection(0x4A)
            .First(Descriptor(0x41, {0, 1, 1}))
            .Stream(1, 2, Join({Descriptor(0x47, {'x'}), Descriptor(0x41, {0, 1, 1, 0, 2, 2})}))
            .Make());
  const ItemHandle bouquet = tree.FindDirectChildOfKind(Section(0), NodeKind::BatBouquetDescriptorList);
  EXPECT_EQ(Subtree(tree, Child(tree, bouquet, 0)),
            "descriptor_tag: 0x41\n  descriptor_length(byte): 3\n  descriptor_data(hex): 00 01 01\n");
  const ItemHandle streams = tree.FindDirectChildOfKind(Section(0), NodeKind::BatTransportStreamList);
  const ItemHandle list = tree.FindDirectChildOfKind(Child(tree, streams, 0), NodeKind::BatTransportDescriptorList);
  EXPECT_EQ(tree.KindOf(Child(tree, list, 0)), NodeKind::BatDescriptor);
  EXPECT_EQ(tree.KindOf(Child(tree, list, 1)), NodeKind::BatServiceList);
  EXPECT_EQ(tree.ChildCount(Child(tree, list, 1)), 3);  // length line and two "Service_list" items
}

TEST_F(Bat, BouquetNamesAreDecodedWithTheTextCode) {
  const Bytes utf8Name = Descriptor(0x47, {'T', 'V', 0xE4, 0xB8, 0xAD});  // "TV中" in UTF-8
  SetTextCode(3);
  Parse(TestSection(0x4A).First(utf8Name).Make());
  SetTextCode(0);
  const ItemHandle bouquet = tree.FindDirectChildOfKind(Section(0), NodeKind::BatBouquetDescriptorList);
  EXPECT_EQ(tree.GetItemText(Child(tree, Child(tree, bouquet, 0), 1)), "bouquet_name: TV\xd6\xd0");
  const auto* name = tree.RecordOf(Child(tree, bouquet, 0))->As<NameDescriptor>();
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(Bytes(name->name.begin(), name->name.begin() + name->length), Bytes(utf8Name.begin() + 2, utf8Name.end()));
}

TEST_F(Bat, SectionsAreRenumberedByPosition) {
  for (uint8_t n : {5, 5, 9}) Parse(TestSection(0x4A).Numbers(n, 9).Make());
  const Bytes area = Build();
  ASSERT_TRUE(result);
  EXPECT_EQ(result.count, 3);
  for (int i = 0; i < 3; ++i) {
    const uint8_t* p = area.data() + i * kPacketSize;
    EXPECT_EQ(p[1], 0x40);
    EXPECT_EQ(p[2], 0x11);
    EXPECT_EQ(p[3], 0x10);
    EXPECT_EQ(p[5 + 1], 0xF0);  // syntax bit and the fixed bits 0x70
    EXPECT_EQ(p[5 + 6], i);
    EXPECT_EQ(p[5 + 7], 2);
    EXPECT_EQ(Crc32Mpeg(p + 5, 16), 0u);
  }
  EXPECT_EQ(area[3 * kPacketSize], 0xFF);

  Bytes single(2048, 0xFF);
  const BuildResult one = BuildBatSection(tree, single.data(), single.size(), Section(2), 7, 4);
  ASSERT_TRUE(one);
  EXPECT_EQ(single[5 + 6], 4);
  EXPECT_EQ(single[5 + 7], 6);
  EXPECT_EQ(single[kPacketSize], 0x00);  // the store is cleared behind the packets
}

TEST_F(Bat, TransportStreamWithLengthZeroIsWrittenWithoutDescriptors) {
  Parse(TestSection(0x4A).Stream(1, 2, Descriptor(0x41, {0, 1, 1})).Make());
  const ItemHandle streams = tree.FindDirectChildOfKind(Section(0), NodeKind::BatTransportStreamList);
  tree.RecordOf(Child(tree, streams, 0))->As<TransportStreamEntry>()->transport_descriptors_length.set(0);
  tree.RecordOf(Section(0))->As<LoopSectionHeader>()->transport_stream_loop_length.set(6);
  const Bytes area = Build();
  ASSERT_TRUE(result);
  EXPECT_EQ(SectionBytesOf(area), TestSection(0x4A).Stream(1, 2, {}).Make());
}

TEST_F(Bat, WithoutSectionsNothingIsWritten) {
  const Bytes area = Build();
  EXPECT_FALSE(result);
  EXPECT_TRUE(result.error.empty());
  EXPECT_EQ(area, Bytes(204800, 0xFF));
}

TEST_F(Bat, ReadingWalksEverySectionAndDumpsTheBuffer) {
  Bytes stream;
  for (uint8_t n = 0; n < 3; ++n) {
    const Bytes s = TestSection(0x4A).Numbers(n, 2).Stream(n, 1, Descriptor(0x41, {0, n, 1})).Make();
    stream.insert(stream.end(), s.begin(), s.end());
  }
  ScriptedExchange device;
  device.Queue(kBatPid, Packetized(stream, kBatPid));
  ASSERT_TRUE(ReadBat(tree, device, 2));
  ASSERT_EQ(device.requests.size(), 1u);
  EXPECT_EQ(device.requests[0].pid, 0x0011);
  EXPECT_TRUE(device.requests[0].bat);
  EXPECT_EQ(device.requests[0].port, 2);
  ASSERT_EQ(tree.ChildCount(Root(2)), 3);
  EXPECT_EQ(tree.GetItemText(Section(2, 2)), "SectionNumber: 0x2,BouquetID:0x1001,version_number:0x3");
  EXPECT_EQ(std::filesystem::file_size("tables/bat.bin"), kBatBufferSize);
  EXPECT_FALSE(std::filesystem::exists("tables/nit.bin"));

  ScriptedExchange silent;
  EXPECT_FALSE(ReadBat(tree, silent, 1));
  EXPECT_EQ(tree.ChildCount(Root(1)), 0);
  ScriptedExchange foreign;
  foreign.Queue(kBatPid, Packetized(TestSection(0x42).Make(), kBatPid));
  EXPECT_TRUE(ReadBat(tree, foreign, 1));
  EXPECT_EQ(tree.ChildCount(Root(1)), 0);
}

}  // namespace
}  // namespace quorvelin
