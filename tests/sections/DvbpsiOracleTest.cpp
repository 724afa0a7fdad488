// libdvbpsi, written by others, checks the codec: the parsers show what it generates and the
// builders write those sections back; its decoder takes what the builders write.
#ifdef QUORVELIN_HAVE_DVBPSI

#include <cstddef>
#include <cstdint>
#include <memory>

// clang-format off
extern "C" {  // libdvbpsi's headers need this order
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/bat.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
#include <dvbpsi/nit.h>
}
// clang-format on

#include "SectionTestSupport.h"

namespace quorvelin {
namespace {
using namespace testing;

// The bytes of every section libdvbpsi generated, one after the other (then released).
Bytes GeneratedSections(dvbpsi_psi_section_t* sections) {
  Bytes bytes;
  for (const dvbpsi_psi_section_t* s = sections; s != nullptr; s = s->p_next)
    bytes.insert(bytes.end(), s->p_data, s->p_data + 3 + ((s->p_data[1] & 0x0F) << 8 | s->p_data[2]));
  dvbpsi_DeletePSISections(sections);
  return bytes;
}

TEST_F(SectionTest, DvbpsiGeneratesANitThatIsShownAndBuiltBack) {
  const std::unique_ptr<dvbpsi_t, void (*)(dvbpsi_t*)> handle(dvbpsi_new(nullptr, DVBPSI_MSG_NONE), dvbpsi_delete);
  dvbpsi_nit_t* nit = dvbpsi_nit_new(0x40, 0x0042, 0x0042, 2, true);
  dvbpsi_nit_ts_t* ts = dvbpsi_nit_ts_add(nit, 0x0007, 0x0042);
  const auto add = [&](dvbpsi_descriptor_t* d) {
    dvbpsi_nit_ts_descriptor_add(ts, d->i_tag, d->i_length, d->p_data);
    dvbpsi_DeleteDescriptors(d);
  };
  dvbpsi_cable_deliv_sys_dr_t cable{0x03460000, 3, 0x0068750, 0x0F, 2};
  dvbpsi_sat_deliv_sys_dr_t sat{0x01175000, 0x0192, 1, 2, 0, 0, 1, 0x0275000, 3};
  dvbpsi_terr_deliv_sys_dr_t terr{0x02D34440, 1, 0, 0, 1, 1, 3, 3, 4, 2, 0, 1};  // low priority, time slicing
  dvbpsi_lcn_dr_t lcn{};
  lcn.i_number_of_entries = 2;
  lcn.p_entries[0] = {1, 1, 5};
  lcn.p_entries[1] = {2, 0, 0x3FF};
  add(dvbpsi_GenCableDelivSysDr(&cable, false));
  add(dvbpsi_GenSatDelivSysDr(&sat, false));
  add(dvbpsi_GenTerrDelivSysDr(&terr, false));
  add(dvbpsi_GenLCNDr(&lcn, false));
  uint8_t services[30] = {};
  for (uint16_t id = 0x10; id < 0x28; ++id)  // enough streams for five packets
    dvbpsi_nit_ts_descriptor_add(dvbpsi_nit_ts_add(nit, id, 0x0042), 0x41, sizeof services, services);
  Bytes bytes = GeneratedSections(dvbpsi_nit_sections_generate(handle.get(), nit, 0x40));
  dvbpsi_nit_delete(nit);
  ScriptedExchange device;
  device.Queue(kNitPid, Packetized(bytes, kNitPid));
  ASSERT_TRUE(ReadNit(tree, device, 1));
  ExpectLines(
      Branch(1, Table::Nit),
      {"  network_id: 0x42\n  version_number: 0x2\n", "    transport_stream_id: 0x27\n",
       "    transport_stream_id: 0x7\n      original_network_id: 0x42\n      transport_descriptors_length: 0x31\n",
       "        descriptor_tag: 0x44 =>cable_delivery_system_descriptor\n          descriptor_length(byte): 11\n     "
       "     frequency: 346.0000 MHz\n          FEC_outer: 0x2\n          modulation: 0x3\n          symbol_rate: "
       "6.8750 Msymbol/s\n          FEC_inner: 0xf\n        descriptor_tag: 0x43 =>satellite_delivery_system_descrip"
       "tor\n          descriptor_length(byte): 11\n          frequency: 11.75000 GHz\n          orbital_position: "
       "19.2 degree\n          west_east_flag: 0x1\n          polarization: 0x2\n          modulation: 0xc1\n       "
       "   symbol_rate: 27.5000 Msymbol/s\n          FEC_inner: 0x3\n        descriptor_tag: 0x5a =>terrestrial_deli"
       "very_system_descriptor\n          descriptor_length(byte): 11\n          centre_frequency: 474000000 Hz\n   "
       "       bandwidth: 7 MHz\n          priority: 0\n          Time_Slicing_indicator: 0\n          "
       "MPE-FEC_indicator: 1\n          constellation: 16QAM\n          hierarchy_information: @=4\n          "
       "code_rate-HP_stream: 5/6\n          code_rate-LP_stream: 7/8\n          guard_interval: 1/8\n          "
       "transmission_mode: 2K\n          other_frequency_flag: 1\n        descriptor_tag: 0x83 =>logical_channel_"
       "number_descriptor\n          descriptor_length(byte): 8\n          Service_list\n            service_id: "
       "0x1\n            is_service_visible: TRUE\n            logical_channel_number: 0x5\n          Service_list\n  "
       "          service_id: 0x2\n            is_service_visible: FALSE\n            logical_channel_number: 0x3ff\n"});
  // The builders write reserved bits as ones, where libdvbpsi leaves some unset: byte 1, the cable
  // delivery descriptor's bytes 4 and 5, the terrestrial one's bytes 4 (its low two bits) and 7 to 10.
  bytes[1] |= 0x70, bytes[24] = 0xFF, bytes[25] |= 0xF0, bytes[50] |= 0x03;
  std::fill(bytes.begin() + 53, bytes.begin() + 57, 0xFF);
  Bytes area(4106, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()));
  EXPECT_EQ(SectionBytesOf(area), WithCrc(Bytes(bytes.begin(), bytes.end() - 4)));
}

// libdvbpsi's BAT decoder on whole packets: per bouquet it completes, "bouquet_id:transport streams".
std::vector<std::string> DecodedBouquets(Bytes packets) {
  std::vector<std::string> out;
  std::vector<uint16_t> attached;
  const std::unique_ptr<dvbpsi_t, void (*)(dvbpsi_t*)> h(dvbpsi_new(nullptr, DVBPSI_MSG_NONE), dvbpsi_delete);
  const auto onBat = [](void* data, dvbpsi_bat_t* bat) {
    int streams = 0;
    for (const dvbpsi_bat_ts_t* ts = bat->p_first_ts; ts != nullptr; ts = ts->p_next) ++streams;
    static_cast<std::vector<std::string>*>(data)->push_back(Format("%x:%d", bat->i_extension, streams));
    dvbpsi_bat_delete(bat);
  };
  struct Sys {
    std::vector<std::string>* out;
    std::vector<uint16_t>* attached;
    dvbpsi_bat_callback onBat;
  } sys{&out, &attached, onBat};
  dvbpsi_AttachDemux(
      h.get(),
      [](dvbpsi_t* handle, uint8_t table, uint16_t id, void* data) {
        auto* s = static_cast<Sys*>(data);
        if (table == 0x4A && dvbpsi_bat_attach(handle, table, id, s->onBat, s->out)) s->attached->push_back(id);
      },
      &sys);
  // The builders count continuity from 0 in each section; on the air the count runs on.
  for (size_t at = 0; at + kPacketSize <= packets.size() && packets[at] == 0x47; at += kPacketSize) {
    packets[at + 3] = static_cast<uint8_t>((packets[at + 3] & 0xF0) | (at / kPacketSize & 0x0F));
    dvbpsi_packet_push(h.get(), &packets[at]);
  }
  for (uint16_t id : attached) dvbpsi_bat_detach(h.get(), 0x4A, id);
  dvbpsi_DetachDemux(h.get());
  return out;
}

// Three bouquets in one answer, the first of two sections given last: libdvbpsi's decoder takes
// each bouquet whole from what BuildBat writes, a changed one as well.
TEST_F(SectionTest, ABatOfThreeBouquetsIsBuiltAsLibdvbpsiDecodesIt) {
  const Bytes one = Stream(1, 2, {}), two = Join({Stream(1, 2, {}), Stream(2, 2, {})});
  ScriptedExchange device;
  device.Queue(kSdtBatPid,
               Packetized(Join({LoopSection(0x4A, 1, 1, {}, one, 0x0101), LoopSection(0x4A, 0, 0, {}, two, 0x0202),
                                LoopSection(0x4A, 0, 0, {}, one, 0x0303), LoopSection(0x4A, 0, 1, {}, two, 0x0101)}),
                          kSdtBatPid));
  ASSERT_TRUE(ReadBat(tree, device, 1));
  Bytes area(kBatTablePackets, 0xFF);
  ASSERT_TRUE(BuildBat(tree, 1, area.data(), area.size()));
  EXPECT_EQ(DecodedBouquets(area), (std::vector<std::string>{"101:3", "202:2", "303:1"}));
  tree.DeleteItem(tree.ChildAt(tree.Root(1, Table::Bat), 1));  // 0x0101 keeps its section 0
  area.assign(area.size(), 0xFF);
  ASSERT_TRUE(BuildBat(tree, 1, area.data(), area.size()));
  EXPECT_EQ(DecodedBouquets(area), (std::vector<std::string>{"101:2", "202:2", "303:1"}));
}

}  // namespace
}  // namespace quorvelin

#endif  // QUORVELIN_HAVE_DVBPSI
