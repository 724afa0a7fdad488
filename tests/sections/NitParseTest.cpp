#include <gtest/gtest.h>

#include <filesystem>

#include "NitBatSupport.h"
#include "sections/LoopSections.h"
#include "sections/NitSections.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {
using namespace testing;

class NitParse : public ::testing::Test {
 protected:
  void SetUp() override { BuildTwoPorts(tree); }

  ItemHandle Root(int port = 1) const { return tree.Root(port, Table::Nit); }
  ItemHandle Section(int n = 0, int port = 1) const { return Child(tree, Root(port), n); }
  // Parses one hand-made section of a single transport stream and returns that stream's
  // descriptor holder.
  ItemHandle StreamDescriptors(const Bytes& descriptors) {
    const Bytes s = TestSection().Stream(1, 2, descriptors).Make();
    EXPECT_TRUE(ParseNitSection(tree, s.data(), s.size(), 1));
    const ItemHandle list = tree.FindDirectChildOfKind(Section(), NodeKind::NitTransportStreamList);
    return tree.FindDirectChildOfKind(Child(tree, list, 0), NodeKind::NitTransportDescriptorList);
  }

  TableTreeCtrl tree;
  ScratchDirectory dir;
};

TEST_F(NitParse, RealCaptureFromATableFile) {
  const Bytes packets = SamplePackets("nit_tntv23");
  ASSERT_EQ(ReadNit(tree, 1, packets.size(), packets.data()), 1);
  ASSERT_EQ(tree.ChildCount(Root()), 1);
  const ItemHandle section = Section();
  EXPECT_EQ(tree.GetItemText(section), "SECTION:0");
  EXPECT_EQ(tree.KindOf(section), NodeKind::NitSection);
  const auto* h = tree.RecordOf(section)->As<LoopSectionHeader>();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->id, 0x20FA);
  EXPECT_EQ(h->descriptors_length.get(), 0x87);
  EXPECT_EQ(h->transport_stream_loop_length.get(), 0x33A);

  const std::string text = Subtree(tree, section);
  // Header, the Latin-1 network name shown as received (text code 0) and the first linkage.
  const std::string head =
      "SECTION:0\n"
      "  table_id: 0x40\n"
      "  section_syntax_indicator: 0x1\n"
      "  section_length: 0x3ce\n"
      "  network_id: 0x20fa\n"
      "  version_number: 0x17\n"
      "  current_next_indicator: 0x1\n"
      "  section_number: 0x0\n"
      "  last_section_number: 0x0\n"
      "  network_descriptors_length: 0x87\n"
      "  network_descriptors:\n"
      "    descriptor_tag: 0x40 =>network_name_descriptor\n"
      "      descriptor_length(byte): 35\n"
      "      network_name: r\xe9seau num\xe9rique terrestre fran\xe7"
      "ais\n"
      "    descriptor_tag: 0x4a =>link_age_descriptor\n"
      "      descriptor_length(byte): 12\n"
      "      transport_stream_id(byte): 0x1(1)\n"
      "      original_network_id(byte): 0x20fa(8442)\n"
      "      service_id(byte): 0x1ff(511)\n"
      "      link_type(byte): 0x9(9)\n"
      "      private_data\n"
      "         04 00 01 5a 00\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  // The terrestrial descriptors carry 0xFFFFFFFF as centre_frequency and code rate 7.
  EXPECT_NE(text.find("        descriptor_tag: 0x5a =>terrestrial_delivery_system_descriptor\n"
                      "          descriptor_length(byte): 11\n"
                      "          centre_frequency: -10 HZ\n"
                      "          band_width: 8MHz\n"
                      "          constellation: 64QAM\n"
                      "          hierarchy_information: NO\n"
                      "          code_rate_HPstream: reserved (7)\n"
                      "          code_rate_LPstream: 1/2\n"
                      "          guard_interval: 1/32\n"
                      "          transmission_mode: 8K\n"
                      "          other_frequency_flag: 0\n"),
            std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 21), "  crc_32: 0x33acef7f\n");

  // Seven linkages in the network loop, seven transport streams with four descriptors each.
  const ItemHandle network = tree.FindDirectChildOfKind(section, NodeKind::NitNetworkDescriptorList);
  EXPECT_EQ(tree.ChildCount(network), 8);
  const ItemHandle streams = tree.FindDirectChildOfKind(section, NodeKind::NitTransportStreamList);
  ASSERT_EQ(tree.ChildCount(streams), 7);
  for (int i = 0; i < 7; ++i) {
    const ItemHandle list = tree.FindDirectChildOfKind(Child(tree, streams, i), NodeKind::NitTransportDescriptorList);
    ASSERT_EQ(tree.ChildCount(list), 4) << i;
    EXPECT_EQ(tree.KindOf(Child(tree, list, 0)), NodeKind::NitTransportDescriptor);
    EXPECT_EQ(tree.KindOf(Child(tree, list, 1)), NodeKind::NitLogicalChannels);
    EXPECT_EQ(tree.KindOf(Child(tree, list, 2)), NodeKind::NitServiceList);
    EXPECT_EQ(tree.KindOf(Child(tree, list, 3)), NodeKind::NitTerrestrialDelivery);
  }
  EXPECT_EQ(std::filesystem::file_size("tables/nit.bin"), kNitBufferSize);
}

