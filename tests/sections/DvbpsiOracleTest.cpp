// An implementation nobody here wrote checks the codec: libdvbpsi decodes what the builders
// write (CRC_32 included) and writes sections that the parsers must show as specified.
#ifdef QUORVELIN_HAVE_DVBPSI

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The oracle brings dvbpsi.h, psi.h, descriptor.h, demux.h, sdt.h and tot.h (libdvbpsi's
// headers refuse a second inclusion).
#include "DvbpsiOracle.h"

extern "C" {
#include <dvbpsi/pat.h>
#include <dvbpsi/pmt.h>
#include <dvbpsi/cat.h>
#include <dvbpsi/dr_09.h>
#include <dvbpsi/dr_48.h>
#include <dvbpsi/dr_4a.h>
#include <dvbpsi/dr_58.h>
}

#include "SectionTestSupport.h"
#include "sections/CatSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/TimeSections.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

using testing::BranchText;
using testing::Oracle;
using testing::SampleSection;

// The section bytes of the first section libdvbpsi generated (then released).
std::vector<uint8_t> Generated(dvbpsi_psi_section_t* sections) {
  std::vector<uint8_t> bytes;
  if (sections) {
    const size_t size = 3u + ((sections->p_data[1] & 0x0F) << 8 | sections->p_data[2]);
    bytes.assign(sections->p_data, sections->p_data + size);
  }
  dvbpsi_DeletePSISections(sections);
  return bytes;
}

std::vector<uint8_t> Bytes(const dvbpsi_descriptor_t* d) { return std::vector<uint8_t>(d->p_data, d->p_data + d->i_length); }

class DvbpsiOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::BuildTwoPorts(tree);
    SetTextCode(0);
  }
  TableTreeCtrl tree;
  testing::ScratchDirectory scratch_;
};

// ---------------------------------------------------------------- builders, decoded by libdvbpsi

struct DecodedPat {
  int calls = 0;
  uint16_t tsid = 0;
  uint8_t version = 0;
  bool currentNext = false;
  std::vector<std::pair<uint16_t, uint16_t>> programs;
};

TEST_F(DvbpsiOracle, DecodesTheBuiltPat) {
  const auto captured = SampleSection("pat_r4");
  ParsePatSection(tree, captured.data(), captured.size(), 1);
  SdtSectionHeader sdt;
  sdt.transport_stream_id = 0x0ABC;
  tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(1, Table::Sdt), MakeRecord(NodeKind::SdtSection, sdt));
  std::vector<uint8_t> area(204800, 0xFF);
  ASSERT_EQ(BuildPat(tree, 1, area.data(), area.size()).count, 8);

  DecodedPat got;
  Oracle oracle;
  dvbpsi_pat_attach(oracle.handle(), [](void* data, dvbpsi_pat_t* pat) {
    auto* out = static_cast<DecodedPat*>(data);
    ++out->calls;
    out->tsid = pat->i_ts_id;
    out->version = pat->i_version;
    out->currentNext = pat->b_current_next;
    for (auto* p = pat->p_first_program; p; p = p->p_next) out->programs.emplace_back(p->i_number, p->i_pid);
    dvbpsi_pat_delete(pat);
  }, &got);
  oracle.OnDetach(&dvbpsi_pat_detach);
  oracle.Push(area);
  EXPECT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_EQ(got.calls, 1);
  EXPECT_EQ(got.tsid, 0x0ABC);
  EXPECT_EQ(got.version, 3);
  EXPECT_TRUE(got.currentNext);
  const std::vector<std::pair<uint16_t, uint16_t>> expected = {{0, 0x10},      {0x401, 0x6E},  {0x402, 0xD2},
                                                               {0x403, 0x136}, {0x404, 0x19A}, {0x405, 0x1FE},
                                                               {0x406, 0x262}, {0x4FF, 0x3F2}};
  EXPECT_EQ(got.programs, expected);
}

