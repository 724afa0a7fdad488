// libdvbpsi checks the NIT and BAT codec: it decodes what the builders write (CRC_32 and
// descriptor decoders included), and writes sections that the parsers show as they should.
#ifdef QUORVELIN_HAVE_DVBPSI

#include <gtest/gtest.h>

#include <map>
#include <memory>

// libdvbpsi's headers refuse a second inclusion: the oracle brings dvbpsi.h, psi.h, descriptor.h,
// demux.h, sdt.h and tot.h.
#include "DvbpsiOracle.h"

extern "C" {
#include <dvbpsi/bat.h>
#include <dvbpsi/dr_40.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_47.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
#include <dvbpsi/nit.h>
}

#include "NitBatSupport.h"
#include "sections/BatSections.h"
#include "sections/NitSections.h"

namespace quorvelin {
namespace {
using namespace testing;

using NitPtr = std::unique_ptr<dvbpsi_nit_t, decltype(&dvbpsi_nit_delete)>;
using BatPtr = std::unique_ptr<dvbpsi_bat_t, decltype(&dvbpsi_bat_delete)>;

// Each section's packets count from continuity_counter 0, as the device takes them; a demux
// that follows one PID sees that as a discontinuity, so the oracle gets the packets renumbered
// per PID (the sections themselves are untouched).
Bytes Renumbered(Bytes area) {
  std::map<int, uint8_t> next;
  const size_t bytes = CountPackets(area.data(), area.size());
  for (size_t at = 0; at < bytes; at += kPacketSize) {
    uint8_t& counter = next[(area[at + 1] & 0x1F) << 8 | area[at + 2]];
    area[at + 3] = static_cast<uint8_t>((area[at + 3] & 0xF0) | (counter++ & 0x0F));
  }
  return area;
}

// Decodes the packets at the start of `area` as a NIT (actual network) or a BAT.
NitPtr DecodeNit(Oracle& oracle, const Bytes& area) {
  NitPtr nit(nullptr, &dvbpsi_nit_delete);
  oracle.AttachDemux({{0x40,
                       [&](dvbpsi_t* h, uint8_t t, uint16_t e) {
                         return dvbpsi_nit_attach(
                             h, t, e, [](void* data, dvbpsi_nit_t* n) { static_cast<NitPtr*>(data)->reset(n); }, &nit);
                       },
                       &dvbpsi_nit_detach}});
  oracle.Push(Renumbered(area));
  return nit;
}

BatPtr DecodeBat(Oracle& oracle, const Bytes& area) {
  BatPtr bat(nullptr, &dvbpsi_bat_delete);
  oracle.AttachDemux({{0x4A,
                       [&](dvbpsi_t* h, uint8_t t, uint16_t e) {
                         return dvbpsi_bat_attach(
                             h, t, e, [](void* data, dvbpsi_bat_t* b) { static_cast<BatPtr*>(data)->reset(b); }, &bat);
                       },
                       &dvbpsi_bat_detach}});
  oracle.Push(Renumbered(area));
  return bat;
}

std::vector<dvbpsi_descriptor_t*> List(dvbpsi_descriptor_t* first) {
  std::vector<dvbpsi_descriptor_t*> out;
  for (dvbpsi_descriptor_t* d = first; d != nullptr; d = d->p_next) out.push_back(d);
  return out;
}

Bytes Data(const dvbpsi_descriptor_t* d) { return Bytes(d->p_data, d->p_data + d->i_length); }

// Adds a descriptor that libdvbpsi generated from field values, then releases it.
template <class Add>
void AddGenerated(dvbpsi_descriptor_t* generated, Add add, int tag = -1) {
  ASSERT_NE(generated, nullptr);
  add(tag < 0 ? generated->i_tag : static_cast<uint8_t>(tag), generated->i_length, generated->p_data);
  dvbpsi_DeleteDescriptors(generated);
}

class NitBatDvbpsi : public ::testing::Test {
 protected:
  void SetUp() override { BuildTwoPorts(tree); }

