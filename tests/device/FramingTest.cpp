#include "device/Framing.h"

#include <gtest/gtest.h>

#include <set>

#include "device/DeviceTestSupport.h"

namespace quorvelin {
namespace {

using testing::NumberedPackets;

TEST(RequestHeader, PortIndexComesFromTheChannelWhenOneIsSet) {
  EXPECT_EQ(PortIndex(-1, 1), 0);
  EXPECT_EQ(PortIndex(-1, 2), 1);
  EXPECT_EQ(PortIndex(3, 1), 2);
  EXPECT_EQ(PortIndex(3, 2), 2);
  EXPECT_EQ(PortIndex(32, 1), 31);
}

TEST(RequestHeader, ReadCarriesSelectorAndBatMarker) {
  EXPECT_EQ(MakeReadRequest(1, 3, 0x0200, false), (FrameHeader{0x47, 0xA3, 1, 3, 0x02, 0x00}));
  EXPECT_EQ(MakeReadRequest(0, 0, 0x0011, true), (FrameHeader{0x47, 0xA3, 0, 0, 0x40, 0x11}));
  // The marker belongs to PID 0x0011 only.
  EXPECT_EQ(MakeReadRequest(0, 0, 0x0010, true), (FrameHeader{0x47, 0xA3, 0, 0, 0x00, 0x10}));
}

TEST(RequestHeader, WriteSelectorIsZeroForTheFixedTables) {
  for (uint16_t pid : {0x0000, 0x0001, 0x0010, 0x0011, 0x0014}) EXPECT_EQ(MakeWriteRequest(0, 7, pid, false)[3], 0) << pid;
  EXPECT_EQ(MakeWriteRequest(0, 7, 0xFFFF, false), (FrameHeader{0x47, 0xA4, 0, 7, 0xFF, 0xFF}));
  EXPECT_EQ(MakeWriteRequest(1, 0, 0x0011, true)[4], 0x40);
  EXPECT_EQ(MakeWriteRequest(1, 0, 0x0011, false)[4], 0x00);
  const FrameHeader bat = MakeWriteRequest(1, 0, 0x0011, true);
  EXPECT_TRUE(HasBatMarker(bat.data()));
  EXPECT_EQ(RequestPid(bat.data()), 0x0011);
}

TEST(PlainFraming, SevenPacketsGoInOneDatagramWithoutTrailer) {
  const auto packets = NumberedPackets(7, 0x10);
  const auto d = PlainWriteDatagrams(MakeWriteRequest(0, 0, 0x10, false), packets.data(), packets.size());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].size(), 1322u);
  EXPECT_TRUE(std::equal(packets.begin(), packets.end(), d[0].begin() + 6));
}

TEST(PlainFraming, EightPacketsGoInTwoDatagramsWithTrailers) {
  const auto packets = NumberedPackets(8, 0x10);
  const auto d = PlainWriteDatagrams(MakeWriteRequest(0, 0, 0x10, false), packets.data(), packets.size());
  ASSERT_EQ(d.size(), 2u);
  ASSERT_EQ(d[0].size(), 6u + 5 * 188 + 3);
  ASSERT_EQ(d[1].size(), 6u + 3 * 188 + 3);
  EXPECT_EQ(std::vector<uint8_t>(d[0].end() - 3, d[0].end()), (std::vector<uint8_t>{1, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(d[1].end() - 3, d[1].end()), (std::vector<uint8_t>{0, 0, 5}));
  EXPECT_TRUE(std::equal(packets.begin() + 5 * 188, packets.end(), d[1].begin() + 6));
  EXPECT_EQ(PlainDatagramPackets(d[1].data(), d[1].size()), 3 * 188);
  EXPECT_EQ(PlainDatagramPackets(d[1].data(), d[1].size() - 1), -1);
}

TEST(PlainFraming, EmptyAnswerIsHeaderAndTrailer) {
  const auto d = PlainDatagrams(MakeReadRequest(0, 0, 1, false), nullptr, 0, 5);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].size(), 9u);
  EXPECT_EQ(PlainDatagramPackets(d[0].data(), d[0].size()), 0);
}

TEST(FragmentFraming, PiecesOf1400WithTheRemainderLast) {
  EXPECT_EQ(FragmentCount(1, 1400), 1);
  EXPECT_EQ(FragmentCount(1400, 1400), 1);
  EXPECT_EQ(FragmentCount(1401, 1400), 2);
  EXPECT_EQ(FragmentCount(2800, 1400), 2);
  EXPECT_EQ(FragmentCount(2000, 0), 2);  // a chunk of 0 is taken as 1000
  const auto packets = NumberedPackets(16, 0x11);  // 3008 bytes: 1400 + 1400 + 208
  const auto d = FragmentDatagrams(MakeWriteRequest(1, 0, 0x11, true), packets.data(), packets.size(), 9);
  ASSERT_EQ(d.size(), 3u);
  for (size_t i = 0; i < d.size(); ++i) {
    EXPECT_EQ(d[i][6], 9);
    EXPECT_EQ(d[i][7], i + 1);
    EXPECT_EQ(d[i][8], 3);
  }
  EXPECT_EQ(d[0].size(), 1409u);
  EXPECT_EQ(d[2].size(), 9u + 208);
  EXPECT_TRUE(std::equal(packets.begin() + 2800, packets.end(), d[2].begin() + 9));
  EXPECT_EQ(FragmentDatagrams(MakeWriteRequest(0, 0, 0x14, false), nullptr, 0, 1).at(0).size(), 9u);
}

TEST(FragmentFraming, SequenceNumberCountsEveryMessage) {
  const uint8_t first = NextMessageSequence();
  std::set<uint8_t> seen{first};
  for (int i = 1; i < 256; ++i) seen.insert(NextMessageSequence());
  EXPECT_EQ(seen.size(), 256u);
  EXPECT_EQ(NextMessageSequence(), first);  // wraps after 256 messages
}

}  // namespace
}  // namespace quorvelin