struct DecodedDescriptor {
  uint8_t tag;
  std::vector<uint8_t> data;
  uint16_t caSystem = 0, caPid = 0;
  std::vector<uint8_t> caPrivate;
};

DecodedDescriptor Decode(dvbpsi_descriptor_t* d) {
  DecodedDescriptor out{d->i_tag, Bytes(d), 0, 0, {}};
  if (d->i_tag == 0x09) {
    if (const dvbpsi_ca_dr_t* ca = dvbpsi_DecodeCADr(d)) {
      out.caSystem = ca->i_ca_system_id;
      out.caPid = ca->i_ca_pid;
      out.caPrivate.assign(ca->i_private_data, ca->i_private_data + ca->i_private_length);
    }
  }
  return out;
}

struct DecodedPmt {
  int calls = 0;
  uint16_t program = 0, pcrPid = 0;
  uint8_t version = 0;
  std::vector<DecodedDescriptor> info;
  struct Es {
    uint8_t type;
    uint16_t pid;
    std::vector<DecodedDescriptor> descriptors;
  };
  std::vector<Es> streams;
};

TEST_F(DvbpsiOracle, DecodesTheBuiltPmtWithItsCaDescriptors) {
  const auto captured = SampleSection("pmt_planete");
  PmtReadState state;
  ASSERT_EQ(ParsePmtSections(tree, captured.data(), captured.size(), 2, 0x0503, state), 1);
  std::vector<uint8_t> slots(65536, 0xFF);
  ASSERT_TRUE(BuildPmts(tree, 2, slots.data(), slots.size()).ok);
  EXPECT_EQ(slots[1] << 8 | slots[2], 0x4503);

  DecodedPmt got;
  Oracle oracle;
  dvbpsi_pmt_attach(oracle.handle(), 0x0304, [](void* data, dvbpsi_pmt_t* pmt) {
    auto* out = static_cast<DecodedPmt*>(data);
    ++out->calls;
    out->program = pmt->i_program_number;
    out->pcrPid = pmt->i_pcr_pid;
    out->version = pmt->i_version;
    for (auto* d = pmt->p_first_descriptor; d; d = d->p_next) out->info.push_back(Decode(d));
    for (auto* es = pmt->p_first_es; es; es = es->p_next) {
      DecodedPmt::Es e{es->i_type, es->i_pid, {}};
      for (auto* d = es->p_first_descriptor; d; d = d->p_next) e.descriptors.push_back(Decode(d));
      out->streams.push_back(std::move(e));
    }
    dvbpsi_pmt_delete(pmt);
  }, &got);
  oracle.OnDetach(&dvbpsi_pmt_detach);
  oracle.Push(std::vector<uint8_t>(slots.begin(), slots.begin() + 1024));
  EXPECT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_EQ(got.calls, 1);
  EXPECT_EQ(got.pcrPid, 0xA3);
  EXPECT_EQ(got.version, 0x15);
  ASSERT_EQ(got.info.size(), 1u);
  EXPECT_EQ(got.info[0].caSystem, 0x4ADC);
  EXPECT_EQ(got.info[0].caPid, 0x066A);
  EXPECT_EQ(got.info[0].caPrivate, std::vector<uint8_t>{0xFE});
  ASSERT_EQ(got.streams.size(), 2u);
  EXPECT_EQ(got.streams[0].type, 0x1B);
  EXPECT_EQ(got.streams[0].pid, 0xA3);
  EXPECT_EQ(got.streams[1].type, 0x04);
  EXPECT_EQ(got.streams[1].pid, 0x5C);
  ASSERT_EQ(got.streams[1].descriptors.size(), 3u);
  EXPECT_EQ(got.streams[1].descriptors[1].data, (std::vector<uint8_t>{'f', 'r', 'a', 0}));
  EXPECT_EQ(got.streams[1].descriptors[2].caSystem, 0x0100);
  EXPECT_EQ(got.streams[1].descriptors[2].caPid, 0x0669);
  EXPECT_EQ(got.streams[1].descriptors[2].caPrivate.size(), 28u);
}

