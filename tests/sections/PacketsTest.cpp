#include "sections/Packets.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace quorvelin {
namespace {

uint32_t BitwiseCrc(const std::vector<uint8_t>& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : bytes) {
    crc ^= uint32_t{b} << 24;
    for (int i = 0; i < 8; ++i) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

TEST(Crc32, AgreesWithBitwiseDefinitionAtEveryLength) {
  std::mt19937 rng(7);
  for (size_t n = 0; n < 70; ++n) {
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    EXPECT_EQ(Crc32Mpeg(bytes.data(), n), BitwiseCrc(bytes)) << n;
  }
}

TEST(Crc32, SectionWithItsCrcChecksToZero) {
  // Empty PAT of transport_stream_id 1: a known section from the field.
  std::vector<uint8_t> s = {0x00, 0xB0, 0x09, 0x00, 0x01, 0xC1, 0x00, 0x00};
  uint32_t crc = 0;
  CRC_crc32Calculate(s.data(), static_cast<int>(s.size()), &crc);
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(crc >> shift));
  EXPECT_EQ(Crc32Mpeg(s.data(), s.size()), 0u);
  uint32_t none = 1;
  CRC_crc32Calculate(s.data(), -3, &none);
  EXPECT_EQ(none, 0xFFFFFFFFu);
}

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> s(n);
  std::iota(s.begin(), s.end(), uint8_t{1});
  return s;
}

TEST(PacketizeSection, SectionOf183BytesFillsOnePacket) {
  const auto s = Counting(183);
  std::vector<uint8_t> out(376, 0xAA);
  ASSERT_EQ(PacketizeSection(s.data(), s.size(), 0x1FFF, out.data(), out.size()), 1);
  EXPECT_EQ(out[0], 0x47);
  EXPECT_EQ(out[1], 0x5F);
  EXPECT_EQ(out[2], 0xFF);
  EXPECT_EQ(out[3], 0x10);
  EXPECT_EQ(out[4], 0x00);
  EXPECT_TRUE(std::equal(s.begin(), s.end(), out.begin() + 5));
  EXPECT_EQ(out[188], 0xAA);  // nothing written behind the packet
}

TEST(PacketizeSection, SectionOf184BytesSpillsItsLastByteIntoASecondPacket) {
  const auto s = Counting(184);
  std::vector<uint8_t> out(376, 0xAA);
  ASSERT_EQ(PacketizeSection(s.data(), s.size(), 0x0100, out.data(), out.size()), 2);
  EXPECT_EQ(out[1], 0x41);
  const uint8_t* second = out.data() + 188;
  EXPECT_EQ(second[0], 0x47);
  EXPECT_EQ(second[1], 0x01);  // payload_unit_start_indicator 0
  EXPECT_EQ(second[2], 0x00);
  EXPECT_EQ(second[3], 0x11);  // continuity_counter 1
  EXPECT_EQ(second[4], s.back());
  for (int i = 5; i < 188; ++i) EXPECT_EQ(second[i], 0xFF) << i;
}

TEST(PacketizeSection, RefusesAnAreaTooSmall) {
  const auto s = Counting(400);
  std::vector<uint8_t> out(2 * 188, 0xAA);
  EXPECT_EQ(PacketizeSection(s.data(), s.size(), 0x11, out.data(), out.size()), 0);
  EXPECT_EQ(out[0], 0xAA);
  EXPECT_EQ(PacketsForSection(919), 5);
  EXPECT_EQ(PacketsForSection(920), 6);
}

TEST(CountPackets, StopsAtTheFirstNonSyncByteOrPartialPacket) {
  std::vector<uint8_t> area(188 * 3 + 100, 0xFF);
  area[0] = area[188] = area[376] = 0x47;
  EXPECT_EQ(CountPackets(area.data(), area.size()), 3 * 188u);
  EXPECT_EQ(CountPackets(area.data(), 3 * 188 - 1), 2 * 188u);
  area[188] = 0x00;
  EXPECT_EQ(CountPackets(area.data(), area.size()), 188u);
  EXPECT_EQ(CountPackets(area.data(), 0), 0u);
}

