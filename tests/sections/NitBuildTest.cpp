#include <gtest/gtest.h>

#include "NitBatSupport.h"
#include "sections/NitSections.h"
#include "sections/Packets.h"

namespace quorvelin {
namespace {
using namespace testing;

class NitBuild : public ::testing::Test {
 protected:
  void SetUp() override { BuildTwoPorts(tree); }

  void Parse(const Bytes& section, int port = 1) {
    ASSERT_TRUE(ParseNitSection(tree, section.data(), section.size(), port));
  }
  ItemHandle Section(int n, int port = 1) const { return Child(tree, tree.Root(port, Table::Nit), n); }
  LoopSectionHeader& Header(int n, int port = 1) { return *tree.RecordOf(Section(n, port))->As<LoopSectionHeader>(); }
  // Builds every NIT section of the port into an area of `size` bytes filled with 0xFF.
  Bytes Build(int port = 1, size_t size = 204800) {
    Bytes area(size, 0xFF);
    result = BuildNit(tree, port, area.data(), area.size());
    return area;
  }

  TableTreeCtrl tree;
  BuildResult result;
  ScratchDirectory dir;
};

TEST_F(NitBuild, RealCaptureBuildsBackToTheSamePackets) {
  const Bytes packets = SamplePackets("nit_tntv23");
  ASSERT_EQ(packets.size(), 6 * kPacketSize);
  ASSERT_EQ(ReadNit(tree, 1, packets.size(), packets.data()), 1);
  const Bytes area = Build();
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.count, 6);
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 6 * kPacketSize), packets);  // PID 0x0010 without a PAT
  EXPECT_EQ(area[6 * kPacketSize], 0xFF);
}

TEST_F(NitBuild, EveryDescriptorKindBuildsBackToItsBytes) {
  const Bytes section =
      TestSection()
          .Id(0x3001)
          .Version(9)
          .Numbers(0, 0)
          .First(Join({Descriptor(0x40, {'N', 'e', 't'}), Descriptor(0x4A, {0, 1, 0, 2, 0, 3, 4}),
                       Descriptor(0x4A, {0, 1, 0, 2, 0, 3, 4, 0xAA, 0xBB}), Descriptor(0x41, {0, 1, 1}),
                       Descriptor(0x99, {})}))
          .Stream(1, 2,
                  Join({Descriptor(0x44, {0x03, 0x46, 0, 0, 0xFF, 0xF2, 3, 0, 0x68, 0x75, 0x0F}),
                        Descriptor(0x43, {1, 0x17, 0x50, 0, 1, 0x92, 0xC1, 2, 0x75, 0, 3}),
                        Descriptor(0x5A, {2, 0xD3, 0x44, 0x40, 0x3F, 0x80, 2, 0xFF, 0xFF, 0xFF, 0xFF}),
                        Descriptor(0x83, {0, 1, 0xFC, 5, 0, 2, 0x7C, 0x0A}), Descriptor(0x40, {'T'}),
                        Descriptor(0x5F, {0, 0, 0, 0x28})}))
          .Stream(3, 4, {})
          .Make();
  Parse(section);
  const Bytes area = Build();
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(SectionBytesOf(area), section);
}

TEST_F(NitBuild, EmptyLoopsBuildSixteenBytes) {
  Parse(TestSection().Numbers(5, 7).Make());
  const Bytes area = Build();
  ASSERT_TRUE(result);
  const Bytes s = SectionBytesOf(area);
  ASSERT_EQ(s.size(), 16u);
  EXPECT_EQ(Bytes(s.begin(), s.begin() + 12),
            (Bytes{0x40, 0xF0, 0x0D, 0x10, 0x01, 0xC7, 0x05, 0x00, 0xF0, 0x00, 0xF0, 0x00}));
  EXPECT_EQ(Crc32Mpeg(s.data(), s.size()), 0u);
}

TEST_F(NitBuild, SectionsKeepTheirNumbersAndCountTheLast) {
  for (uint8_t n : {0, 1, 2}) Parse(TestSection().Numbers(n, 9).Stream(n, 1, {}).Make());
  Header(1).section_number = 7;  // the record's number is written as it is
  const Bytes area = Build();
  ASSERT_TRUE(result);
  EXPECT_EQ(result.count, 3);
  for (int i = 0; i < 3; ++i) {
    const uint8_t* p = area.data() + i * kPacketSize;
    EXPECT_EQ(p[1], 0x40) << i;  // payload_unit_start_indicator, PID 0x0010
    EXPECT_EQ(p[3], 0x10) << i;  // every section starts at continuity_counter 0
    EXPECT_EQ(p[4], 0x00) << i;  // pointer_field
    EXPECT_EQ(p[5 + 6], i == 1 ? 7 : i) << i;
    EXPECT_EQ(p[5 + 7], 2) << i;  // last_section_number = 3 - 1
  }
  EXPECT_EQ(area[3 * kPacketSize], 0xFF);
}