struct DecodedCat {
  int calls = 0;
  uint8_t version = 0;
  std::vector<DecodedDescriptor> descriptors;
};

TEST_F(DvbpsiOracle, DecodesTheBuiltCat) {
  const std::vector<uint8_t> bytes = {0x01, 0xB0, 0x17, 0xFF, 0xFF, 0xCB, 0x00, 0x00, 0x09, 0x04, 0x0B, 0x00,
                                      0xE1, 0x23, 0x09, 0x06, 0x4A, 0xDC, 0xE0, 0x10, 0xAB, 0x0C, 0, 0, 0, 0};
  ASSERT_TRUE(ParseCat(tree, bytes.data(), bytes.size(), 1));
  std::vector<uint8_t> area(1024, 0xFF);
  ASSERT_TRUE(BuildCat(tree, 1, area.data(), area.size()).ok);

  DecodedCat got;
  Oracle oracle;
  dvbpsi_cat_attach(oracle.handle(), [](void* data, dvbpsi_cat_t* cat) {
    auto* out = static_cast<DecodedCat*>(data);
    ++out->calls;
    out->version = cat->i_version;
    for (auto* d = cat->p_first_descriptor; d; d = d->p_next) out->descriptors.push_back(Decode(d));
    dvbpsi_cat_delete(cat);
  }, &got);
  oracle.OnDetach(&dvbpsi_cat_detach);
  oracle.Push(area);
  EXPECT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_EQ(got.calls, 1);
  EXPECT_EQ(got.version, 5);
  ASSERT_EQ(got.descriptors.size(), 2u);
  EXPECT_EQ(got.descriptors[0].caSystem, 0x0B00);
  EXPECT_EQ(got.descriptors[0].caPid, 0x0123);
  EXPECT_TRUE(got.descriptors[0].caPrivate.empty());
  EXPECT_EQ(got.descriptors[1].caSystem, 0x4ADC);
  EXPECT_EQ(got.descriptors[1].caPrivate, (std::vector<uint8_t>{0xAB, 0x0C}));
}

struct DecodedSdt {
  int sdtCalls = 0, totCalls = 0;
  uint16_t tsid = 0, onid = 0;
  struct Service {
    uint16_t id;
    bool schedule, present, freeCa;
    uint8_t running;
    uint8_t type = 0;
    std::string provider, name;
    uint16_t linkedService = 0;
  };
  std::vector<Service> services;
  uint64_t utc = 0;
  dvbpsi_local_time_offset_t offset{};
};