  TableTreeCtrl tree;
  Oracle oracle;
  ScratchDirectory dir;
};

TEST_F(NitBatDvbpsi, BuiltNitDecodesIntoTheSameFieldValues) {
  LoopBranch nit(tree, kNitFamily, 1);
  const ItemHandle first = nit.Section(0x3001, 5, 0);
  nit.First(first, NodeKind::NitNetworkName, Name(0x40, "Quorvelin"));
  nit.First(first, NodeKind::NitLinkageDescriptor, LinkageDescriptor{0x4A, 9, 1, 2, 3, 4, {0xAA, 0xBB}});
  const ItemHandle cableStream = nit.Stream(first, 0x0101, 0x2000);
  nit.StreamDescriptor(first, cableStream, NodeKind::NitCableDelivery,
                       CableDelivery{0x44, 11, {0x03, 0x46, 0x00, 0x00}, 2, 3, {0x00, 0x68, 0x75, 0x00}, 0x0F});
  nit.StreamDescriptor(first, cableStream, NodeKind::NitLogicalChannels,
                       Entries(0x83, {0x00, 0x01, 0xFC, 0x05, 0x00, 0x02, 0x7C, 0x0A}));
  nit.StreamDescriptor(first, cableStream, NodeKind::NitServiceList,
                       Entries(0x41, {0x00, 0x01, 0x01, 0x00, 0x02, 0x16}));
  const ItemHandle second = nit.Section(0x3001, 5, 1);
  const ItemHandle skyStream = nit.Stream(second, 0x0102, 0x2000);
  // The satellite page keeps west_east_flag and polarization apart from the modulation code.
  nit.StreamDescriptor(
      second, skyStream, NodeKind::NitSatelliteDelivery,
      SatelliteDelivery{0x43, 11, {0x01, 0x17, 0x50, 0x00}, {0x01, 0x92}, 0x05, 0x01, {0x02, 0x75, 0x00, 0x00}, 3});
  TerrestrialDelivery t;
  t.centre_frequency = 47400000;
  t.a = 0 | 2 << 3 | 1 << 5;  // 8 MHz, 64QAM, hierarchy 1
  t.b = 2 | 1 << 3 | 3 << 6;  // HP 3/4, LP 2/3, guard 1/4
  t.c = 1 | 1 << 2;           // 8K, other frequencies
  nit.StreamDescriptor(second, skyStream, NodeKind::NitTerrestrialDelivery, t);

  Bytes area(204800, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()));
  const NitPtr decoded = DecodeNit(oracle, area);
  ASSERT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->i_network_id, 0x3001);
  EXPECT_EQ(decoded->i_version, 5);
  EXPECT_TRUE(decoded->b_current_next);

  const auto network = List(decoded->p_first_descriptor);
  ASSERT_EQ(network.size(), 2u);
  const auto* name = dvbpsi_DecodeNetworkNameDr(network[0]);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::string(name->i_name_byte, name->i_name_byte + name->i_name_length), "Quorvelin");
  EXPECT_EQ(network[1]->i_tag, 0x4A);
  EXPECT_EQ(Data(network[1]), (Bytes{0, 1, 0, 2, 0, 3, 4, 0xAA, 0xBB}));

  // Both sections' streams, in order.
  const dvbpsi_nit_ts_t* ts = decoded->p_first_ts;
  ASSERT_NE(ts, nullptr);
  EXPECT_EQ(ts->i_ts_id, 0x0101);
  EXPECT_EQ(ts->i_orig_network_id, 0x2000);
  const auto cable = List(ts->p_first_descriptor);
  ASSERT_EQ(cable.size(), 3u);
  const auto* c = dvbpsi_DecodeCableDelivSysDr(cable[0]);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->i_frequency, 0x03460000u);
  EXPECT_EQ(c->i_fec_outer, 2);
  EXPECT_EQ(c->i_modulation, 3);
  EXPECT_EQ(c->i_symbol_rate, 0x0068750u);
  EXPECT_EQ(c->i_fec_inner, 0x0F);
  const auto* lcn = dvbpsi_DecodeLCNDr(cable[1]);
  ASSERT_NE(lcn, nullptr);
  ASSERT_EQ(lcn->i_number_of_entries, 2);
  EXPECT_EQ(lcn->p_entries[0].i_service_id, 1);
  EXPECT_TRUE(lcn->p_entries[0].b_visible_service_flag);
  EXPECT_EQ(lcn->p_entries[0].i_logical_channel_number, 5);
  EXPECT_EQ(lcn->p_entries[1].i_service_id, 2);
  EXPECT_FALSE(lcn->p_entries[1].b_visible_service_flag);
  EXPECT_EQ(lcn->p_entries[1].i_logical_channel_number, 10);
  const auto* services = dvbpsi_DecodeServiceListDr(cable[2]);
  ASSERT_NE(services, nullptr);
  ASSERT_EQ(services->i_service_count, 2);
  EXPECT_EQ(services->i_service[1].i_service_id, 2);
  EXPECT_EQ(services->i_service[1].i_service_type, 0x16);

  ts = ts->p_next;
  ASSERT_NE(ts, nullptr);
  EXPECT_EQ(ts->i_ts_id, 0x0102);
  EXPECT_EQ(ts->p_next, nullptr);
  const auto sky = List(ts->p_first_descriptor);
  ASSERT_EQ(sky.size(), 2u);
  const auto* s = dvbpsi_DecodeSatDelivSysDr(sky[0]);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->i_frequency, 0x01175000u);
  EXPECT_EQ(s->i_orbital_position, 0x0192);
  EXPECT_EQ(s->i_west_east_flag, 1);
  EXPECT_EQ(s->i_polarization, 2);
  EXPECT_EQ(s->i_modulation_type, 1);
  EXPECT_EQ(s->i_symbol_rate, 0x0275000u);
  EXPECT_EQ(s->i_fec_inner, 3);
  const auto* terr = dvbpsi_DecodeTerrDelivSysDr(sky[1]);
  ASSERT_NE(terr, nullptr);
  EXPECT_EQ(terr->i_centre_frequency, 47400000u);
  EXPECT_EQ(terr->i_bandwidth, 0);
  EXPECT_EQ(terr->i_constellation, 2);
  EXPECT_EQ(terr->i_hierarchy_information, 1);
  EXPECT_EQ(terr->i_code_rate_hp_stream, 2);
  EXPECT_EQ(terr->i_code_rate_lp_stream, 1);
  EXPECT_EQ(terr->i_guard_interval, 3);
  EXPECT_EQ(terr->i_transmission_mode, 1);
  EXPECT_EQ(terr->i_other_frequency_flag, 1);
}