TEST_F(NitBuild, PidComesFromThePatNetworkEntry) {
  Parse(TestSection().Make());
  const ItemHandle pat = tree.InsertRecordItem("SECTION0:", kImageSection, tree.Root(1, Table::Pat),
                                               MakeRecord(NodeKind::PatSection, PatSectionHeader{}));
  const ItemHandle programs = tree.InsertRecordItem("programs:", kImageLine, pat, MakeHolder(NodeKind::PatProgramList));
  PatProgram network;
  network.program_number = 0;
  network.pid.set(0x0123);
  PatProgram tv;
  tv.program_number = 1;
  tv.pid.set(0x0100);
  tree.InsertRecordItem("tv", kImageLine, programs, MakeRecord(NodeKind::PatProgram, tv));
  EXPECT_EQ(NitPid(tree, 1), 0x0010);  // a PAT without network entry
  tree.InsertRecordItem("network", kImageLine, programs, MakeRecord(NodeKind::PatProgram, network));
  EXPECT_EQ(NitPid(tree, 1), 0x0123);
  const Bytes area = Build();
  ASSERT_TRUE(result);
  EXPECT_EQ(area[1], 0x41);
  EXPECT_EQ(area[2], 0x23);
  EXPECT_EQ(NitPid(tree, 2), 0x0010);  // no PAT section at all
}

TEST_F(NitBuild, LengthsAreWrittenAsTheRecordsHoldThem) {
  Parse(TestSection().Stream(1, 2, Descriptor(0x5F, {0, 0, 0, 0x28})).Make());
  // A transport stream whose length is 0 is written without its descriptors.
  const ItemHandle stream = Child(tree, tree.FindDirectChildOfKind(Section(0), NodeKind::NitTransportStreamList), 0);
  tree.RecordOf(stream)->As<TransportStreamEntry>()->transport_descriptors_length.set(0);
  Header(0).transport_stream_loop_length.set(6);
  const Bytes area = Build();
  ASSERT_TRUE(result);
  EXPECT_EQ(SectionBytesOf(area), TestSection().Stream(1, 2, {}).Make());
  // A loop length of 0 leaves out the whole loop, holder or not.
  Header(0).transport_stream_loop_length.set(0);
  Build();
  EXPECT_EQ(SectionBytesOf(Build()).size(), 16u);
}

TEST_F(NitBuild, WithoutSectionsNothingIsWritten) {
  const Bytes area = Build();
  EXPECT_FALSE(result);
  EXPECT_TRUE(result.error.empty());
  EXPECT_EQ(area, Bytes(204800, 0xFF));
  Bytes one(2048, 0xFF);
  EXPECT_FALSE(BuildNitSection(tree, one.data(), one.size(), 1, kNoItem, 1));
  EXPECT_FALSE(BuildNitSection(tree, one.data(), one.size(), 1, tree.Root(1, Table::Nit), 1));
}

TEST_F(NitBuild, ASectionPastTenPacketsIsRefusedByName) {
  // Seven streams of 263 bytes: 16 + 7 * 263 = 1857 section bytes, more than ten packets carry;
  // too long for the parse buffer, so put together as the NIT dialogs would.
  LoopBranch nit(tree, kNitFamily, 1);
  const ItemHandle section = nit.Section(1, 1, 0);
  for (uint16_t ts = 0; ts < 7; ++ts)
    nit.StreamDescriptor(section, nit.Stream(section, ts, 1), NodeKind::NitTransportDescriptor,
                         GenericDescriptor{0x5F, 255, Bytes(255, 0)});
  const Bytes area = Build();
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error,
            "NIT section too long: 1857 bytes, the limit is 1839 bytes (ten packets); the table was not written.");
  EXPECT_EQ(area, Bytes(204800, 0xFF));

  // Six streams fit (1594 bytes, nine packets).
  tree.DeleteItem(tree.ChildAt(tree.FindDirectChildOfKind(section, NodeKind::NitTransportStreamList), 6));
  Header(0).transport_stream_loop_length.set(6 * 263);
  const Bytes fits = Build();
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.count, 9);
  EXPECT_EQ(SectionBytesOf(fits).size(), 16u + 6 * 263);
}

TEST_F(NitBuild, PacketsPastTheAreaAreRefusedAndTheAreaIsKept) {
  for (uint8_t n = 0; n < 4; ++n)
    Parse(TestSection().Numbers(n, 3).Stream(1, 1, Descriptor(0x5F, Bytes(200, 0))).Make());
  const Bytes area = Build(1, 4106);  // 4 sections of 2 packets = 8 packets fit
  ASSERT_TRUE(result);
  EXPECT_EQ(result.count, 8);
  for (uint8_t n = 4; n < 11; ++n)
    Parse(TestSection().Numbers(n, 10).Stream(1, 1, Descriptor(0x5F, Bytes(200, 0))).Make());
  const Bytes refused = Build(1, 4106);  // 22 packets
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error,
            "NIT not written: its 22 packets (4136 bytes) do not fit the 4106-byte area, which holds 21 packets.");
  EXPECT_EQ(refused, Bytes(4106, 0xFF));
}

TEST_F(NitBuild, MoreThan256SectionsCannotBeNumbered) {
  const Bytes s = TestSection().Make();
  for (int n = 0; n < 257; ++n) Parse(s);
  Build();
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "NIT has 257 sections, at most 256 can be numbered; the table was not written.");
  tree.DeleteItem(Section(256));
  Build();
  EXPECT_TRUE(result);
  EXPECT_EQ(result.count, 256);
}

}  // namespace
}  // namespace quorvelin