TEST_F(DvbpsiOracle, DecodesTheBuiltSdtThroughTheDemux) {
  const auto captured = SampleSection("sdt_r3");
  ASSERT_TRUE(ParseSdtSection(tree, captured.data(), captured.size(), 1, 0));
  // A linkage descriptor on the first service, entered as a parser would.
  const ItemHandle list = tree.FindChildOfKind(tree.Root(1, Table::Sdt), NodeKind::SdtServiceDescriptorList);
  LinkageDescriptor link;
  link.length = 9;
  link.transport_stream_id = 1, link.original_network_id = 2, link.service_id = 0x0777, link.linkage_type = 4;
  link.private_data = {0xAA, 0xBB};
  tree.InsertRecordItem("descriptor_tag: 0x4a =>link_age_descriptor", kImageLine, list,
                        MakeRecord(NodeKind::SdtLinkageDescriptor, link));
  tree.RecordOf(tree.GetParentItem(list))->As<SdtService>()->descriptors_loop_length.add(11);
  std::vector<uint8_t> area(204800, 0xFF);
  ASSERT_TRUE(BuildSdt(tree, 1, area.data(), area.size()).ok);

  DecodedSdt got;
  Oracle oracle;
  oracle.AttachDemux(
      [](void* data, dvbpsi_sdt_t* sdt) {
        auto* out = static_cast<DecodedSdt*>(data);
        ++out->sdtCalls;
        out->tsid = sdt->i_extension;
        out->onid = sdt->i_network_id;
        for (auto* s = sdt->p_first_service; s; s = s->p_next) {
          DecodedSdt::Service service{s->i_service_id, s->b_eit_schedule, s->b_eit_present, s->b_free_ca,
                                      s->i_running_status, 0, {}, {}, 0};
          for (auto* d = s->p_first_descriptor; d; d = d->p_next) {
            if (d->i_tag == 0x48)
              if (const dvbpsi_service_dr_t* sd = dvbpsi_DecodeServiceDr(d)) {
                service.type = sd->i_service_type;
                service.provider.assign(reinterpret_cast<const char*>(sd->i_service_provider_name),
                                        sd->i_service_provider_name_length);
                service.name.assign(reinterpret_cast<const char*>(sd->i_service_name), sd->i_service_name_length);
              }
            if (d->i_tag == 0x4A)
              if (const dvbpsi_linkage_dr_t* l = dvbpsi_DecodeLinkageDr(d)) service.linkedService = l->i_service_id;
          }
          out->services.push_back(service);
        }
        dvbpsi_sdt_delete(sdt);
      },
      nullptr, &got);
  oracle.Push(area);
  EXPECT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_EQ(got.sdtCalls, 1);
  EXPECT_EQ(got.tsid, 3);
  EXPECT_EQ(got.onid, 0x20FA);
  ASSERT_EQ(got.services.size(), 8u);
  EXPECT_EQ(got.services[0].id, 0x0301);
  EXPECT_FALSE(got.services[0].schedule);
  EXPECT_TRUE(got.services[0].present);
  EXPECT_EQ(got.services[0].running, 4);
  EXPECT_FALSE(got.services[0].freeCa);
  EXPECT_TRUE(got.services[1].freeCa);
  EXPECT_EQ(got.services[0].type, 1);
  EXPECT_EQ(got.services[0].provider, "CNH");
  EXPECT_EQ(got.services[0].name, "CANAL+");
  EXPECT_EQ(got.services[0].linkedService, 0x0777);
  EXPECT_EQ(got.services[2].name, "CANAL+ SPORT");
  EXPECT_EQ(got.services[7].type, 0x0C);
}

TEST_F(DvbpsiOracle, DecodesTheBuiltTotThroughTheDemux) {
  TotRecord state;
  state.country_code = {'F', 'R', 'A'};
  state.country_region_id = 5;
  state.local_time_offset_polarity = 1;
  state.local_time_offset = MakeDate(1899, 12, 30, 5, 30, 0);
  state.time_of_change = MakeDate(1993, 10, 13, 12, 45, 0);
  state.next_time_offset = MakeDate(1899, 12, 30, 10, 0, 0);
  ShowTot(tree, tree.Root(1, Table::Tot), state);
  std::vector<uint8_t> area(1024, 0xFF);
  ASSERT_TRUE(BuildTdtAt(tree, area.data(), area.size(), 1, MakeDate(2007, 11, 23, 13, 25, 3)));
  std::vector<uint8_t> tot(1024, 0xFF);
  ASSERT_TRUE(BuildTot(tree, tot.data(), tot.size(), 1));

  DecodedSdt got;
  Oracle oracle;
  oracle.AttachDemux(nullptr,
                     [](void* data, dvbpsi_tot_t* t) {
                       auto* out = static_cast<DecodedSdt*>(data);
                       ++out->totCalls;
                       out->utc = t->i_utc_time;
                       for (auto* d = t->p_first_descriptor; d; d = d->p_next)
                         if (d->i_tag == 0x58)
                           if (const auto* lto = dvbpsi_DecodeLocalTimeOffsetDr(d))
                             out->offset = lto->p_local_time_offset[0];
                       dvbpsi_tot_delete(t);
                     },
                     &got);
  oracle.Push(tot);
  EXPECT_TRUE(oracle.errors.empty()) << oracle.errors.front();
  ASSERT_EQ(got.totCalls, 1);
  EXPECT_EQ(got.utc, 0xD49B132503ull);  // the TDT's time, written just before
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.offset.i_country_code), 3), "FRA");
  EXPECT_EQ(got.offset.i_country_region_id, 5);
  EXPECT_EQ(got.offset.i_local_time_offset_polarity, 1);
  EXPECT_EQ(got.offset.i_local_time_offset, 0x0530);
  EXPECT_EQ(got.offset.i_time_of_change, 0xC079124500ull);
  EXPECT_EQ(got.offset.i_next_time_offset, 0x1000);
}

