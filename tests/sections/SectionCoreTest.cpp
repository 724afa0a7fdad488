// What every table shares: CRC_32, the packet framing both ways, the section writer and reader;
// and the real captures, each once: read as the device delivers them, shown, and built back to
// the same packets.
#include "SectionTestSupport.h"

namespace quorvelin {
namespace {
using namespace testing;

TEST(Crc32, KnownAnswers) {
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};  // the CRC-32/MPEG-2 check value
  uint32_t none = 1;
  CRC_crc32Calculate(check, -3, &none);
  EXPECT_EQ(Crc32Mpeg(check, sizeof check), 0x0376E6E7u);
  EXPECT_EQ(none, 0xFFFFFFFFu);
}

TEST(Packets, ASectionIsCutIntoPacketsOfItsPid) {
  for (auto [n, packets] : {std::pair{183, 1}, {184, 2}, {367, 2}, {368, 3}, {919, 5}, {920, 6}})
    EXPECT_EQ(PacketsForSection(static_cast<size_t>(n)), packets) << n;
  Bytes s(184), out(3 * kPacketSize, 0xAA);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(PacketizeSection(s.data(), s.size(), 0x1ABC, out.data(), out.size()), 2);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), Hex("47 5abc 10 00 01"));
  EXPECT_EQ(Bytes(out.begin() + 188, out.end()), Join({Hex("47 1abc 11 b8"), Bytes(183, 0xFF), Bytes(188, 0xAA)}));
  EXPECT_EQ(PacketizeSection(s.data(), s.size(), 0x11, out.data(), 375), 0);
  EXPECT_EQ(CountPackets(out.data(), out.size()) << 16 | CountPackets(out.data(), 375), 376u << 16 | 188u);
  out[188] = 0;
  EXPECT_EQ(CountPackets(out.data(), out.size()), 188u);
}

TEST(Packets, UnpackingJoinsTheWholePacketsInsideTheBufferAndFillsTheRest) {
  Bytes section(500);  // three packets
  for (size_t i = 0; i < section.size(); ++i) section[i] = static_cast<uint8_t>(i * 7 + 1);
  const Bytes packets = Packetized(section, 0x11);
  // Each row: the 6-byte reply header first (the rest of the buffer then cleared, else filled with
  // 0xFF), packets to unpack, bytes of the buffer, payload bytes recovered.
  const size_t rows[][4] = {{1, 3, 4096, 551}, {1, 1, 4096, 183}, {1, 0, 512, 0},    {1, 300, 432, 367},
                            {1, 1, 4, 0},      {0, 3, 1024, 551}, {0, 2, 1024, 367}, {0, size_t(-1), 600, 0}};
  for (auto [withHeader, count, size, joined] : rows) {
    Bytes buffer(size, 0x33);
    std::copy_n(packets.begin(), std::min(packets.size(), size > 6 * withHeader ? size - 6 * withHeader : 0),
                buffer.begin() + 6 * withHeader);
    (withHeader ? UnpackPacketsWithHeader : UnpackPackets)(static_cast<int>(count), buffer.data(), buffer.size());
    const size_t data = std::min<size_t>(joined, 500);
    EXPECT_EQ(buffer, Join({Bytes(section.begin(), section.begin() + data), Bytes(joined - data, 0xFF),
                            Bytes(size - joined, withHeader ? 0x00 : 0xFF)}))
        << count << " " << size;
  }
}

TEST(SectionWriter, ReservedBitsAreOnesAndFieldsKeepTheirWidths) {
  SectionWriter w(64);
  w.WriteHeader({0x42, 0, 0xFFFF, 0xFF, 0xFF, 1, 2}, kFixedBits70);
  w.Pid13(0xFFFF);
  w.Pid13(0x0010);
  w.Length12(0x0ABC);
  w.Padded({1, 2}, 4);
  ASSERT_TRUE(w.Finish());
  EXPECT_EQ(Bytes(w.data(), w.data() + w.size()), WithCrc(Hex("42 7000 ffff ff 01 02 ffff e010 fabc 0102 0000")));
  Bytes area(1024, 0xFF);
  EXPECT_EQ(WritePackets(w, 0x0001, area.data(), 187), 0);
  EXPECT_EQ(area[0], 0xFF);
}

TEST_F(SectionTest, TheCommonHeaderIsShownAndNothingPastTheReceivedBytesIsRead) {
  const Bytes bytes = Hex("02 b00b 1234 d5 01 02 e100 12345678");
  const SectionBytes s(bytes.data(), bytes.size());
  const SectionFields f = ReadSectionFields(s);
  const ItemHandle item = tree.InsertItem("Section 0:", kImageSection, tree.Root(1, Table::Pmt));
  AddSectionFieldLines(tree, item, f, "program_number");
  AddCrcLine(tree, item, s, f);
  EXPECT_EQ(DumpTree(tree, item),
            "Section 0:\n  table_id: 0x2\n  section_syntax_indicator: 0x1\n  section_length: 0xb\n"
            "  program_number: 0x1234\n  version_number: 0xa\n  current_next_indicator: 0x1\n"
            "  section_number: 0x1\n  last_section_number: 0x2\n  CRC_32: 0x12345678 (CRC error)\n");
  const SectionBytes cut(bytes.data(), 3);
  EXPECT_EQ(cut.U16(2) << 16 | cut.U32(100) | cut.Has(2, 2), 0x0B000000u);
  const uint8_t loop[] = {0x09, 0x01, 0xAA, 0x0A, 0x00, 0x48, 0x05, 1, 2};  // the third runs past the bytes
  std::vector<size_t> seen;
  ForEachDescriptor(SectionBytes(loop, sizeof loop), 0, 100, [&](size_t at, uint8_t, uint8_t) { seen.push_back(at); });
  EXPECT_EQ(seen, (std::vector<size_t>{0, 3}));
  // Dump files: tables/ made in the user's cache folder, an earlier file replaced, the working
  // directory left alone unless a dump directory was chosen.
  const uint8_t a[] = {1, 2, 3}, b[] = {9};
  EXPECT_TRUE(WriteDumpFile("sdt0.bin", a, sizeof a) && WriteDumpFile("sdt0.bin", b, sizeof b));
  EXPECT_EQ(ReadFileBytes("cache/quorvelin/tables/sdt0.bin"), Bytes{9});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
  SetDumpDirectory("chosen");
  EXPECT_TRUE(WriteDumpFile("nit.bin", b, sizeof b) && std::filesystem::exists("chosen/nit.bin"));
  SetDumpDirectory("");
}