TEST_F(NitParse, DeliveryDescriptorsShowTheirValues) {
  const Bytes cable = Descriptor(0x44, {0x03, 0x46, 0x00, 0x00, 0xFF, 0xF2, 0x03, 0x00, 0x68, 0x75, 0x0F});
  const Bytes satellite = Descriptor(0x43, {0x01, 0x17, 0x50, 0x00, 0x01, 0x92, 0xC1, 0x02, 0x75, 0x00, 0x03});
  const Bytes terrestrial = Descriptor(0x5A, {0x02, 0xD3, 0x44, 0x40, 0x3F, 0x80, 0x02, 0xFF, 0xFF, 0xFF, 0xFF});
  const ItemHandle list = StreamDescriptors(Join({cable, satellite, terrestrial}));
  ASSERT_EQ(tree.ChildCount(list), 3);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 0)),
            "descriptor_tag: 0x44 =>cable_delivery_system_descriptor\n"
            "  descriptor_length(byte): 11\n"
            "  frequency: 346.0000 mhz\n"
            "  FEC_outer: 0x2\n"
            "  modulation: 0x3\n"
            "  symbol_rate: 6.8750 msymbol/s\n"
            "  FEC_inner: 0xf\n");
  EXPECT_EQ(Subtree(tree, Child(tree, list, 1)),
            "descriptor_tag: 0x43 =>satellite_delivery_system_descriptor\n"
            "  descriptor_length(byte): 11\n"
            "  frequency: 11.75000 Ghz\n"
            "  orbital_position: 19.2 degree\n"
            "  west_east_flag: 0x1\n"
            "  polarization: 0x2\n"
            "  modulation: 0xc1\n"
            "  symbol_rate: 27.5000 msymbol/s\n"
            "  FEC_inner: 0x3\n");
  EXPECT_EQ(Subtree(tree, Child(tree, list, 2)),
            "descriptor_tag: 0x5a =>terrestrial_delivery_system_descriptor\n"
            "  descriptor_length(byte): 11\n"
            "  centre_frequency: 474000000 HZ\n"
            "  band_width: 7MHz\n"
            "  constellation: 64QAM\n"
            "  hierarchy_information: NO\n"
            "  code_rate_HPstream: 1/2\n"
            "  code_rate_LPstream: 1/2\n"
            "  guard_interval: 1/32\n"
            "  transmission_mode: 8K\n"
            "  other_frequency_flag: 0\n");

  const auto* c = tree.RecordOf(Child(tree, list, 0))->As<CableDelivery>();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->symbol_rate, (std::array<uint8_t, 4>{0x00, 0x68, 0x75, 0x00}));  // FEC_inner kept apart
  EXPECT_EQ(c->fec_inner, 0x0F);
  const auto* s = tree.RecordOf(Child(tree, list, 1))->As<SatelliteDelivery>();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->flags, 0x05);       // west_east_flag 1, polarization 2
  EXPECT_EQ(s->modulation, 0xC1);  // the byte as received
  const auto* t = tree.RecordOf(Child(tree, list, 2))->As<TerrestrialDelivery>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->centre_frequency, 47400000u);
  EXPECT_EQ(t->bandwidth(), 1);
  EXPECT_EQ(t->constellation(), 2);
  EXPECT_EQ(t->transmission_mode(), 1);
}