TEST_F(DvbpsiOracle, ReportsACorruptedSection) {
  // The oracle itself must notice a bad CRC_32, or the tests above would prove nothing.
  const auto captured = SampleSection("cat_r3");
  ParseCat(tree, captured.data(), captured.size(), 1);
  std::vector<uint8_t> area(1024, 0xFF);
  ASSERT_TRUE(BuildCat(tree, 1, area.data(), area.size()).ok);
  area[5 + 10] ^= 0x01;
  int calls = 0;
  Oracle oracle;
  dvbpsi_cat_attach(oracle.handle(), [](void* data, dvbpsi_cat_t* cat) {
    ++*static_cast<int*>(data);
    dvbpsi_cat_delete(cat);
  }, &calls);
  oracle.OnDetach(&dvbpsi_cat_detach);
  oracle.Push(area);
  EXPECT_EQ(calls, 0);
  ASSERT_FALSE(oracle.errors.empty());
  EXPECT_NE(oracle.errors.front().find("CRC"), std::string::npos);
}

// ---------------------------------------------------------------- libdvbpsi's sections, parsed

TEST_F(DvbpsiOracle, ParsesGeneratedPat) {
  Oracle oracle;
  dvbpsi_pat_t pat;
  dvbpsi_pat_init(&pat, 0x1234, 7, true);
  dvbpsi_pat_program_add(&pat, 0, 0x10);
  dvbpsi_pat_program_add(&pat, 0x65, 0x1FFE);
  const auto bytes = Generated(dvbpsi_pat_sections_generate(oracle.handle(), &pat, 253));
  dvbpsi_pat_empty(&pat);
  EXPECT_EQ(ParsePatSection(tree, bytes.data(), bytes.size(), 1), 2);
  char crc[32];
  std::snprintf(crc, sizeof crc, "0x%x", bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19]);
  EXPECT_EQ(BranchText(tree, 1, Table::Pat),
            "SECTION0:\n  table_id: 0x0\n  section_syntax_indicator: 0x1\n  section_length: 0x11\n"
            "  transport_stream_id: 0x1234\n  version_number: 0x7\n  current_next_indicator: 0x1\n"
            "  section_number: 0x0\n  last_section_number: 0x0\n  programs:2\n"
            "    program_number: 0x0 (0) => pid: 0x10 (16)\n    program_number: 0x65 (101) => pid: 0x1ffe (8190)\n"
            "  crc_32: " + std::string(crc) + "\n");
}

