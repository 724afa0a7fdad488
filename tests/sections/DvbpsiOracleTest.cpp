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
#include <dvbpsi/cat.h>
#include <dvbpsi/pat.h>
#include <dvbpsi/pmt.h>
#include <dvbpsi/sdt.h>
#include <dvbpsi/tot.h>
#include <dvbpsi/dr_05.h>
#include <dvbpsi/dr_09.h>
#include <dvbpsi/dr_0a.h>
#include <dvbpsi/dr_40.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_48.h>
#include <dvbpsi/dr_4a.h>
#include <dvbpsi/dr_52.h>
#include <dvbpsi/dr_58.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_66.h>
#include <dvbpsi/dr_83.h>
#include <dvbpsi/nit.h>
}
// clang-format on

#include <fstream>
#include <sstream>

#include "SectionTestSupport.h"
#include "sections/TsduckXml.h"

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

// ---------------------------------------------------------------- TSDuck's documented examples

std::string HexOf(const uint8_t* p, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += Format("%02x", p[i]);
  return s;
}

std::string Quoted(const uint8_t* p, size_t n) { return "'" + std::string(p, p + n) + "'"; }

// A descriptor as libdvbpsi decodes it; kinds it has no decoder for, or bytes it does not take, as
// tag:bytes.
std::string Described(dvbpsi_descriptor_t* d) {
  std::string s;
  switch (d->i_tag) {
    case 0x05: {
      const auto* r = dvbpsi_DecodeRegistrationDr(d);
      if (!r) break;
      return Format("registration %08x", r->i_format_identifier);
    }
    case 0x09: {
      const auto* r = dvbpsi_DecodeCADr(d);
      if (!r) break;
      return Format("CA %04x/%04x %s", r->i_ca_system_id, r->i_ca_pid, HexOf(r->i_private_data, r->i_private_length).c_str());
    }
    case 0x0A: {
      const auto* r = dvbpsi_DecodeISO639Dr(d);
      if (!r) break;
      s = "languages";
      for (int i = 0; i < r->i_code_count; ++i)
        s += " " + std::string(r->code[i].iso_639_code, r->code[i].iso_639_code + 3) + Format(":%02x", r->code[i].i_audio_type);
      return s;
    }
    case 0x40: {
      const auto* r = dvbpsi_DecodeNetworkNameDr(d);
      if (!r) break;
      return "network " + Quoted(r->i_name_byte, r->i_name_length);
    }
    case 0x41: {
      const auto* r = dvbpsi_DecodeServiceListDr(d);
      if (!r) break;
      s = "services";
      for (int i = 0; i < r->i_service_count; ++i) s += Format(" %04x:%02x", r->i_service[i].i_service_id, r->i_service[i].i_service_type);
      return s;
    }
    case 0x43: {
      const auto* r = dvbpsi_DecodeSatDelivSysDr(d);
      if (!r) break;
      return Format("satellite %08x pos %04x %d pol %d roll %d sys %d mod %d rate %07x fec %d", r->i_frequency,
                    r->i_orbital_position, r->i_west_east_flag, r->i_polarization, r->i_roll_off, r->i_modulation_system,
                    r->i_modulation_type, r->i_symbol_rate, r->i_fec_inner);
    }
    case 0x44: {
      const auto* r = dvbpsi_DecodeCableDelivSysDr(d);
      if (!r) break;
      return Format("cable %08x outer %d mod %d rate %07x fec %d", r->i_frequency, r->i_fec_outer, r->i_modulation,
                    r->i_symbol_rate, r->i_fec_inner);
    }
    case 0x5A: {
      const auto* r = dvbpsi_DecodeTerrDelivSysDr(d);
      if (!r) break;
      return Format("terrestrial %08x bw %d prio %d ts %d mpe %d const %d hier %d hp %d lp %d guard %d mode %d other %d",
                    r->i_centre_frequency, r->i_bandwidth, r->i_priority, r->i_time_slice_indicator,
                    r->i_mpe_fec_indicator, r->i_constellation, r->i_hierarchy_information, r->i_code_rate_hp_stream,
                    r->i_code_rate_lp_stream, r->i_guard_interval, r->i_transmission_mode, r->i_other_frequency_flag);
    }
    case 0x48: {
      const auto* r = dvbpsi_DecodeServiceDr(d);
      if (!r) break;
      return Format("service %02x ", r->i_service_type) + HexOf(r->i_service_provider_name, r->i_service_provider_name_length) +
             " " + HexOf(r->i_service_name, r->i_service_name_length);
    }
    case 0x4A: {
      const auto* r = dvbpsi_DecodeLinkageDr(d);
      if (!r) break;
      return Format("linkage %04x/%04x/%04x type %02x ", r->i_transport_stream_id, r->i_original_network_id, r->i_service_id,
                    r->i_linkage_type) +
             HexOf(r->i_private_data, r->i_private_data_length);
    }
    case 0x52:
      if (const auto* r = dvbpsi_DecodeStreamIdentifierDr(d)) return Format("component_tag %02x", r->i_component_tag);
      break;
    case 0x58: {
      const auto* r = dvbpsi_DecodeLocalTimeOffsetDr(d);
      if (!r) break;
      s = "offsets";
      for (int i = 0; i < r->i_local_time_offsets_number; ++i) {
        const dvbpsi_local_time_offset_t& o = r->p_local_time_offset[i];
        s += " " + std::string(o.i_country_code, o.i_country_code + 3) +
             Format(" %d %c%04x %010llx %04x", o.i_country_region_id, o.i_local_time_offset_polarity ? '-' : '+',
                    o.i_local_time_offset, static_cast<unsigned long long>(o.i_time_of_change), o.i_next_time_offset);
      }
      return s;
    }
    case 0x66: {
      const auto* r = dvbpsi_DecodeDataBroadcastIdDr(d);
      if (!r) break;
      return Format("data_broadcast_id %04x ", r->i_data_broadcast_id) + HexOf(r->p_id_selector, r->i_id_selector_len);
    }
    case 0x83: {
      const auto* r = dvbpsi_DecodeLCNDr(d);
      if (!r) break;
      s = "LCN";
      for (int i = 0; i < r->i_number_of_entries; ++i)
        s += Format(" %04x:%d:%d", r->p_entries[i].i_service_id, r->p_entries[i].b_visible_service_flag ? 1 : 0,
                    r->p_entries[i].i_logical_channel_number);
      return s;
    }
    default:
      break;
  }
  return Format("%02x:", d->i_tag) + HexOf(d->p_data, d->i_length);
}