TEST(NitTerrestrialText, CodesWithoutANameShowTheirNumber) {
  TerrestrialDelivery t;
  t.a = 3 << 3 | 4 << 5 | 5;  // bandwidth 5, constellation 3, hierarchy 4
  t.b = 5 | 6 << 3 | 3 << 6;  // code rates 5 and 6, guard 1/4
  t.c = 2 | 1 << 2;           // transmission_mode 2, other_frequency_flag 1
  const std::vector<std::string> lines = TerrestrialDeliveryLines(t);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"centre_frequency: 0 HZ", "band_width: 7MHz", "constellation: reserved (3)",
                                      "hierarchy_information: reserved (4)", "code_rate_HPstream: reserved (5)",
                                      "code_rate_LPstream: reserved (6)", "guard_interval: 1/4",
                                      "transmission_mode: reserved (2)", "other_frequency_flag: 1"}));
  t.a = 3 << 5;
  t.c = 3;
  EXPECT_EQ(TerrestrialDeliveryLines(t)[3], "hierarchy_information: @=4");
  EXPECT_EQ(TerrestrialDeliveryLines(t)[7], "transmission_mode: reserved (3)");
}

TEST(NitDeliveryBytes, RecordsGiveBackTheSectionBytes) {
  // Every reserved bit set, as builders write them, and every field at an unusual value.
  const std::array<uint8_t, 11> cable{0x12, 0x34, 0x56, 0x78, 0xFF, 0xF5, 0x04, 0x98, 0x76, 0x54, 0x3A};
  const std::array<uint8_t, 11> satellite{0x01, 0x23, 0x45, 0x67, 0x13, 0x00, 0xE9, 0x02, 0x75, 0x00, 0x07};
  for (int b6 = 0; b6 < 8; ++b6) {
    for (int b7 = 0; b7 < 256; b7 += 7) {
      for (int b8 = 0; b8 < 256; ++b8) {
        const std::array<uint8_t, 11> t{0xFF,
                                        0x00,
                                        0x12,
                                        0x34,
                                        static_cast<uint8_t>(b6 << 5 | 0x1F),
                                        static_cast<uint8_t>(b7),
                                        static_cast<uint8_t>(b8),
                                        0xFF,
                                        0xFF,
                                        0xFF,
                                        0xFF};
        ASSERT_EQ(TerrestrialDeliveryBytes(TerrestrialDeliveryFromBytes(t)), t) << b6 << " " << b7 << " " << b8;
      }
    }
  }
  EXPECT_EQ(CableDeliveryBytes(CableDeliveryFromBytes(cable)), cable);
  EXPECT_EQ(SatelliteDeliveryBytes(SatelliteDeliveryFromBytes(satellite)), satellite);
}

TEST_F(NitParse, LogicalChannelsNamesAndOtherDescriptors) {
  const Bytes lcn = Descriptor(0x83, {0x00, 0x01, 0xFC, 0x05, 0x00, 0x02, 0x7C, 0x0A, 0x00});
  const Bytes name = Descriptor(0x40, {'A', 'B', 0x00, 'C'});
  const Bytes services = Descriptor(0x41, {0x00, 0x10, 0x01, 0x00, 0x11, 0x02, 0x07});
  const Bytes privateData = Descriptor(0x5F, {0x00, 0x00, 0x00, 0x28});
  const ItemHandle list = StreamDescriptors(Join({lcn, name, services, privateData}));
  ASSERT_EQ(tree.ChildCount(list), 4);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 0)),
            "descriptor_tag: 0x83 =>logical_channel_number_descriptor\n"
            "  descriptor_length(byte): 9\n"
            "  Service_list\n"
            "    service_id: 0x1\n"
            "    is_service_visible: TRUE\n"
            "    logical_channel_number: 5\n"
            "  Service_list\n"
            "    service_id: 0x2\n"
            "    is_service_visible: FALSE\n"
            "    logical_channel_number: a\n");
  EXPECT_EQ(tree.GetItemImage(Child(tree, Child(tree, list, 0), 1)), kNoImage);  // "Service_list" has no icon
  EXPECT_EQ(tree.RecordOf(Child(tree, list, 0))->As<EntryListDescriptor>()->entries.size(), 9u);
  // A transport-loop name shows its bytes up to the first zero byte.
  EXPECT_EQ(Subtree(tree, Child(tree, list, 1)),
            "descriptor_tag: 0x40 =>network_name_descriptor\n  descriptor_length(byte): 4\n  network_name: AB\n");
  EXPECT_EQ(tree.KindOf(Child(tree, list, 1)), NodeKind::NitTransportNetworkName);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 2)),
            "descriptor_tag: 0x41 =>network_service_list_descriptor\n"
            "  descriptor_length(byte): 7\n"
            "  Service_list\n    service_id: 0x10\n    service_type: 0x1\n"
            "  Service_list\n    service_id: 0x11\n    service_type: 0x2\n");
  EXPECT_EQ(Subtree(tree, Child(tree, list, 3)),
            "descriptor_tag: 0x5f\n  descriptor_length(byte): 4\n  descriptor_data(hex): 00 00 00 28\n");
}