TEST_F(DvbpsiOracle, ParsesGeneratedPmt) {
  Oracle oracle;
  dvbpsi_pmt_t pmt;
  dvbpsi_pmt_init(&pmt, 0x22, 1, true, 0x100);
  uint8_t ca[] = {0x06, 0x04, 0xE2, 0x00, 0x99};
  dvbpsi_pmt_descriptor_add(&pmt, 0x09, sizeof ca, ca);
  uint8_t lang[] = {'e', 'n', 'g', 0x0A};
  dvbpsi_pmt_es_t* video = dvbpsi_pmt_es_add(&pmt, 0x02, 0x101);
  dvbpsi_pmt_es_t* audio = dvbpsi_pmt_es_add(&pmt, 0x03, 0x102);
  dvbpsi_pmt_es_descriptor_add(audio, 0x0A, sizeof lang, lang);
  (void)video;
  const auto bytes = Generated(dvbpsi_pmt_sections_generate(oracle.handle(), &pmt));
  dvbpsi_pmt_empty(&pmt);
  PmtReadState state;
  ASSERT_EQ(ParsePmtSections(tree, bytes.data(), bytes.size(), 1, 0x200, state), 1);
  const std::string branch = BranchText(tree, 1, Table::Pmt);
  EXPECT_EQ(branch.substr(0, branch.find("    crc_32")),
            "program: 0x22 (34) => pid: 0x200 (512)\n"
            "  Section 0:\n"
            "    table_id: 0x2\n    section_syntax_indicator: 0x1\n    section_length: 0x24\n"
            "    program_number: 0x22\n    version_number: 0x1\n    current_next_indicator: 0x1\n"
            "    section_number: 0x0\n    last_section_number: 0x0\n    pcr_pid: 0x100\n"
            "    program_info_length: 0x7 (7)\n"
            "    program_info_descriptors\n"
            "      descriptor_tag: 0x9\n        descriptor_length: 0x5\n        descriptor_data\n"
            "          CA_system_ID: 0x604\n          CA_PID: 0x200\n          descriptor_data(hex): 99\n"
            "    components\n"
            "      stream type:  2\n        elementary_pid: 0x101 (257)\n        es_info_length: 0x0 (0)\n"
            "      stream type:  3\n        elementary_pid: 0x102 (258)\n        es_info_length: 0x6 (6)\n"
            "        es descriptors\n"
            "          descriptor_tag: 0a\n            descriptor_length (byte): 4\n"
            "            descriptor_data(hex): 65 6e 67 0a\n");
  const ItemHandle video0 = tree.FindChildOfKind(tree.Root(1, Table::Pmt), NodeKind::PmtComponent);
  EXPECT_EQ(tree.GetItemImage(video0), kImageVideo);
  EXPECT_EQ(tree.GetItemImage(tree.GetNextSiblingItem(video0)), kImageAudio);
}

TEST_F(DvbpsiOracle, ParsesGeneratedCat) {
  Oracle oracle;
  dvbpsi_cat_t cat;
  dvbpsi_cat_init(&cat, 2, true);
  uint8_t ca[] = {0x01, 0x00, 0xE0, 0xC1};
  dvbpsi_cat_descriptor_add(&cat, 0x09, sizeof ca, ca);
  const auto bytes = Generated(dvbpsi_cat_sections_generate(oracle.handle(), &cat));
  dvbpsi_cat_empty(&cat);
  ASSERT_TRUE(ParseCat(tree, bytes.data(), bytes.size(), 2));
  const std::string branch = BranchText(tree, 2, Table::Cat);
  EXPECT_EQ(branch.substr(0, branch.find("  crc_32")),
            "SECTION:0\n  table_id: 0x1\n  section_syntax_indicator: 0x1\n  section_length: 0xf\n"
            "  version_number: 0x2\n  current_next_indicator: 0x1\n  section_number: 0x0\n  last_section_number: 0x0\n"
            "  descriptors\n    descriptor_tag: 0x9\n      descriptor_length: 0x4\n      descriptor_data\n"
            "        CA_system_ID: 0x100\n        CA_PID: 0xc1\n");
}