TEST_F(SectionTest, RealCapturesAreShownAndBuiltBackToTheSamePackets) {
  ScriptedExchange device;
  for (const char* file : {"pat_r4", "cat_r3", "sdt_r3", "nit_tntv23", "bat_tvnum"})  // PID from the packet
    device.Queue(static_cast<uint16_t>((SamplePackets(file)[1] & 0x1F) << 8 | SamplePackets(file)[2]),
                 SamplePackets(file));
  device.Queue(0x0014, Join({SamplePackets("tdt_tnt"), SamplePackets("tot_tnt")}));  // the TOT behind the TDT
  const Bytes pmt = SampleSection("pmt_planete");
  PmtReadState state;
  ASSERT_EQ(ReadPat(tree, device, 2) + ParsePmtSections(tree, pmt.data(), pmt.size(), 1, 0x503, state), 9);
  ASSERT_TRUE(ReadCat(tree, device, 1) && ReadSdt(tree, device, 1));
  ASSERT_TRUE(ReadNit(tree, device, 1) && ReadBat(tree, device, 1));
  ASSERT_TRUE(ReadTdt(tree, device, 2) && ReadTot(tree, device, 2));
  EXPECT_EQ(FormatDateTime(tree.utcTime[0], "%H:%M:%S"), "13:25:03");  // the TDT's time, whichever port was read
  ExpectLines(DumpTree(tree),
              {"programs:8\n        program_number: 0x0 (0) => PID: 0x10 (16)\n",
               "descriptor_length: 0x11\n          descriptor_data\n",
               "CA_system_ID: 0x100\n            CA_PID: 0xc1\n            descriptor_data(hex): 03 e0 c2",
               "program_number: 0x304 (772) => PID: 0x503 (1283)\n", "service_name: CANAL+\n",
               "PCR_PID: 0xa3\n        program_info_length: 0x7 (7)\n        program_info_descriptors\n",
               "stream_type: 0x1b\n            elementary_PID: 0xa3 (163)\n            ES_info_length: 0x2b",
               "descriptor_tag: 0x52\n                descriptor_length(byte): 1\n",
               // Latin-1 without a selector, read as text code 0 reads it (CP936)
               "network_name: r\u959f" "eau num\u959e" "ique terrestre fran\u93f0" "is\n",
               "centre_frequency: 42949672950 Hz\n",
               "linkage_type(byte): 0x9(9)\n          private_data\n             04 00 01 5a 00\n",
               "code_rate-HP_stream: reserved (7)\n", "bouquet_name: Tv Num\u959e" "ic\n", "descriptor_data(hex): 4a dc\n",
               "service_id: 0x304\n                service_type: 0x1\n", "UTC_time: 2007-11-23 13:25:14\n"});
  EXPECT_EQ(ReadFileBytes("cache/quorvelin/tables/sdt0.bin").size(), kSdtReadBuffer);

  tree.utcTime[1] = tree.TotRecordOf(tree.GetChildItem(tree.Root(2, Table::Tot)))->utc_time;
  using Build = BuildResult (*)(TableTreeCtrl&, int, uint8_t*, size_t);
  const Build builds[] = {BuildPat, BuildCat, BuildPmts, BuildSdt, BuildNit, BuildBat, BuildTot};
  const char* files[] = {"pat_r4", "cat_r3", "pmt_planete", "sdt_r3", "nit_tntv23", "bat_tvnum", "tot_tnt"};
  for (size_t i = 0; i < std::size(files); ++i) {
    Bytes expected = SamplePackets(files[i]), area(204800, 0xFF);
    for (size_t at = 0; at < expected.size(); at += kPacketSize)  // the counter starts at 0 with each section
      expected[at + 3] = static_cast<uint8_t>(0x10 | at / kPacketSize);
    const BuildResult built = builds[i](tree, i == 0 || i == 6 ? 2 : 1, area.data(), area.size());
    ASSERT_TRUE(built.ok) << files[i] << built.error;
    const uint8_t after = i == 0 || i == 1 ? 0x00 : 0xFF;  // the PAT and CAT clear the whole area
    EXPECT_EQ(Bytes(area.begin(), area.begin() + static_cast<long>(expected.size()) + 1), Join({expected, {after}}))
        << files[i];
  }
}

}  // namespace
}  // namespace quorvelin