std::string DescribedList(dvbpsi_descriptor_t* d) {
  std::string s;
  for (; d; d = d->p_next) s += " [" + Described(d) + "]";
  return s;
}

// libdvbpsi's decoders over the sections of one table, the table's fields as one line.
struct Decoded {
  std::string line;
  static void Pat(void* data, dvbpsi_pat_t* t) {
    auto& s = static_cast<Decoded*>(data)->line;
    s = Format("PAT v%d ts %04x", t->i_version, t->i_ts_id);
    for (const dvbpsi_pat_program_t* p = t->p_first_program; p; p = p->p_next) s += Format(" %04x>%04x", p->i_number, p->i_pid);
    dvbpsi_pat_delete(t);
  }
  static void Cat(void* data, dvbpsi_cat_t* t) {
    static_cast<Decoded*>(data)->line = Format("CAT v%d", t->i_version) + DescribedList(t->p_first_descriptor);
    dvbpsi_cat_delete(t);
  }
  static void Pmt(void* data, dvbpsi_pmt_t* t) {
    auto& s = static_cast<Decoded*>(data)->line;
    s = Format("PMT v%d program %04x PCR %04x", t->i_version, t->i_program_number, t->i_pcr_pid) +
        DescribedList(t->p_first_descriptor);
    for (const dvbpsi_pmt_es_t* es = t->p_first_es; es; es = es->p_next)
      s += Format(" | %02x %04x", es->i_type, es->i_pid) + DescribedList(es->p_first_descriptor);
    dvbpsi_pmt_delete(t);
  }
  static void Sdt(void* data, dvbpsi_sdt_t* t) {
    auto& s = static_cast<Decoded*>(data)->line;
    s = Format("SDT %02x v%d ts %04x onid %04x", t->i_table_id, t->i_version, t->i_extension, t->i_network_id);
    for (const dvbpsi_sdt_service_t* v = t->p_first_service; v; v = v->p_next)
      s += Format(" | %04x sched %d pf %d status %d CA %d", v->i_service_id, v->b_eit_schedule, v->b_eit_present,
                  v->i_running_status, v->b_free_ca) +
           DescribedList(v->p_first_descriptor);
    dvbpsi_sdt_delete(t);
  }
  static void Nit(void* data, dvbpsi_nit_t* t) {
    auto& s = static_cast<Decoded*>(data)->line;
    s = Format("NIT %02x v%d network %04x", t->i_table_id, t->i_version, t->i_network_id) + DescribedList(t->p_first_descriptor);
    for (const dvbpsi_nit_ts_t* ts = t->p_first_ts; ts; ts = ts->p_next)
      s += Format(" | %04x/%04x", ts->i_ts_id, ts->i_orig_network_id) + DescribedList(ts->p_first_descriptor);
    dvbpsi_nit_delete(t);
  }
  static void Bat(void* data, dvbpsi_bat_t* t) {
    auto& s = static_cast<Decoded*>(data)->line;
    s = Format("BAT v%d bouquet %04x", t->i_version, t->i_extension) + DescribedList(t->p_first_descriptor);
    for (const dvbpsi_bat_ts_t* ts = t->p_first_ts; ts; ts = ts->p_next)
      s += Format(" | %04x/%04x", ts->i_ts_id, ts->i_orig_network_id) + DescribedList(ts->p_first_descriptor);
    dvbpsi_bat_delete(t);
  }
  static void Tot(void* data, dvbpsi_tot_t* t) {
    static_cast<Decoded*>(data)->line = Format("%s %010llx", t->i_table_id == 0x70 ? "TDT" : "TOT",
                                               static_cast<unsigned long long>(t->i_utc_time)) +
                                        DescribedList(t->p_first_descriptor);
    dvbpsi_tot_delete(t);
  }
};

// Each table of `sections` (a table's sections one after the other) as libdvbpsi reads it.
std::vector<std::string> DecodedTables(const SectionBytesList& sections) {
  std::vector<std::string> out;
  for (size_t first = 0; first < sections.size();) {
    const Bytes& s = sections[first];
    size_t end = first + 1;
    const bool isLong = s[1] & 0x80;
    while (end < sections.size() && isLong && sections[end][0] == s[0] && sections[end][3] == s[3] && sections[end][4] == s[4]) ++end;
    const uint16_t id = static_cast<uint16_t>(s[3] << 8 | s[4]);
    Decoded decoded;
    const std::unique_ptr<dvbpsi_t, void (*)(dvbpsi_t*)> h(dvbpsi_new(nullptr, DVBPSI_MSG_NONE), dvbpsi_delete);
    bool demux = false;
    switch (s[0]) {
      case 0x00: dvbpsi_pat_attach(h.get(), Decoded::Pat, &decoded); break;
      case 0x01: dvbpsi_cat_attach(h.get(), Decoded::Cat, &decoded); break;
      case 0x02: dvbpsi_pmt_attach(h.get(), id, Decoded::Pmt, &decoded); break;
      default: demux = dvbpsi_AttachDemux(h.get(), [](dvbpsi_t*, uint8_t, uint16_t, void*) {}, nullptr); break;
    }
    if (demux) {
      if (s[0] == 0x40 || s[0] == 0x41) dvbpsi_nit_attach(h.get(), s[0], id, Decoded::Nit, &decoded);
      if (s[0] == 0x42 || s[0] == 0x46) dvbpsi_sdt_attach(h.get(), s[0], id, Decoded::Sdt, &decoded);
      if (s[0] == 0x4A) dvbpsi_bat_attach(h.get(), s[0], id, Decoded::Bat, &decoded);
      if (s[0] == 0x70 || s[0] == 0x73) dvbpsi_tot_attach(h.get(), s[0], 0, Decoded::Tot, &decoded);
    }
    int counter = 0;
    for (size_t i = first; i < end; ++i) {
      Bytes packets = Packetized(sections[i], 0x100);
      for (size_t at = 0; at < packets.size(); at += kPacketSize) {
        packets[at + 3] = static_cast<uint8_t>((packets[at + 3] & 0xF0) | (counter++ & 0x0F));
        dvbpsi_packet_push(h.get(), &packets[at]);
      }
    }
    if (demux) {
      if (s[0] == 0x40 || s[0] == 0x41) dvbpsi_nit_detach(h.get(), s[0], id);
      if (s[0] == 0x42 || s[0] == 0x46) dvbpsi_sdt_detach(h.get(), s[0], id);
      if (s[0] == 0x4A) dvbpsi_bat_detach(h.get(), s[0], id);
      if (s[0] == 0x70 || s[0] == 0x73) dvbpsi_tot_detach(h.get(), s[0], 0);
      dvbpsi_DetachDemux(h.get());
    } else if (s[0] == 0x00) {
      dvbpsi_pat_detach(h.get());
    } else if (s[0] == 0x01) {
      dvbpsi_cat_detach(h.get());
    } else {
      dvbpsi_pmt_detach(h.get());
    }
    out.push_back(decoded.line);
    first = end;
  }
  return out;
}

struct ExampleRow {
  const char* file;  // tests/data/tsduck/
  std::vector<std::string> tables;  // as libdvbpsi reads the compiled sections, from the document's values
};