TEST_F(NitBatDvbpsi, RealNitCaptureBuildsIntoSectionsDvbpsiAccepts) {
  const Bytes packets = SamplePackets("nit_tntv23");
  ASSERT_EQ(ReadNit(tree, 2, packets.size(), packets.data()), 1);
  Bytes area(204800, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 2, area.data(), area.size()));
  const NitPtr decoded = DecodeNit(oracle, area);
  ASSERT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->i_network_id, 0x20FA);
  int streams = 0;
  for (const dvbpsi_nit_ts_t* ts = decoded->p_first_ts; ts != nullptr; ts = ts->p_next) ++streams;
  EXPECT_EQ(streams, 7);
}

TEST_F(NitBatDvbpsi, BuiltBatDecodesIntoTheSameFieldValues) {
  LoopBranch bat(tree, kBatFamily, 2);
  for (uint8_t n = 0; n < 3; ++n) {
    const ItemHandle section = bat.Section(0x1234, 7, 9);  // renumbered 0, 1, 2 when built
    if (n == 0) {
      bat.First(section, NodeKind::BatBouquetName, Name(0x47, "Bouquet"));
      bat.First(section, NodeKind::BatDescriptor, GenericDescriptor{0x5F, 4, {0, 0, 0, 0x28}});
    }
    const ItemHandle stream = bat.Stream(section, static_cast<uint16_t>(0x10 + n), 0x2000);
    bat.StreamDescriptor(section, stream, NodeKind::BatServiceList, Entries(0x41, {0x00, n, 0x01}));
  }
  Bytes area(204800, 0xFF);
  ASSERT_TRUE(BuildBat(tree, 2, area.data(), area.size()));
  const BatPtr decoded = DecodeBat(oracle, area);
  ASSERT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->i_extension, 0x1234);
  EXPECT_EQ(decoded->i_version, 7);
  const auto bouquet = List(decoded->p_first_descriptor);
  ASSERT_EQ(bouquet.size(), 2u);
  const auto* name = dvbpsi_DecodeBouquetNameDr(bouquet[0]);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::string(name->i_char, name->i_char + name->i_name_length), "Bouquet");
  EXPECT_EQ(Data(bouquet[1]), (Bytes{0, 0, 0, 0x28}));
  int n = 0;
  for (const dvbpsi_bat_ts_t* ts = decoded->p_first_ts; ts != nullptr; ts = ts->p_next, ++n) {
    EXPECT_EQ(ts->i_ts_id, 0x10 + n);
    const auto* services = dvbpsi_DecodeServiceListDr(ts->p_first_descriptor);
    ASSERT_NE(services, nullptr);
    ASSERT_EQ(services->i_service_count, 1);
    EXPECT_EQ(services->i_service[0].i_service_id, n);
  }
  EXPECT_EQ(n, 3);

  const Bytes capture = SampleSection("bat_tvnum");
  ASSERT_TRUE(ParseBatSection(tree, capture.data(), capture.size(), 1));
  Bytes real(204800, 0xFF);
  ASSERT_TRUE(BuildBat(tree, 1, real.data(), real.size()));
  Oracle second;
  ASSERT_NE(DecodeBat(second, real), nullptr);
  EXPECT_TRUE(second.errors.empty());
}

