#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sections/DumpFiles.h"
#include "sections/Packets.h"
#include "sections/SectionReader.h"
#include "sections/SectionWriter.h"

namespace quorvelin {
namespace {

TEST(SectionWriter, EmptyPatIsTwelveBytesWithSectionLengthNine) {
  SectionWriter w(kOnePacketSection);
  w.WriteHeader({0x00, 1, 0x0001, 3, 1, 0, 0}, kFixedBits30);
  ASSERT_TRUE(w.Finish());
  ASSERT_EQ(w.size(), 12u);
  const std::vector<uint8_t> head(w.data(), w.data() + 8);
  EXPECT_EQ(head, (std::vector<uint8_t>{0x00, 0xB0, 0x09, 0x00, 0x01, 0xC7, 0x00, 0x00}));
  EXPECT_EQ(Crc32Mpeg(w.data(), w.size()), 0u);
}

TEST(SectionWriter, ReservedBitsAreOnesAndFieldsKeepTheirWidth) {
  SectionWriter w(64);
  w.WriteHeader({0x42, 0, 0xFFFF, 0xFF, 0xFF, 1, 2}, kFixedBits70);
  w.Pid13(0xFFFF);
  w.Pid13(0x0010);
  w.Length12(0x0ABC);
  w.Padded({1, 2}, 4);
  ASSERT_TRUE(w.Finish());
  const std::vector<uint8_t> got(w.data(), w.data() + 18);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x42, 0x70, 0x13, 0xFF, 0xFF, 0xFF, 1, 2, 0xFF, 0xFF, 0xE0, 0x10, 0xFA, 0xBC,
                                       1, 2, 0, 0}));
}

TEST(SectionWriter, RefusesToGrowPastItsLimitAndNamesTheSize) {
  SectionWriter w(kOnePacketSection);
  w.WriteHeader({}, kFixedBits30);
  for (int i = 0; i < 43; ++i) w.U16(0x1234), w.Pid13(0x100);
  EXPECT_FALSE(w.Finish());  // the loop fits, its CRC_32 does not
  EXPECT_LE(w.size(), kOnePacketSection);
  EXPECT_EQ(w.needed(), 8u + 43 * 4 + 4);
  EXPECT_EQ(SectionTooLongMessage("PAT", w, "one packet, 42 programs"),
            "PAT section too long: 184 bytes, the limit is 183 bytes (one packet, 42 programs); the table was not "
            "written.");

  SectionWriter exact(kOnePacketSection);
  exact.WriteHeader({}, kFixedBits30);
  for (int i = 0; i < 42; ++i) exact.U16(1), exact.Pid13(2);
  EXPECT_TRUE(exact.Finish());
  EXPECT_EQ(exact.size(), 180u);

  SectionWriter loopTooLong(12);
  loopTooLong.WriteHeader({}, kFixedBits30);
  for (int i = 0; i < 6; ++i) loopTooLong.U8(0);
  EXPECT_TRUE(loopTooLong.overflowed());
  EXPECT_FALSE(loopTooLong.Finish());
  EXPECT_EQ(loopTooLong.needed(), 18u);
}

TEST(SectionWriter, WritePacketsClearsTheAreaAndRefusesASmallOne) {
  SectionWriter w(kFivePacketSection);
  w.WriteHeader({0x01, 1, 0xFFFF, 0, 1, 0, 0}, kFixedBits30);
  ASSERT_TRUE(w.Finish());
  std::vector<uint8_t> area(1024, 0xFF);
  ASSERT_EQ(WritePackets(w, 0x0001, area.data(), area.size()), 1);
  EXPECT_EQ(area[5], 0x01);
  EXPECT_EQ(area[5 + 12], 0xFF);  // packet filler
  EXPECT_EQ(area[188], 0x00);     // rest of the area
  EXPECT_EQ(WritePackets(w, 0x0001, area.data(), 100), 0);
}

TEST(SectionReader, ReadsTheCommonHeaderAndTheCrcAsSent) {
  const uint8_t bytes[] = {0x02, 0xB0, 0x0B, 0x12, 0x34, 0xD5, 0x01, 0x02, 0xE1, 0x00, 0x12, 0x34, 0x56, 0x78};
  const SectionBytes s(bytes, sizeof bytes);
  const SectionFields f = ReadSectionFields(s);
  EXPECT_EQ(f.section_length, 0x0B);
  EXPECT_EQ(f.version_number, 0x0A);
  EXPECT_EQ(f.current_next_indicator, 1);
  TableTreeCtrl tree;
  tree.BuildRoots();
  const ItemHandle item = tree.InsertItem("Section 0:", kImageSection, tree.Root(1, Table::Pmt));
  AddSectionFieldLines(tree, item, f, "program_number");
  AddCrcLine(tree, item, s, f);
  EXPECT_EQ(DumpTree(tree, item),
            "Section 0:\n  table_id: 0x2\n  section_syntax_indicator: 0x1\n  section_length: 0xb\n"
            "  program_number: 0x1234\n  version_number: 0xa\n  current_next_indicator: 0x1\n"
            "  section_number: 0x1\n  last_section_number: 0x2\n  crc_32: 0x12345678 (CRC error)\n");
  PatSectionHeader r;
  StoreSectionFields(f, r);
  EXPECT_EQ(r.version(), 0x0A);
  EXPECT_EQ(r.cni(), 1);
  EXPECT_EQ(r.section_length.get(), 0x0B);
}

TEST(SectionReader, NeverReadsPastTheReceivedBytes) {
  const uint8_t bytes[] = {0x00, 0xBF, 0xFF, 0x00, 0x01, 0x02, 0x03};
  const SectionBytes s(bytes, 3);
  EXPECT_EQ(s.U16(2), 0xFF00);
  EXPECT_EQ(s.U32(100), 0u);
  EXPECT_FALSE(s.Has(2, 2));
  EXPECT_TRUE(s.Copy(1, 5).empty());
  const SectionFields f = ReadSectionFields(s);
  EXPECT_EQ(f.section_length, 0xFFF);
  EXPECT_EQ(LoopEnd(s, f), 3u);
  EXPECT_EQ(ReadSectionFields(SectionBytes(nullptr, 10)).table_id, 0);
}

TEST(SectionReader, DescriptorsMustLieWhollyInTheirLoop) {
  const uint8_t loop[] = {0x09, 0x01, 0xAA, 0x0A, 0x00, 0x48, 0x05, 1, 2};
  std::vector<std::pair<size_t, uint8_t>> seen;
  ForEachDescriptor(SectionBytes(loop, sizeof loop), 0, 100, [&](size_t at, uint8_t tag, uint8_t) {
    seen.emplace_back(at, tag);
  });
  EXPECT_EQ(seen, (std::vector<std::pair<size_t, uint8_t>>{{0, 0x09}, {3, 0x0A}}));
}

TEST(DumpFiles, CreatesTheDirectoryAndReplacesTheFile) {
  const auto dir = std::filesystem::temp_directory_path() / "quorvelin_dump_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const uint8_t a[] = {1, 2, 3}, b[] = {9};
  EXPECT_TRUE(WriteDumpFile("sdt0.bin", a, sizeof a));
  EXPECT_TRUE(WriteDumpFile("sdt0.bin", b, sizeof b));
  EXPECT_EQ(std::filesystem::file_size(dir / "tables" / "sdt0.bin"), 1u);
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorvelin
