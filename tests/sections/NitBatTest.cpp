// NIT and BAT: a record for every descriptor kind, names under the text code, the reading walk,
// what the builders write from the records and when they refuse, and lengths that lie.
#include "SectionTestSupport.h"

namespace quorvelin {
namespace {
using namespace testing;
using K = NodeKind;

class NitBat : public SectionTest {
 protected:
  bool Parse(const Bytes& s, int port = 1) {
    return (s[0] == 0x40 ? ParseNitSection : ParseBatSection)(tree, s.data(), s.size(), port);
  }
  std::vector<K> Kinds(Table table, K holder) const {
    std::vector<K> out;
    for (ItemHandle h = tree.GetChildItem(Find(1, table, holder)); h != kNoItem; h = tree.GetNextSiblingItem(h))
      out.push_back(tree.KindOf(h));
    return out;
  }
  // What the builder of `table` writes for `port` into an area of 0xFF; `result` tells how it went.
  Bytes Build(Table table, int port = 1) {
    Bytes area(204800, 0xFF);
    result = (table == Table::Nit ? BuildNit : BuildBat)(tree, port, area.data(), area.size());
    return area;
  }
  BuildResult result;
};

TEST_F(NitBat, EveryDescriptorKindGetsItsRecordAndIsBuiltBackToItsBytes) {
  // The network loop: name, linkage without and with private data, a linkage too short, service
  // list, a cable delivery out of place, another; the transport loop: cable, satellite and
  // terrestrial delivery with distinct values in every field (a low-priority stream with time
  // slicing and MPE-FEC), 10- and 14-bit logical channels, name, service list, another, and
  // delivery descriptors of an unexpected length.
  const Bytes nit = LoopSection(0x40, 0, 0,
                                Hex("4001 4e 4a07 0001 0002 0003 04 4a08 0001 0002 0003 04 09 4a02 0001 "
                                    "4103 000101 440b 0000000000000000000000 9901 ab"),
                                Stream(1, 2,
                                       Hex("440b 12345678 ff fd 04 9876543a 430b 01234567 1300 e9 02750007 "
                                           "5a0b 02d34440 43 53 8d ffffffff 8308 0001fc05 0002c7d0 4001 54 4103 000101 "
                                           "5f01 28 4402 0346 5a0c ffffffffffffffffffffffff")));
  const Bytes bat =
      LoopSection(0x4A, 0, 0, Hex("4701 42 4103 000101"), Stream(1, 2, Hex("4701 78 4106 000101 000202")));
  ASSERT_TRUE(Parse(nit) && Parse(bat));
  EXPECT_EQ(
      Kinds(Table::Nit, K::NitNetworkDescriptorList),
      (std::vector<K>{K::NitNetworkName, K::NitLinkageDescriptor, K::NitLinkageDescriptor, K::NitNetworkDescriptor,
                      K::NitServiceList, K::NitNetworkDescriptor, K::NitNetworkDescriptor}));
  EXPECT_EQ(Kinds(Table::Nit, K::NitTransportDescriptorList),
            (std::vector<K>{K::NitCableDelivery, K::NitSatelliteDelivery, K::NitTerrestrialDelivery,
                            K::NitLogicalChannels, K::NitTransportNetworkName, K::NitServiceList,
                            K::NitTransportDescriptor, K::NitTransportDescriptor, K::NitTransportDescriptor}));
  // In the BAT a bouquet name and a service list are known only in their own loops.
  EXPECT_EQ(Kinds(Table::Bat, K::BatBouquetDescriptorList), (std::vector<K>{K::BatBouquetName, K::BatDescriptor}));
  EXPECT_EQ(Kinds(Table::Bat, K::BatTransportDescriptorList), (std::vector<K>{K::BatDescriptor, K::BatServiceList}));
  ExpectLines(Branch(1, Table::Nit),
              {"descriptor_tag: 0x99\n      descriptor_length(byte): 1\n      descriptor_data(hex): ab\n",
               "FEC_outer: 0xd\n", "logical_channel_number: 0x5\n", "logical_channel_number: 0x7d0\n",
               "bandwidth: 6 MHz\n          priority: 0\n          Time_Slicing_indicator: 0\n"
               "          MPE-FEC_indicator: 0\n"});
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)), nit);
  EXPECT_EQ(SectionBytesOf(Build(Table::Bat)), bat);
  auto* satellite = RecordIn<SatelliteDelivery>(1, Table::Nit, K::NitSatelliteDelivery);
  satellite->flags = 5, satellite->modulation = 1;  // as the satellite page keeps them: flags apart from the code
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)).at(86), 0xC1);
}