TEST_F(NitBatDvbpsi, GeneratedNitShowsTheSpecifiedLines) {
  dvbpsi_nit_t* nit = dvbpsi_nit_new(0x40, 0x0042, 0x0042, 2, true);
  dvbpsi_network_name_dr_t name{};
  name.i_name_length = 4;
  std::copy_n("Test", 4, name.i_name_byte);
  const auto addNetwork = [&](uint8_t tag, uint8_t length, uint8_t* data) {
    dvbpsi_nit_descriptor_add(nit, tag, length, data);
  };
  AddGenerated(dvbpsi_GenNetworkNameDr(&name, false), addNetwork);

  dvbpsi_nit_ts_t* ts = dvbpsi_nit_ts_add(nit, 0x0007, 0x0042);
  const auto addStream = [&](uint8_t tag, uint8_t length, uint8_t* data) {
    dvbpsi_nit_ts_descriptor_add(ts, tag, length, data);
  };
  dvbpsi_cable_deliv_sys_dr_t cable{};
  cable.i_frequency = 0x03460000;
  cable.i_modulation = 3;
  cable.i_symbol_rate = 0x0068750;
  cable.i_fec_inner = 0x0F;
  cable.i_fec_outer = 2;
  AddGenerated(dvbpsi_GenCableDelivSysDr(&cable, false), addStream);
  dvbpsi_sat_deliv_sys_dr_t sat{};
  sat.i_frequency = 0x01175000;
  sat.i_orbital_position = 0x0192;
  sat.i_west_east_flag = 1;
  sat.i_polarization = 2;
  sat.i_modulation_type = 1;
  sat.i_symbol_rate = 0x0275000;
  sat.i_fec_inner = 3;
  AddGenerated(dvbpsi_GenSatDelivSysDr(&sat, false), addStream);
  dvbpsi_terr_deliv_sys_dr_t terr{};
  terr.i_centre_frequency = 0x02D34440;
  terr.i_constellation = 2;
  terr.i_guard_interval = 0;
  terr.i_transmission_mode = 1;
  AddGenerated(dvbpsi_GenTerrDelivSysDr(&terr, false), addStream);
  dvbpsi_lcn_dr_t lcn{};
  lcn.i_number_of_entries = 2;
  lcn.p_entries[0] = {1, 1, 5};
  lcn.p_entries[1] = {2, 0, 10};
  AddGenerated(dvbpsi_GenLCNDr(&lcn, false), addStream);

  const Bytes sections = GeneratedSections(dvbpsi_nit_sections_generate(oracle.handle(), nit, 0x40));
  dvbpsi_nit_delete(nit);
  ASSERT_FALSE(sections.empty());
  ASSERT_TRUE(ParseNitSection(tree, sections.data(), sections.size(), 1));
  const std::string text = BranchText(tree, 1, Table::Nit);
  for (const char* line : {"SECTION:0\n",
                           "  network_id: 0x42\n",
                           "  version_number: 0x2\n",
                           "      network_name: Test\n",
                           "    transport_stream_id: 0x7\n",
                           "          frequency: 346.0000 mhz\n",
                           "          FEC_outer: 0x2\n",
                           "          modulation: 0x3\n",
                           "          symbol_rate: 6.8750 msymbol/s\n",
                           "          FEC_inner: 0xf\n",
                           "          frequency: 11.75000 Ghz\n",
                           "          orbital_position: 19.2 degree\n",
                           "          west_east_flag: 0x1\n",
                           "          polarization: 0x2\n",
                           "          symbol_rate: 27.5000 msymbol/s\n",
                           "          centre_frequency: 474000000 HZ\n",
                           "          constellation: 64QAM\n",
                           "          guard_interval: 1/32\n",
                           "          transmission_mode: 8K\n",
                           "            is_service_visible: FALSE\n",
                           "            logical_channel_number: a\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("reserved"), std::string::npos);
}

TEST_F(NitBatDvbpsi, GeneratedNitOfManyStreamsBuildsBackToTheSameBytes) {
  dvbpsi_nit_t* nit = dvbpsi_nit_new(0x40, 0x0042, 0x0042, 1, true);
  for (uint16_t id = 0; id < 24; ++id) {
    dvbpsi_nit_ts_t* ts = dvbpsi_nit_ts_add(nit, id, 0x0042);
    Bytes services;
    for (uint8_t k = 0; k < 10; ++k) services.insert(services.end(), {static_cast<uint8_t>(id), k, 0x01});
    dvbpsi_nit_ts_descriptor_add(ts, 0x41, static_cast<uint8_t>(services.size()), services.data());
  }
  const Bytes section = GeneratedSections(dvbpsi_nit_sections_generate(oracle.handle(), nit, 0x40));
  dvbpsi_nit_delete(nit);
  ASSERT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ScriptedExchange device;
  device.Queue(kNitPid, Packetized(section, kNitPid));
  ASSERT_EQ(ReadNit(tree, device, 1), 1);
  ASSERT_EQ(tree.ChildCount(tree.Root(1, Table::Nit)), 1);
  EXPECT_EQ(tree.ChildCount(
                tree.FindDirectChildOfKind(Child(tree, tree.Root(1, Table::Nit), 0), NodeKind::NitTransportStreamList)),
            24);

  Bytes area(204800, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()));
  // The same bytes, but for the bits 6 to 4 of byte 1 (written 1, 1, 1) and so the CRC_32.
  const Bytes built = SectionBytesOf(area);
  ASSERT_EQ(built.size(), section.size());
  EXPECT_EQ(built[1], section[1] | 0x70);
  EXPECT_EQ(Bytes(built.begin() + 2, built.end() - 4), Bytes(section.begin() + 2, section.end() - 4));
  const NitPtr decoded = DecodeNit(oracle, area);
  ASSERT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_NE(decoded, nullptr);
  int streams = 0;
  for (const dvbpsi_nit_ts_t* ts = decoded->p_first_ts; ts != nullptr; ts = ts->p_next) ++streams;
  EXPECT_EQ(streams, 24);
}

TEST_F(NitBatDvbpsi, GeneratedBatShowsTheSpecifiedLines) {
  dvbpsi_bat_t* bat = dvbpsi_bat_new(0x4A, 0x1001, 3, true);
  dvbpsi_bouquet_name_dr_t name{};
  name.i_name_length = 3;
  std::copy_n("Bqt", 3, name.i_char);
  AddGenerated(dvbpsi_GenBouquetNameDr(&name, false), [&](uint8_t tag, uint8_t length, uint8_t* data) {
    dvbpsi_bat_bouquet_descriptor_add(bat, tag, length, data);
  });
  dvbpsi_bat_ts_t* ts = dvbpsi_bat_ts_add(bat, 0x0009, 0x0042);
  dvbpsi_service_list_dr_t services{};
  services.i_service_count = 2;
  services.i_service[0] = {0x0101, 0x01};
  services.i_service[1] = {0x0102, 0x19};
  // libdvbpsi 1.3.3 tags a generated service_list_descriptor 0x83; its bytes are right.
  AddGenerated(
      dvbpsi_GenServiceListDr(&services, false),
      [&](uint8_t tag, uint8_t length, uint8_t* data) { dvbpsi_bat_ts_descriptor_add(ts, tag, length, data); }, 0x41);
  const Bytes sections = GeneratedSections(dvbpsi_bat_sections_generate(oracle.handle(), bat));
  dvbpsi_bat_delete(bat);
  ASSERT_TRUE(ParseBatSection(tree, sections.data(), sections.size(), 1));
  const std::string text = BranchText(tree, 1, Table::Bat);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "SectionNumber: 0x0,BouquetID:0x1001,version_number:0x3\n");
  for (const char* line : {"  bouquet_id: 0x1001\n", "      bouquet_name: Bqt\n", "    transport_stream_id: 0x9\n",
                           "        descriptor_tag: 0x41 =>network_service_list_descriptor\n",
                           "            service_id: 0x102\n            service_type: 0x19\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace quorvelin

#endif  // QUORVELIN_HAVE_DVBPSI