TEST_F(NitParse, NetworkLoopDecodesNamesAndKeepsOtherDescriptorsAsHex) {
  const Bytes name = Descriptor(0x40, {0x14, 0x4E, 0x2D, 0x56, 0xFD});  // selector 0x14 + UCS-2 "中国"
  const Bytes linkage = Descriptor(0x4A, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x04});
  const Bytes services = Descriptor(0x41, {0x00, 0x10, 0x01});
  const Bytes other = Descriptor(0x99, {0xAB});
  const Bytes cableHere = Descriptor(0x44, Bytes(11, 0));  // delivery descriptors belong to the transport loop
  const Bytes s = TestSection().First(Join({name, linkage, services, other, cableHere})).Make();
  SetTextCode(10);
  ASSERT_TRUE(ParseNitSection(tree, s.data(), s.size(), 2));
  SetTextCode(0);
  const ItemHandle list = tree.FindDirectChildOfKind(Section(0, 2), NodeKind::NitNetworkDescriptorList);
  ASSERT_EQ(tree.ChildCount(list), 5);
  EXPECT_EQ(tree.GetItemText(Child(tree, Child(tree, list, 0), 1)), "network_name: \xd6\xd0\xb9\xfa");
  const auto* n = tree.RecordOf(Child(tree, list, 0))->As<NameDescriptor>();
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->length, 5);
  EXPECT_EQ(n->name[0], 0x14);
  EXPECT_EQ(n->name[5], 0);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 1)),
            "descriptor_tag: 0x4a =>link_age_descriptor\n  descriptor_length(byte): 7\n"
            "  transport_stream_id(byte): 0x1(1)\n  original_network_id(byte): 0x2(2)\n"
            "  service_id(byte): 0x3(3)\n  link_type(byte): 0x4(4)\n");
  EXPECT_EQ(tree.KindOf(Child(tree, list, 2)), NodeKind::NitServiceList);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 3)),
            "descriptor_tag: 0x99\n  descriptor_length(byte): 1\n  descriptor_data(hex): ab\n");
  EXPECT_EQ(tree.KindOf(Child(tree, list, 3)), NodeKind::NitNetworkDescriptor);
  EXPECT_EQ(tree.KindOf(Child(tree, list, 4)), NodeKind::NitNetworkDescriptor);
}

TEST_F(NitParse, EmptyLoopsShowTheirLengthsOnly) {
  const Bytes s = TestSection().Numbers(4, 4).Make();
  ASSERT_EQ(s.size(), 16u);
  ASSERT_TRUE(ParseNitSection(tree, s.data(), s.size(), 1));
  const std::string text = Subtree(tree, Section());
  EXPECT_EQ(text.substr(0, 10), "SECTION:4\n");
  EXPECT_NE(text.find("  last_section_number: 0x4\n  network_descriptors_length: 0x0\n"
                      "  transport_stream_loop_length: 0x0\n  crc_32: 0x"),
            std::string::npos);
  EXPECT_EQ(tree.ChildCount(Section()), 11);
}

TEST_F(NitParse, DescriptorsOfAnUnexpectedLengthAreShownAsData) {
  const Bytes shortCable = Descriptor(0x44, {0x03, 0x46});
  const Bytes longTerrestrial = Descriptor(0x5A, Bytes(12, 0xFF));
  const ItemHandle list = StreamDescriptors(Join({shortCable, longTerrestrial}));
  ASSERT_EQ(tree.ChildCount(list), 2);
  EXPECT_EQ(Subtree(tree, Child(tree, list, 0)),
            "descriptor_tag: 0x44\n  descriptor_length(byte): 2\n  descriptor_data(hex): 03 46\n");
  EXPECT_EQ(tree.KindOf(Child(tree, list, 1)), NodeKind::NitTransportDescriptor);
  const Bytes shortLinkage = Descriptor(0x4A, {0x00, 0x01});
  const Bytes s = TestSection().First(shortLinkage).Make();
  ASSERT_TRUE(ParseNitSection(tree, s.data(), s.size(), 2));
  const ItemHandle network = tree.FindDirectChildOfKind(Section(0, 2), NodeKind::NitNetworkDescriptorList);
  EXPECT_EQ(tree.KindOf(Child(tree, network, 0)), NodeKind::NitNetworkDescriptor);
}