TEST_F(NitBat, FirstLoopNamesAreDecodedUnderTheTextCodeAndKeptAsReceived) {
  SetTextCode(10);  // a leading 0x14 selects UCS-2: two Chinese characters; in a transport loop up to its zero byte
  const Bytes nit = LoopSection(0x40, 0, 0, Hex("4005 14 4e2d 56fd"), Stream(1, 2, Hex("4004 41420043")));
  ASSERT_TRUE(Parse(nit));
  SetTextCode(3);  // UTF-8
  const Bytes bat = LoopSection(0x4A, 0, 0, Hex("4705 5456 e4b8ad"));
  ASSERT_TRUE(Parse(bat));
  ExpectLines(
      Branch(1, Table::Nit) + Branch(1, Table::Bat),
      {"network_name: 中国\n", "(byte): 4\n          network_name: AB\n", "bouquet_name: TV中\n"});
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)), nit);
  EXPECT_EQ(SectionBytesOf(Build(Table::Bat)), bat);
}

// A NIT of 12 sections (about 11 KB) is read whole; a BAT of three bouquets, one of them given
// in reverse, is shown grouped by bouquet and built with each bouquet numbered from 0.
TEST_F(NitBat, ReadingWalksTheSectionsUpToTheLastOnePassingOverWhatCannotBeReadAndDumpsTheBuffer) {
  Bytes nits, bats;
  const Bytes full = Join({Descriptor(0x5F, Bytes(220, 1)), Descriptor(0x5F, Bytes(220, 2)),
                           Descriptor(0x5F, Bytes(220, 3)), Descriptor(0x5F, Bytes(220, 4))});
  for (uint8_t n = 0; n < 13; ++n)  // stuffing, and a pointer field, between the sections
    nits = Join({nits, LoopSection(0x40, n, 11, {}, Stream(n, 1, full)), {0xFF, 0x00}});
  for (uint8_t n = 0; n < 4; ++n)
    bats = Join({bats,
                 LoopSection(0x4A, n, 2),
                 {0xFF},
                 n < 2 ? LoopSection(0x4A, 1 - n, 1, {}, {}, 0x2002) : Bytes{},
                 n == 1 ? LoopSection(0x4A, 0, 0, {}, {}, 0x0303) : Bytes{}});
  ScriptedExchange device, silent, foreign, oversized;
  device.Queue(0x0010, Packetized(nits, 0x0010));
  device.Queue(0x0011, Packetized(bats, 0x0011));
  ASSERT_TRUE(ReadNit(tree, device, 2) && ReadBat(tree, device, 2) && device.requests.size() == 2);
  for (auto [r, expected] : {std::pair{device.requests[0], 0x100020}, {device.requests[1], 0x110021}})
    EXPECT_EQ(r.pid << 16 | r.selector << 8 | r.port << 4 | r.bat, expected);
  // 11 KB, its 12 sections read, none behind the last one; 6 BAT sections.
  EXPECT_EQ(nits.size() / 1000 << 8 | Sections(2, Table::Nit) << 4 | Sections(2, Table::Bat), 0xBC6);
  std::string bouquets;
  for (ItemHandle h = tree.GetChildItem(tree.Root(2, Table::Bat)); h != kNoItem; h = tree.GetNextSiblingItem(h))
    bouquets += tree.GetItemText(h).substr(8, tree.GetItemText(h).find(", v") - 8) + ";";
  EXPECT_EQ(bouquets,
            "0: bouquet_id: 0x1001;1: bouquet_id: 0x1001;2: bouquet_id: 0x1001;0: bouquet_id: 0x2002;"
            "1: bouquet_id: 0x2002;0: bouquet_id: 0x303;");
  ExpectLines(Branch(2, Table::Nit), {"Section 11:\n"});
  tree.DeleteItem(tree.ChildAt(tree.Root(2, Table::Bat), 0));  // bouquet 0x1001 keeps two sections
  const Bytes built = Build(Table::Bat, 2);
  EXPECT_EQ(Bytes(built.begin(), built.begin() + 5 * kPacketSize),
            Join({Packetized(LoopSection(0x4A, 0, 1), 0x11), Packetized(LoopSection(0x4A, 1, 1), 0x11),
                  Packetized(LoopSection(0x4A, 0, 1, {}, {}, 0x2002), 0x11),
                  Packetized(LoopSection(0x4A, 1, 1, {}, {}, 0x2002), 0x11),
                  Packetized(LoopSection(0x4A, 0, 0, {}, {}, 0x0303), 0x11)}));
  EXPECT_EQ(ReadFileBytes("cache/quorvelin/tables/nit.bin").size() << 20 |
                ReadFileBytes("cache/quorvelin/tables/bat.bin").size(),
            kNitBufferSize << 20 | kBatBufferSize);
  std::filesystem::remove_all("cache");
  EXPECT_FALSE(ReadNit(tree, silent, 1) || ReadBat(tree, silent, 1) || std::filesystem::exists("cache"));
  foreign.Queue(0x0010, Packetized(LoopSection(0x41, 0, 0), 0x0010));
  foreign.Queue(0x0011, Packetized(LoopSection(0x42, 0, 0), 0x0011));
  EXPECT_TRUE(ReadNit(tree, foreign, 1) && ReadBat(tree, foreign, 1) &&
              std::filesystem::exists("cache/quorvelin/tables/nit.bin"));
  const Bytes tooMany(kNitBufferSize + 1, 0x47);
  EXPECT_FALSE(ParseNitPackets(tree, tooMany.data(), tooMany.size(), 1));
  EXPECT_EQ(Sections(1, Table::Nit) + Sections(1, Table::Bat), 0);

  // A section past the 1024-byte parse buffer is passed over; one cut off by the end of the buffer is read with
  // zeros behind.
  Bytes streams;
  for (uint16_t ts = 1; ts <= 5; ++ts) streams = Join({streams, Stream(ts, 1, Descriptor(0x5F, Bytes(200, 0)))});
  const Bytes big = LoopSection(0x40, 0, 1, {}, streams), last = LoopSection(0x40, 1, 1);  // big: past 1024 bytes
  oversized.Queue(0x0010, Packetized(Join({big, Bytes(7, 0xFF), last}), 0x0010));
  ASSERT_TRUE(ReadNit(tree, oversized, 1));
  EXPECT_EQ(Branch(1, Table::Nit).substr(0, 11) + std::to_string(Sections(1, Table::Nit)), "Section 1:\n1");
  const Bytes first = LoopSection(0x40, 0, 1);
  Bytes cut = Join({first, LoopSection(0x40, 1, 1, {}, Stream(1, 2, Descriptor(0x5F, Bytes(40, 1))))});
  cut.resize(cut.size() - 30);  // the CRC_32 and the end of the descriptor are missing
  std::vector<Bytes> seen;
  const auto keep = [&](std::span<const uint8_t> s) { seen.emplace_back(s.begin(), s.end()); };
  WalkSections(cut, 0x40, keep);
  WalkSections(std::span<const uint8_t>(first.data(), 7), 0x40, keep);  // no header held whole: nothing
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], Join({Bytes(cut.begin() + 16, cut.end()), Bytes(kLoopParseBufferSize - (cut.size() - 16), 0)}));
}

TEST_F(NitBat, LoopsAreCutToTheWholeItemsInsideTheSectionAndBadSectionsAddNothing) {
  // A first loop whose last descriptor runs past the loop, its last two bytes then read as
  // transport_stream_loop_length; transport_descriptors_length past the section; a loop length past the CRC_32.
  Bytes s = LoopSection(0x40, 0, 0, Hex("5f02 0102 9903 010203"), Stream(7, 8, Hex("4103 000101 5f02 0102"))), t = s,
        u = s, tooLong(1100, 0xFF), tooShort = LoopSection(0x40, 0, 0);
  s[9] -= 2, s[17] = 0x00, s[18] = 0x0F;
  t[21 + 4] = 0xF0, t[21 + 5] = 0xFF;
  u[0] = 0x4A, u[19] = 0xFF, u[20] = 0xFF;
  ASSERT_TRUE(Parse(s, 1) && Parse(t, 2) && Parse(u, 1));
  ExpectLines(Branch(1, Table::Nit),
              {"  network_descriptors_length: 0x4\n  network_descriptors:\n    descriptor_tag: "
               "0x5f\n      descriptor_length(byte): 2\n      descriptor_data(hex): 01 02\n"
               "      private_data_specifier_descriptor: the bytes do not fit, shown in hex only\n  tr"});
  ExpectLines(Branch(2, Table::Nit),
              {"  transport_stream_loop_length: 0xf\n  transport_streams:\n    transport_stream_id"
               ": 0x7\n      original_network_id: 0x8\n      transport_descriptors_length: 0x9\n"});
  ExpectLines(Branch(1, Table::Bat), {"  transport_stream_loop_length: 0xf\n"});
  tooShort[2] = 12;  // below the 13 that the fixed fields and the CRC_32 take
  std::copy(u.begin() + 1, u.end() - 4, tooLong.begin() + 1);
  tooLong[0] = 0x40, tooLong[1] = 0xF4, tooLong[2] = 0x06;  // section_length 1030: past the 1024-byte parse buffer
  for (auto [bytes, size, port] : {std::tuple<const uint8_t*, size_t, int>{u.data(), u.size(), 1},  // not a NIT
                                   {s.data(), s.size() - 1, 1},  // shorter than section_length says
                                   {nullptr, 0, 1},
                                   {tooShort.data(), tooShort.size(), 1},
                                   {tooLong.data(), tooLong.size(), 1},
                                   {tooShort.data(), 16, 3}})
    EXPECT_FALSE(ParseNitSection(tree, bytes, size, port)) << size << " " << port;
  EXPECT_EQ(Sections(1, Table::Nit), 1);
}