TEST_F(DvbpsiOracle, ParsesGeneratedSdt) {
  Oracle oracle;
  dvbpsi_sdt_t sdt;
  dvbpsi_sdt_init(&sdt, 0x42, 0x0003, 4, true, 0x20FA);
  dvbpsi_sdt_service_t* tv = dvbpsi_sdt_service_add(&sdt, 0x0101, true, false, 2, true);
  uint8_t service[] = {0x01, 0x02, 'A', 'B', 0x03, 'T', 'V', '1'};
  dvbpsi_sdt_service_descriptor_add(tv, 0x48, sizeof service, service);
  dvbpsi_sdt_service_t* radio = dvbpsi_sdt_service_add(&sdt, 0x0102, false, true, 4, false);
  uint8_t radioService[] = {0x02, 0x00, 0x01, 'R'};
  dvbpsi_sdt_service_descriptor_add(radio, 0x48, sizeof radioService, radioService);
  const auto bytes = Generated(dvbpsi_sdt_sections_generate(oracle.handle(), &sdt));
  dvbpsi_sdt_empty(&sdt);
  ASSERT_TRUE(ParseSdtSection(tree, bytes.data(), bytes.size(), 1, 0));
  const std::string branch = BranchText(tree, 1, Table::Sdt);
  EXPECT_EQ(branch.substr(0, branch.find("  crc_32")),
            "Section 0:\n  table_id: 0x42\n  section_syntax_indicator: 0x1\n  section_length: 0x26\n"
            "  transport_stream_id: 0x3\n  version_number: 0x4\n  current_next_indicator: 0x1\n"
            "  section_number: 0x0\n  last_section_number: 0x0\n  original_network_id: 0x20fa\n"
            "  services\n"
            "    service_id: 0x0101 (257)\n      eit_schedule_flag: 0x1\n      eit_present_following_flag: 0x0\n"
            "      runing_status: 0x2\n      free_CA_mode: 0x1\n      descriptors_loop_length: 0xa\n"
            "      descriptors\n        descriptor_tag: 0x48\n          descriptor_length(byte): 8\n"
            "          descriptor_data\n            service_type: 0x1 => digital television service\n"
            "            service_provider_name_length: 2\n            service_provider_name: AB\n"
            "            service_name_length: 3\n            service_name: TV1\n"
            "    service_id: 0x0102 (258)\n      eit_schedule_flag: 0x0\n      eit_present_following_flag: 0x1\n"
            "      runing_status: 0x4\n      free_CA_mode: 0x0\n      descriptors_loop_length: 0x6\n"
            "      descriptors\n        descriptor_tag: 0x48\n          descriptor_length(byte): 4\n"
            "          descriptor_data\n            service_type: 0x2 => \n"
            "            service_provider_name_length: 0\n            service_provider_name: \n"
            "            service_name_length: 1\n            service_name: R\n");
}

TEST_F(DvbpsiOracle, ParsesGeneratedTot) {
  Oracle oracle;
  dvbpsi_tot_t tot;
  dvbpsi_tot_init(&tot, 0x73, 0, 0, true, 0xC079124500ull);
  uint8_t offset[] = {'D', 'E', 'U', 0x06, 0x01, 0x00, 0xD5, 0x1B, 0x01, 0x00, 0x00, 0x02, 0x00};
  dvbpsi_tot_descriptor_add(&tot, 0x58, sizeof offset, offset);
  const auto bytes = Generated(dvbpsi_tot_sections_generate(oracle.handle(), &tot));
  dvbpsi_tot_empty(&tot);
  ASSERT_TRUE(ParseTotSection(tree, bytes.data(), bytes.size(), 1));
  const std::string branch = BranchText(tree, 1, Table::Tot);
  // This libdvbpsi leaves the CRC_32 out of the TOT's section_length (22 instead of 26).
  EXPECT_EQ(branch.substr(0, branch.find("  crc_32")),
            "SECTION:0\n  table_id: 0x73\n  section_syntax_indicator: 0x0\n  section_length: 0x16\n"
            "  utc_time: 1993-10-13 12:45:00\n  descriptors\n    descriptor_tag:0x58\n      descriptor_length:0xd\n"
            "      country_code:DEU\n      country_region_id:0x1\n      local_time_offset_polarity:0x0\n"
            "      local_time_offset:01:00:00\n      local_time_offset:2008-03-30 01:00:00\n"
            "      next_time_offset:02:00:00\n");
}

}  // namespace
}  // namespace quorvelin

#endif  // QUORVELIN_HAVE_DVBPSI