// TSDuck's documented XML examples, kept in tests/data/tsduck/ (from TSDuck's user guide, chapter
// "PSI/SI XML format", and its sample/ folder: mpe/, sample-extension/demo/ without the demo's own
// foo_descriptor, pmt_ssu.xml, misc/nit_tnt_v26.xml cut to two transport streams), plus two documents written to the model of
// its reference.
// Compiled, then read back by libdvbpsi and compared with the values the documents give;
// absent attributes take the model's defaults (version 0, current, PCR_PID 0x1FFF, actual).
TEST(TsduckXml, DocumentedExamplesCompileToTheSectionsTheyDescribe) {
  const ExampleRow rows[] = {
      {"guide_pat_pmt.xml",
       {"PAT v8 ts 0012 0000>0010 0001>1234 0002>0678",
        "PMT v4 program 0456 PCR 1234 [CA 0777/0251 ] | 12 0567 [CA 4444/0252 ] [languages fre:45 deu:78]"}},
      {"mpe_pat.xml", {"PAT v0 ts 0001 02bc>1388 02bd>138a"}},
      {"mpe_sdt.xml",
       {"SDT 42 v0 ts 0001 onid 0001 | 02bc sched 0 pf 0 status 4 CA 0 [service 0c 54534475636b 4d50452044656d6f2028494e5429]"
        " | 02bd sched 0 pf 0 status 4 CA 0 [service 0c 54534475636b 4d50452044656d6f]"}},
      {"mpe_pmt_with_pcr.xml", {"PMT v0 program 02bd PCR 138c | 0d 138b [component_tag 01] [66:0005]"}},
      {"demo_cat.xml", {"CAT v0 [CA f004/0200 0123abcdef]"}},
      {"demo_pmt.xml",
       {"PMT v0 program 0001 PCR 0101 [CA f004/0103 0123456789] | 1b 0101 | 06 0102 [6a:8f42] [languages eng:01]"
        " | 05 0104 [registration 464f4f54]"}},
      {"demo_sdt.xml", {"SDT 42 v0 ts 0001 onid 1000 | 0001 sched 0 pf 0 status 4 CA 1 [service 01 54534475636b 466f6f2044656d6f]"}},
      {"pmt_ssu.xml", {"PMT v0 program 04f0 PCR 1fff | 0b 1f00 [data_broadcast_id 000a 0c001222f1df06fffffffff0f0]"}},
      {"nit_tnt.xml",
       {"NIT 40 v26 network 20fa [network 'F'] [linkage 0001/20fa/01ff type 09 0400015a00]"
        " [linkage 0002/20fa/02ff type 09 0400015a00] | 0001/20fa [5f:00000028] [LCN 0101:1:2 0104:1:5 0105:1:19]"
        " [88:0101fc34] [services 0101:01 0104:01 0105:01] [terrestrial ffffffff bw 0 prio 1 ts 1 mpe 1 const 2 hier 0 hp 7 lp 0 guard 0 mode 1 other 0]"
        " | 0002/20fa [5f:00000028] [LCN 0201:1:8] [services 0201:01] [terrestrial ffffffff bw 0 prio 1 ts 1 mpe 1 const 2 hier 0 hp 7 lp 0 guard 0 mode 1 other 0]"}},
      {"model_delivery.xml",
       {"NIT 40 v5 network 0055 [network 'Sat \xa4'] | 0011/0055 [satellite 01195400 pos 0192 1 pol 0 roll 0 sys 0 mod 1 rate 0275000 fec 3]"
        " [cable 03460000 outer 2 mod 1 rate 0069000 fec 15] | 0012/0055 [satellite 01081800 pos 0130 0 pol 1 roll 2"
        " sys 1 mod 2 rate 0220000 fec 2] [cable 04740000 outer 1 mod 5 rate 0068750 fec 0]"}},
      {"model_bat_time.xml",
       {"BAT v3 bouquet 0086 [47:5476204e756dc265726963] | 0004/20fa [services 0401:19]",
        "SDT 46 v2 ts 0004 onid 20fa | 0401 sched 0 pf 1 status 3 CA 0 [service 19 "
        "15ce95cebbcebbceb7cebdceb9cebaceac 0bd0]",
        "TDT efc4170509", "TOT eec8005959 [offsets FRA 0 +0100 eec8010000 0200 PRT 1 -0100 eec8010000 0000]"}},
  };
  for (const ExampleRow& row : rows) {
    SCOPED_TRACE(row.file);
    std::ifstream in(std::string(QUORVELIN_TEST_DATA) + "/tsduck/" + row.file);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    const SectionBytesList sections = CompileXmlSections(text.str(), error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(DecodedTables(sections), row.tables);
    EXPECT_EQ(CompileXmlSections(SectionsToXml(sections), error), sections) << SectionsToXml(sections);
  }
}

}  // namespace
}  // namespace quorvelin

#endif  // QUORVELIN_HAVE_DVBPSI