// A read reply: the 6-byte header with the packet byte count, then the section's packets (cut at
// the buffer end).
std::vector<uint8_t> Reply(const std::vector<uint8_t>& section, size_t bufferSize) {
  std::vector<uint8_t> buffer(bufferSize, 0xFF);
  const int n = PacketsForSection(section.size());
  std::vector<uint8_t> packets(static_cast<size_t>(n) * 188);
  PacketizeSection(section.data(), section.size(), 0x11, packets.data(), packets.size());
  buffer[4] = static_cast<uint8_t>(packets.size() >> 8);
  buffer[5] = static_cast<uint8_t>(packets.size());
  const size_t fits = std::min(packets.size(), bufferSize - 6);
  std::copy(packets.begin(), packets.begin() + static_cast<long>(fits), buffer.begin() + 6);
  return buffer;
}

TEST(UnpackPackets, OnePacketGivesThe183BytesBehindThePointerField) {
  const auto section = Counting(183);
  auto buffer = Reply(section, 4096);
  UnpackPacketsWithHeader(1, buffer.data(), buffer.size());
  EXPECT_TRUE(std::equal(section.begin(), section.end(), buffer.begin()));
  EXPECT_TRUE(std::all_of(buffer.begin() + 183, buffer.end(), [](uint8_t b) { return b == 0; }));
}

TEST(UnpackPackets, JoinsSeveralPacketsAndClearsTheRest) {
  const auto section = Counting(900);
  auto buffer = Reply(section, 2048);
  UnpackPacketsWithHeader(5, buffer.data(), buffer.size());
  EXPECT_TRUE(std::equal(section.begin(), section.end(), buffer.begin()));
  EXPECT_EQ(buffer[900], 0xFF);  // the filler of the last packet is section data as sent
  EXPECT_EQ(buffer[183 + 4 * 184], 0x00);
}

TEST(UnpackPackets, CountOfZeroLeavesAnAllZeroBuffer) {
  auto buffer = Reply(Counting(50), 512);
  UnpackPacketsWithHeader(0, buffer.data(), buffer.size());
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0; }));
}

TEST(UnpackPackets, ACountBeyondTheBufferTakesOnlyWholePacketsInside) {
  const auto section = Counting(500);  // 3 packets
  auto buffer = Reply(section, 6 + 2 * 188 + 50);
  UnpackPacketsWithHeader(300, buffer.data(), buffer.size());
  EXPECT_TRUE(std::equal(section.begin(), section.begin() + 183 + 184, buffer.begin()));
  EXPECT_TRUE(std::all_of(buffer.begin() + 367, buffer.end(), [](uint8_t b) { return b == 0; }));
  uint8_t tiny[4] = {1, 2, 3, 4};
  UnpackPacketsWithHeader(1, tiny, sizeof tiny);
  EXPECT_EQ(tiny[3], 0);
}

TEST(UnpackPackets, WithoutHeaderFillsTheRestWith0xFF) {
  const auto section = Counting(300);
  std::vector<uint8_t> area(1024, 0x00);
  PacketizeSection(section.data(), section.size(), 0x10, area.data(), area.size());
  UnpackPackets(2, area.data(), area.size());
  EXPECT_TRUE(std::equal(section.begin(), section.end(), area.begin()));
  EXPECT_TRUE(std::all_of(area.begin() + 367, area.end(), [](uint8_t b) { return b == 0xFF; }));
  UnpackPackets(-1, area.data(), area.size());
  EXPECT_TRUE(std::all_of(area.begin(), area.end(), [](uint8_t b) { return b == 0xFF; }));
}

}  // namespace
}  // namespace quorvelin