TEST_F(NitBat, NitSectionsKeepTheirNumbersBatSectionsAreNumberedByPositionBothCountTheLast) {
  for (uint8_t n : {0, 1, 2}) Parse(LoopSection(0x40, n, 9, {}, Stream(n, 1, {})));
  for (uint8_t n : {5, 5, 9}) Parse(LoopSection(0x4A, n, 9));
  tree.RecordOf(tree.ChildAt(tree.Root(1, Table::Nit), 1))->As<LoopSectionHeader>()->section_number = 7;
  for (Table table : {Table::Nit, Table::Bat}) {
    const Bytes area = Build(table);
    EXPECT_EQ(result.count, 3);
    for (int i = 0; i < 3; ++i) {
      const Bytes packet(area.begin() + i * kPacketSize, area.begin() + (i + 1) * kPacketSize);
      const bool nit = table == Table::Nit;
      const Bytes expected =
          nit ? LoopSection(0x40, i == 1 ? 7 : 0 + i, 2, {}, Stream(i, 1, {})) : LoopSection(0x4A, i, 2);
      EXPECT_EQ(packet, Packetized(expected, nit ? 0x0010 : 0x0011)) << i;  // pointer_field 0, counter from 0
    }
    EXPECT_EQ(area[3 * kPacketSize], 0xFF);
  }
}

TEST_F(NitBat, NitGoesOnThePidOfThePatNetworkEntryWithLoopLengthsAsTheRecordsHoldThem) {
  Parse(LoopSection(0x40, 0, 0, {}, Stream(1, 2, Hex("5f04 00000028"))));
  EXPECT_EQ(NitPid(tree, 1), 0x0010);                                                              // no PAT section
  for (auto [entries, pid] : {std::pair{"0001 e100", 0x0010}, {"0001 e100 0000 e123", 0x0123}}) {  // network: 0
    const Bytes pat = WithCrc(Join({Hex("00 b000 0001 c1 00 00"), Hex(entries)}));
    tree.DeleteChildren(tree.Root(1, Table::Pat));
    ParsePatSection(tree, pat.data(), pat.size(), 1);
    EXPECT_EQ(NitPid(tree, 1), pid);
  }
  const Bytes area = Build(Table::Nit);
  EXPECT_EQ(area[1] << 8 | area[2], 0x4123);
  RecordIn<TransportStreamEntry>(1, Table::Nit, K::NitTransportStream)->transport_descriptors_length.set(0);
  auto* header = RecordIn<LoopSectionHeader>(1, Table::Nit, K::NitSection);
  header->transport_stream_loop_length.set(6);
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)), LoopSection(0x40, 0, 0, {}, Stream(1, 2, {})));
  header->transport_stream_loop_length.set(0);  // leaves out the whole loop, holder or not
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)), LoopSection(0x40, 0, 0));
}

TEST_F(NitBat, NothingIsBuiltWithoutSectionsOrPastTenPackets) {
  for (Table table : {Table::Nit, Table::Bat})
    EXPECT_TRUE(Build(table) == Bytes(204800, 0xFF) && !result.ok && result.error.empty());
  Bytes streams;  // seven streams of 263 bytes once their descriptors are 255 bytes long: 16 + 7 * 263 = 1857
  for (uint16_t ts = 0; ts < 7; ++ts) streams = Join({streams, Stream(ts, 1, Hex("5f01 00"))});
  Parse(LoopSection(0x40, 0, 0, {}, streams));
  const ItemHandle list = Find(1, Table::Nit, K::NitTransportStreamList);
  for (ItemHandle h = tree.GetChildItem(list); h != kNoItem; h = tree.GetNextSiblingItem(h))  // zero bytes up to it
    tree.RecordOf(tree.GetChildItem(tree.FindDirectChildOfKind(h, K::NitTransportDescriptorList)))
        ->As<GenericDescriptor>()
        ->length = 255;
  EXPECT_EQ(Build(Table::Nit), Bytes(204800, 0xFF));
  EXPECT_EQ(result.error,
            "NIT section too long: 1857 bytes, the limit is 1839 bytes (ten packets); the table was not written.");
  tree.DeleteItem(tree.ChildAt(list, 6));
  EXPECT_EQ(SectionBytesOf(Build(Table::Nit)).size(), 16u + 6 * 263);  // nine packets
}

}  // namespace
}  // namespace quorvelin