TEST_F(NitParse, LoopsAreCutToTheWholeItemsInsideTheSection) {
  // A network loop whose last descriptor runs past the loop, and a transport stream whose
  // descriptors run past the section.
  Bytes s = TestSection()
                .First(Join({Descriptor(0x5F, {1, 2}), Descriptor(0x99, {1, 2, 3})}))
                .Stream(7, 8, Join({Descriptor(0x41, {0, 1, 1}), Descriptor(0x5F, {1, 2})}))
                .Make();
  s[9] -= 2;            // network_descriptors_length 9 -> 7: the second descriptor no longer fits
  s[9 + 7 + 1] = 0x00;  // the first loop now ends 2 bytes early: its last two bytes are read as the
  s[9 + 7 + 2] = 0x0F;  // transport_stream_loop_length 0x00F; the loop itself starts behind them
  const auto parse = [&](const Bytes& bytes) {
    TableTreeCtrl t;
    BuildTwoPorts(t);
    EXPECT_TRUE(ParseNitSection(t, bytes.data(), bytes.size(), 1));
    return Subtree(t, Child(t, t.Root(1, Table::Nit), 0));
  };
  const std::string text = parse(s);
  EXPECT_NE(text.find("  network_descriptors_length: 0x4\n  network_descriptors:\n    descriptor_tag: 0x5f\n"),
            std::string::npos);
  EXPECT_EQ(text.find("descriptor_tag: 0x99"), std::string::npos);

  // transport_descriptors_length larger than what is left of the section.
  Bytes t = TestSection().Stream(7, 8, Join({Descriptor(0x41, {0, 1, 1}), Descriptor(0x5F, {1, 2})})).Make();
  t[12 + 4] = 0xF0;
  t[12 + 5] = 0xFF;
  const std::string cut = parse(t);
  EXPECT_NE(cut.find("  transport_stream_loop_length: 0xf\n  transport_streams:\n    transport_stream_id: 0x7\n"
                     "      original_network_id: 0x8\n      transport_descriptor_length: 0x9\n"),
            std::string::npos);
  // A loop length running past the CRC_32 stops at the CRC_32.
  Bytes u = TestSection().Stream(7, 8, Descriptor(0x5F, {1, 2})).Make();
  u[10] = 0xFF;
  u[11] = 0xFF;
  EXPECT_NE(parse(u).find("  transport_stream_loop_length: 0xa\n"), std::string::npos);
}

TEST_F(NitParse, SectionsThatCannotBeParsedAddNothing) {
  const Bytes good = TestSection().Stream(1, 2, Descriptor(0x5F, {1, 2, 3, 4})).Make();
  Bytes wrongTable = good;
  wrongTable[0] = 0x41;
  EXPECT_FALSE(ParseNitSection(tree, wrongTable.data(), wrongTable.size(), 1));
  EXPECT_FALSE(ParseNitSection(tree, good.data(), good.size() - 1, 1));  // shorter than section_length says
  EXPECT_FALSE(ParseNitSection(tree, good.data(), 2, 1));
  EXPECT_FALSE(ParseNitSection(tree, nullptr, 0, 1));
  Bytes tooShort = TestSection().Make();
  tooShort[2] = 12;  // section_length below the 13 that the fixed fields and the CRC_32 take
  EXPECT_FALSE(ParseNitSection(tree, tooShort.data(), tooShort.size(), 1));
  Bytes tooLong(1100, 0xFF);  // longer than the 1024-byte parse buffer
  std::copy(good.begin(), good.end() - 4, tooLong.begin());
  tooLong[1] = 0xF4;
  tooLong[2] = 0x06;  // section_length 1030
  EXPECT_FALSE(ParseNitSection(tree, tooLong.data(), tooLong.size(), 1));
  EXPECT_FALSE(ParseNitSection(tree, good.data(), good.size(), 3));  // no such port
  EXPECT_EQ(tree.ChildCount(Root()), 0);
  EXPECT_TRUE(ParseNitSection(tree, good.data(), good.size(), 1));
}

TEST_F(NitParse, ReadingWalksTheSectionsUntilTheLastOne) {
  Bytes stream;
  for (int n = 0; n < 4; ++n) {
    const Bytes s = TestSection().Numbers(static_cast<uint8_t>(n), 2).Stream(static_cast<uint16_t>(n), 1, {}).Make();
    stream.insert(stream.end(), s.begin(), s.end());
    stream.insert(stream.end(), {0xFF, 0x00});  // stuffing and a pointer field between sections
  }
  ScriptedExchange device;
  device.Queue(kNitPid, Packetized(stream, kNitPid));
  ASSERT_EQ(ReadNit(tree, device, 2), 1);
  ASSERT_EQ(device.requests.size(), 1u);
  EXPECT_EQ(device.requests[0].pid, 0x0010);
  EXPECT_EQ(device.requests[0].selector, 0);
  EXPECT_EQ(device.requests[0].port, 2);
  EXPECT_FALSE(device.requests[0].bat);
  // Sections 0, 1, 2; the fourth is behind the section whose number equals last_section_number.
  ASSERT_EQ(tree.ChildCount(Root(2)), 3);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(tree.GetItemText(Section(n, 2)), Format("SECTION:%d", n));
  EXPECT_EQ(std::filesystem::file_size("tables/nit.bin"), kNitBufferSize);
}

TEST_F(NitParse, AnOversizedSectionIsSkippedAndTheWalkGoesOn) {
  Bytes buffer(3000, 0xFF);
  const Bytes big = [] {
    TestSection t;
    t.Numbers(0, 1);
    for (uint16_t ts = 1; ts <= 5; ++ts) t.Stream(ts, 1, Descriptor(0x5F, Bytes(200, 0)));
    return t.Make();
  }();
  ASSERT_GT(big.size(), 1024u);
  const Bytes last = TestSection().Numbers(1, 1).Make();
  std::copy(big.begin(), big.end(), buffer.begin());
  std::copy(last.begin(), last.end(), buffer.begin() + static_cast<long>(big.size()) + 7);
  ScriptedExchange device;
  device.Queue(kNitPid, Packetized(buffer, kNitPid));
  ASSERT_EQ(ReadNit(tree, device, 1), 1);
  ASSERT_EQ(tree.ChildCount(Root()), 1);
  EXPECT_EQ(tree.GetItemText(Section()), "SECTION:1");
}

TEST_F(NitParse, FailedOrForeignReads) {
  ScriptedExchange silent;
  EXPECT_EQ(ReadNit(tree, silent, 1), 0);
  EXPECT_FALSE(std::filesystem::exists("tables/nit.bin"));

  ScriptedExchange foreign;  // first byte not 0x40: dumped, reported as read, nothing added
  foreign.Queue(kNitPid, Packetized(TestSection(0x41).Make(), kNitPid));
  EXPECT_EQ(ReadNit(tree, foreign, 1), 1);
  EXPECT_TRUE(std::filesystem::exists("tables/nit.bin"));

  const Bytes tooMany(kNitBufferSize + 1, 0x47);
  EXPECT_EQ(ReadNit(tree, 1, tooMany.size(), tooMany.data()), 0);
  EXPECT_EQ(tree.ChildCount(Root()), 0);
}

TEST(NitWalk, ASectionCutOffByTheEndOfTheBufferIsReadWithZerosBehind) {
  const Bytes first = TestSection().Numbers(0, 1).Make();
  const Bytes second = TestSection().Numbers(1, 1).Stream(1, 2, Descriptor(0x5F, Bytes(40, 1))).Make();
  Bytes buffer = Join({first, second});
  buffer.resize(buffer.size() - 30);  // the CRC_32 and the end of the descriptor are missing
  std::vector<Bytes> seen;
  WalkSections(buffer, 0x40, [&](std::span<const uint8_t> s) { seen.emplace_back(s.begin(), s.end()); });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].size(), kLoopParseBufferSize);
  EXPECT_TRUE(std::equal(buffer.begin() + 16, buffer.end(), seen[1].begin()));
  EXPECT_TRUE(std::all_of(seen[1].begin() + static_cast<long>(buffer.size() - 16), seen[1].end(),
                          [](uint8_t b) { return b == 0; }));
  // The walk never starts on a header that the buffer does not hold whole.
  seen.clear();
  WalkSections(std::span<const uint8_t>(first.data(), 7), 0x40, [&](auto s) { seen.emplace_back(s.begin(), s.end()); });
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace quorvelin
