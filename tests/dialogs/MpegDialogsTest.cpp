// The PAT, PMT, CAT, SDT, id, channel and time dialogs.
#include <cstdlib>
#include <ctime>
#include <tuple>
#include <vector>

#include "MpegFixture.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CDlgModifyNIT.h"
#include "dialogs/dvb/CDlgNITLinkage.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/dvb/CNITAddTranStream.h"
#include "dialogs/mpeg/CCATAddDes1.h"
#include "dialogs/mpeg/CDlgModifyPmtSection.h"
#include "dialogs/mpeg/CDlgModifySdtSection.h"
#include "dialogs/mpeg/CDlgModifyTOT.h"
#include "dialogs/mpeg/CDlgModifyTranIDNetworkID.h"
#include "dialogs/mpeg/CDlgModifyTransID.h"
#include "dialogs/mpeg/CPATAdd.h"
#include "dialogs/mpeg/CPATAddPrg.h"
#include "dialogs/mpeg/CPMTAddCom.h"
#include "dialogs/mpeg/CPMTAddDescType.h"
#include "dialogs/mpeg/CPMTAddPrg.h"
#include "dialogs/mpeg/CPmtAddComDes.h"
#include "dialogs/mpeg/CSDTAdd.h"
#include "dialogs/mpeg/CSDTAddDesc.h"
#include "dialogs/mpeg/CSDTAddService.h"
#include "dialogs/mpeg/CSetChannel.h"
#include "dialogs/mpeg/CTDTModifyTime.h"
#include "resources/MpegDialogIds.h"
#include "sections/TimeSections.h"
#include "util/Number.h"

namespace quorvelin::test {
namespace {

using namespace mpeg_ids;
namespace L = dvb_ids::linkage;
namespace P = pat_program;
namespace PP = pmt_program;
namespace PS = pmt_section;
namespace C = pmt_component;
namespace PT = pmt_type;
namespace CA = ca_form;
namespace SV = sdt_service;
namespace SS = sdt_section;
namespace SP = sdt_service_page;

Fields Program(const char* number, const char* pid) { return {{P::kProgramNumber, number}, {P::kPid, pid}}; }
Fields PmtProgram(const char* number, const char* pcr) { return {{PP::kProgramNumber, number}, {PP::kPcrPid, pcr}}; }
Fields Component(const char* type, const char* pid) { return {{C::kStreamType, type}, {C::kElementaryPid, pid}}; }
Fields Hex(const char* tag, const char* length, const std::string& data) {
  return {{pmt_other::kTag, tag}, {pmt_other::kLength, length}, {pmt_other::kData, data}};
}
Fields SdtHex(const char* tag, const char* length, const char* data) {
  return {{dvb_ids::hex_descriptor::kTag, tag}, {dvb_ids::hex_descriptor::kLength, length}, {dvb_ids::hex_descriptor::kData, data}};
}
Fields Ca(const char* system, const char* pid, const char* length, const char* data) {
  return {{CA::kCaSystemId, system}, {CA::kCaPid, pid}, {CA::kPrivateDataLength, length}, {CA::kPrivateData, data}};
}
Fields Service(const char* id, const char* running, const char* schedule = "[x]", const char* freeCa = "[x]") {
  return {{SV::kServiceId, id}, {SV::kRunningStatus, running}, {SV::kEitSchedule, schedule},
          {SV::kEitPresentFollowing, "[ ]"}, {SV::kFreeCaMode, freeCa}};
}
Fields Names(const char* type, const std::string& provider, const std::string& name) {
  return {{SP::kServiceType, type}, {SP::kProviderName, provider}, {SP::kServiceName, name}};
}
Fields Linkage(const char* length, const char* data) {
  return {{L::kTransportStreamId, "0x10"}, {L::kOriginalNetworkId, "0x20"}, {L::kServiceId, "0x30"},
          {L::kLinkageType, "#5"}, {L::kDataLength, length}, {L::kPrivateData, data}};
}
Factory Tot() {
  return [](MpegTree& t) {
    return std::make_unique<CDlgModifyTOT>(t.tree, t.ui, t.tree.Root(1, Table::Tot), DateTime{}, DateTime{});
  };
}

const Where kPat{K::PatSection}, kPrograms{K::PatProgramList}, kPmtRoot{K::PmtRoot}, kPmt{K::PmtSection},
    kInfo{K::PmtProgramInfoList}, kComponents{K::PmtComponentList}, kVideo{K::PmtComponent},
    kAudio{K::PmtComponent, 1}, kCat{K::CatSection}, kSdt{K::SdtSection}, kServices{K::SdtServiceList},
    kService{K::SdtService}, kNewService{K::SdtService, 8}, kPmtB{K::PmtSection, 0, 2};

// Program 0x304, whose PMT the first port holds, entered in the second port's PAT and given a PMT there.
void PmtInPortB(MpegTree& t) {
  ASSERT_TRUE(RunOn(t, {K::PatProgramList, 0, 2}, Make<CPATAddPrg>(true), -1, Program("0x304", "0x503")));
  ASSERT_TRUE(RunOn(t, {K::PmtRoot, 0, 2}, Make<CPMTAddPrg>(), -1, PmtProgram("0x304", "0x201")));
}
// A component without descriptors under the second port's new PMT.
void ComponentInPortB(MpegTree& t) {
  PmtInPortB(t);
  ASSERT_TRUE(RunOn(t, kPmtB, Make<CPMTAddDescType>(), -1, {{PT::kType, "#1"}}));
  ASSERT_TRUE(RunOn(t, {K::PmtComponentList, 0, 2}, Make<CPMTAddCom>(true), -1, Component("2", "0x202")));
}
void NewService(MpegTree& t) {
  ASSERT_TRUE(RunOn(t, kServices, Make<CSDTAddService>(true), -1, Service("0x999", "4")));
}

TEST(MpegDialogs, Edits) {
  const Edit edits[] = {
      {kPrograms, Make<CPATAddPrg>(true), -1, Program("0x700", "0x700"), Table::Pat, "+700/700",
       "-programs:8 * | +programs:9 | +program_number: 0x700 (1792) => PID: 0x700 (1792) *"},
      {{K::PatProgram, 1}, Make<CPATAddPrg>(false), -1, Program("0x401", "0x1fff"), Table::Pat, "-401/6e | +401/1fff",
       "-program_number: 0x401 (1025) => PID: 0x6e (110) * | +program_number: 0x401 (1025) => PID: 0x1fff (8191) *"},
      // the PMT of the program on the same port follows; its section lines stay
      {{K::PatProgram, 0, 2}, Make<CPATAddPrg>(false), -1, Program("0x305", "0x600"), Table::Pmt,
       "-pid=503 | -program=304 v=1 pcr=201 | +pid=600 | +program=305 v=1 pcr=201",
       "...+program_number: 0x305 (773) => PID: 0x600 (1536) * | ...+program_number: 0x305 (773) => PID: 0x600 (1536) #4 | -program_number: 0x304 | +program_number: 0x305", 0,
       PmtInPortB},
      // the PAT goes out with the transport_stream_id the dialog gave it, whatever the SDT's
      {kPat, Make<CDlgModifyTransID>(), -1, {{transport_id::kTransportStreamId, "1000"}}, Table::Pat,
       "-ts=4 v=3 | +ts=1000 v=3",
       "-transport_stream_id: 0x4 | +transport_stream_id: 0x1000"},
      {kSdt, Make<CDlgModifyTransID>(), -1, {{transport_id::kTransportStreamId, "0x1000"}}, Table::Sdt,
       "-ts=3 on=20fa v=2 | +ts=1000 on=20fa v=2"},
      {kPmtRoot, Make<CPMTAddPrg>(), -1, PmtProgram("0x401", "0x1ff"), Table::Pmt, "+pid=6e | +program=401 v=1 pcr=1ff",
       "...+program_number: 0x401 (1025) => PID: 0x6e (110) #4 | +Section 0: #5 + * | ...+program_number: 0x401 | "
       "+version_number: 0x1 | +current_next_indicator: 0x1 | +section_number: 0x0 | "
       "+last_section_number: 0x0 | +PCR_PID: 0x1ff | +program_info_length: 0x0 (0) | +CRC_32: 0x0"},
      // a new section gets each heading right after its line
      {kPmtB, Make<CPMTAddDescType>(), -1, {{PT::kType, "#0"}}, Table::Pmt, "", "...+program_info_descriptors *", 0,
       PmtInPortB},
      {kPmtB, Make<CPMTAddDescType>(), -1, {{PT::kType, "#1"}}, Table::Pmt, "", "...components *", 0, PmtInPortB},
      {{K::PmtComponent, 0, 2}, Make<CPmtAddComDes>(), 1, Ca("0x100", "0x123", "1", "7f"), Table::Pmt,
       "+e0.09:0100e1237f", "...+ES_info_length: 0x7 (7) * | +es descriptors + | +descriptor_tag: 0x9 + |...", 0,
       ComponentInPortB},
      {kPmt, Make<CDlgModifyPmtSection>(), -1, {{PS::kProgramNumber, "10"}, {PS::kPcrPid, "0x1ff"}}, Table::Pmt,
       "-program=304 v=21 pcr=a3 | +program=a v=21 pcr=1ff",
       "-program_number: 0x304 (772) => PID: 0x503 (1283) #4 | +program_number: 0xa (10) => PID: 0x503 (1283) #4 | -program_number: 0x304 | +program_number: 0xa | -PCR_PID: 0xa3 | +PCR_PID: 0x1ff"},
      {kComponents, Make<CPMTAddCom>(true), -1, Component("6", "0x66"), Table::Pmt, "+es=6/66",
       "-components * | +components | +stream_type: 0x6 * | +elementary_PID: 0x66 (102) | +ES_info_length: 0x0 (0)"},
      // video and audio components have images of their own (types 2, 3 and 0x1b: as read)
      {kComponents, Make<CPMTAddCom>(true), -1, Component("1", "6"), Table::Pmt, "+es=1/6", "...type: 0x1 #6 *..."},
      {kComponents, Make<CPMTAddCom>(true), -1, Component("4", "6"), Table::Pmt, "+es=4/6", "...type: 0x4 #7 *..."},
      {kVideo, Make<CPMTAddCom>(false), -1, Component("0x24", "0xa4"), Table::Pmt, "-es=1b/a3 | +es=24/a4",
       "-stream_type: 0x1b #6 * | -elementary_PID: 0xa3 (163) | +stream_type: 0x24 * | +elementary_PID: 0xa4 (164)"},
      {kInfo, Make<CPmtAddComDes>(), 0, Hex("0x0e", "3", "c0 ff ee"), Table::Pmt, "+i.0e:c0ffee",
       "...+program_info_length: 0xc (12) * | +program_info_descriptors + | +descriptor_tag: 0xe + | ..."},
      {kInfo, Make<CPmtAddComDes>(), 1, Ca("0x0b01", "0x1fff", "0", ""), Table::Pmt, "+i.09:0b01ffff"},
      {kVideo, Make<CPmtAddComDes>(), 1, Ca("256", "0x20", "2", "ab\ncd"), Table::Pmt, "+e0.09:0100e020abcd"},
      {kCat, Make<CCATAddDes1>(), -1, Ca("0x4adc", "0x10", "3", "010203"), Table::Cat, "+09:4adce010010203"},
      {{K::CatSection, 0, 2}, Make<CCATAddDes1>(), -1, Ca("2", "3", "0", " "), Table::Cat, "+09:0002e003",
       "+descriptors + | +descriptor_tag: 0x9 + | +descriptor_length: 0x4 | +descriptor_data + | +CA_system_ID..."},
      {kServices, Make<CSDTAddService>(true), -1, Service("0x0999", "7"), Table::Sdt, "+s999=1071",
       "-services * | +services | +service_id: 0x0999 (2457) + * | +EIT_schedule_flag: 0x1 | "
       "+EIT_present_following_flag: 0x0 | +running_status: 0x7 | +free_CA_mode: 0x1 | +descriptors_loop_length: 0x0"},
      {kService, Make<CSDTAddService>(false), -1, Service("17", "1"), Table::Sdt, "-s301=0140 | +s11=1011",
       "-service_id: 0x0301 (769) * | -EIT_schedule_flag: 0x0 | -EIT_present_following_flag: 0x1 | -running_status: 0x4 "
       "| -free_CA_mode: 0x0 | +service_id: 0x0011 (17) * | +EIT_schedule_flag: 0x1 | +EIT_present_following_flag: 0x0 "
       "| +running_status: 0x1 | +free_CA_mode: 0x1"},
      {kSdt, Make<CDlgModifySdtSection>(), -1, {{SS::kTransportStreamId, "10"}, {SS::kOriginalNetworkId, "0x2345"}},
       Table::Sdt, "-ts=3 on=20fa v=2 | +ts=10 on=2345 v=2",
       "-transport_stream_id: 0x3 | +transport_stream_id: 0x10 | -original_network_id: 0x20fa | "
       "+original_network_id: 0x2345"},
      {kService, Make<CSDTAddDesc>(), 0, Names("1", "ab", "xyz"), Table::Sdt, "+s0.48:010261620378797a",
       "...+service_type: 0x1 => digital television service | +service_provider_name_length: 2 | "
       "+service_provider_name: ab | +service_name_length: 3 | +service_name: xyz"},
      // selector byte 0x14, then UCS-2
      {kService, Make<CSDTAddDesc>(), 0, Names("0x19", "ab", "xyz"), Table::Sdt,
       "+s0.48:19051400610062071400780079007a", "*", 10},
      {kService, Make<CSDTAddDesc>(), 0, Names("1", std::string(200, 'p'), std::string(52, 's')), Table::Sdt,
       "+s0.48:01c87070..."},
      {kService, Make<CSDTAddDesc>(), 2, Linkage("2", "0102"), Table::Sdt, "+s0.4a:001000200030050102"},
      // a modify run starts with the stored service_descriptor and replaces it where it stands
      {{K::SdtServiceDescriptor}, Make<CSDTAddDesc>(CSDTAddDesc::Mode::ModifyService), 0, {}, Table::Sdt, "", "*", 0,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kService, Make<CSDTAddDesc>(), 1, SdtHex("0x87", "1", "aa"))); }},
      {{K::SdtServiceDescriptor}, Make<CSDTAddDesc>(CSDTAddDesc::Mode::ModifyService), 0, {{SP::kServiceName, "xyz"}},
       Table::Sdt, "-s0.48:0103434e480643414e414c2b | +s0.48:0103434e480378797a"},
      // the first descriptor of a service brings its holder, and the loop line gets another label
      {kNewService, Make<CSDTAddDesc>(), 1, SdtHex("0x87", "3", "aa BB cc"), Table::Sdt, "+s8.87:aabbcc",
       "...-descriptors_loop_length: 0x0 | +descriptors_loop_length: 0x5 | +descriptors | +descriptor_tag: 0x87 + *...",
       0, NewService},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.bytes);
    ExpectEdit(e);
  }
}

TEST(MpegDialogs, Refusals) {
  const Fields pmtSection{{PS::kProgramNumber, "1"}, {PS::kPcrPid, "1"}};
  const Fields sdtSection{{SS::kTransportStreamId, "1"}, {SS::kOriginalNetworkId, "1"}};
  ExpectBlanks(kPrograms, Make<CPATAddPrg>(true), -1, Program("1", "1"), {"ProgramNumber", "ProgramPID"});
  ExpectBlanks(kPat, Make<CPATAdd>(), -1, {{pat_add::kTransportStreamId, "1"}}, {"transprot_stream_id"});
  ExpectBlanks(kPat, Make<CDlgModifyTransID>(), -1, {{transport_id::kTransportStreamId, "1"}}, {"Transport_Stream_id"},
                      " can't be NULL!");
  ExpectBlanks(kPmtRoot, Make<CPMTAddPrg>(), -1, PmtProgram("0x401", "1"), {"Program number", "PCR PID"});
  ExpectBlanks(kPmt, Make<CDlgModifyPmtSection>(), -1, pmtSection, {"ProgramNumber", "PCR PID"}, " can't be NULL!");
  ExpectBlanks(kComponents, Make<CPMTAddCom>(true), -1, Component("1", "1"), {"StreamType", "Elementary_Pid"});
  ExpectBlanks(kInfo, Make<CPmtAddComDes>(), 0, Hex("1", "1", "00"),
                      {"Descriptor_tag", "Descriptor_length", "Descriptor_data"});
  ExpectBlanks(kVideo, Make<CPmtAddComDes>(), 1, Ca("1", "1", "0", ""),
               {"ca_system_pid", "ca_pid", "private_data_length"});
  ExpectBlanks(kCat, Make<CCATAddDes1>(), -1, Join({{CA::kTag, "9"}}, Ca("1", "1", "0", "")),
                      {"Descriptor_tag", "ca_system_pid", "ca_pid", "private_data_length"});
  ExpectBlanks(kServices, Make<CSDTAddService>(true), -1, Service("1", "1"), {"service_id", "running_status"});
  ExpectBlanks(kSdt, Make<CSDTAdd>(), -1, {{sdt_add::kTransportStreamId, "1"}, {sdt_add::kOriginalNetworkId, "1"}},
                      {"transprot_stream_id", "original_netwrok_id"});
  ExpectBlanks(kSdt, Make<CDlgModifySdtSection>(), -1, sdtSection, {"Transport_stream_id", "Original_network_id"},
                      " can't be NULL!");
  ExpectBlanks(kService, Make<CSDTAddDesc>(), 0, Names("1", "a", "b"),
                      {"service_type", "service_provider_name", "service_name"});
  ExpectBlanks(kService, Make<CSDTAddDesc>(), 1, SdtHex("1", "1", "00"),
                      {"Descriptor_tag", "Descriptor_length", "Descriptor_data"});
  const Refusal refusals[] = {
      // values that do not fit their field; then the largest that fits
      {{K::PatRoot}, Make<CPATAdd>(), -1, {{pat_add::kTransportStreamId, "65536"}},
       "Transport_stream_id must be 0 to 65535!", pat_add::kTransportStreamId, nullptr, "0xffff"},
      {kPrograms, Make<CPATAddPrg>(true), -1, Program("65536", "6"), "ProgramNumber must be 0 to 65535!",
       P::kProgramNumber, nullptr, "65535"},
      {kPrograms, Make<CPATAddPrg>(true), -1, Program("6", "0x2000"), "ProgramPID must be 0 to 8191!", P::kPid, nullptr,
       "0x1fff"},
      {kPrograms, Make<CPATAddPrg>(true), -1, Program("6", "-1"), "ProgramPID must be 0 to 8191!", P::kPid},
      {kSdt, Make<CDlgModifySdtSection>(), -1, {{SS::kTransportStreamId, "10000"}},  // read as hexadecimal
       "Transport_stream_id must be 0x0 to 0xffff!", SS::kTransportStreamId, nullptr, "ffff"},
      {kServices, Make<CSDTAddService>(true), -1, Service("65536", "4"), "Service_id must be 0 to 65535!",
       SV::kServiceId, nullptr, "65535"},
      {kServices, Make<CSDTAddService>(true), -1, Service("1", "0x10000"), "Running_status must be 0 to 7!",
       SV::kRunningStatus, nullptr, "7"},
      {kService, Make<CSDTAddDesc>(), 0, Names("256", "p", "s"), "service_type must be 0 to 255!", SP::kServiceType,
       nullptr, "255"},
      // a refused linkage page keeps the dialog open, and no empty holder behind
      {kNewService, Make<CSDTAddDesc>(), 2, Join(Linkage("1", "ee"), {{L::kServiceId, "0x10000"}}),
       "Service_id must be 0 to 65535!", L::kServiceId, NewService, "0xffff"},
      {kNewService, Make<CSDTAddDesc>(), 2, Linkage("249", "ee"), "DataLength must be 0 to 248!", L::kDataLength,
       NewService},
      {{K::TotRoot}, Tot(), -1, {{tot::kCountryCode, "DEU"}, {tot::kCountryRegionId, "64"}},
       "country_region_id must be 0 to 63!", tot::kCountryRegionId, nullptr, "63"},
      {kPmtRoot, Make<CPMTAddPrg>(), -1, PmtProgram("0x10401", "1"), "ProgramNumber must be 0 to 65535!"},
      {kInfo, Make<CPmtAddComDes>(), 0, Hex("1", "256", "01"), "Descriptor_length must be 0 to 255!"},
      {kCat, Make<CCATAddDes1>(), -1, Ca("1", "1", "-1", ""), "Private_data_length must be 0 to 251!"},
      {kSdt, Make<CDlgModifySdtSection>(), -1, {{SS::kOriginalNetworkId, "0x12345"}},
       "Original_network_id must be 0x0 to 0xffff!"},
      // the typed data shorter than its length
      {kVideo, Make<CPmtAddComDes>(), 0, Hex("1", "2", "01"), "The data is error!", pmt_other::kData},
      {kCat, Make<CCATAddDes1>(), -1, Ca("1", "1", "1", ""), "The data is error!", CA::kPrivateData},
      {kService, Make<CSDTAddDesc>(), 1, SdtHex("1", "2", "00"), "The data is error!", dvb_ids::hex_descriptor::kData},
      {{K::PmtRoot, 0, 2}, Make<CPMTAddPrg>(), -1, PmtProgram("0x401", "1"), "This Program is not in PAT,please Add!"},
      {kPmt, Make<CPMTAddDescType>(), -1, {{PT::kType, "#1"}}, "The node of this type is exist!", PT::kType},
      {kService, Make<CSDTAddDesc>(), 0, Names("1", std::string(200, 'p'), std::string(53, 's')),
       "service_provider_name and service_name can't be longer than 252 bytes together!"},
      // a refused page leaves no holder behind on a service that had none
      {kNewService, Make<CSDTAddDesc>(), 0, Names("1", "a", ""), "service_name can not be null!", 0, NewService},
      {{K::TotRoot}, Tot(), -1, {{tot::kCountryCode, "GB"}}, "country_code must be 3 characters!", tot::kCountryCode},
      {{K::TotRoot}, Tot(), -1, {{tot::kCountryCode, "DEUX"}}, "country_code must be 3 characters!"},
      // typed data longer than its length, or any with a length of 0
      {kInfo, Make<CPmtAddComDes>(), 0, Hex("1", "1", "0102"),
       "Descriptor_data must be 1 byte, as Descriptor_length says!", pmt_other::kData},
      {kCat, Make<CCATAddDes1>(), -1, Ca("1", "1", "0", "ab"),
       "Private_data must be 0 bytes, as Private_data_length says!", CA::kPrivateData},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.message);
    ExpectRefused(r);
  }
}

TEST(MpegDialogs, SetChannelTakesOneToThirtyTwo) {
  for (const auto& [typed, channel] : {std::pair{"1", 1}, {"32", 32}, {"0", 5}, {"33", 5}, {"", 5}, {"-3", 5}}) {
    MpegTree t;
    CSetChannel dlg(t.tree, t.ui, 5);
    EXPECT_EQ(RunOk(dlg, -1, {{channel::kChannel, typed}}), channel != 5) << typed;
    EXPECT_EQ(dlg.channel, channel);
    EXPECT_EQ(t.ui.LastText(), channel != 5 ? "" : "Channel must be 1 to 32!");
  }
}

Fields Typed(const char* y, const char* mo, const char* d, const char* h) {
  using namespace tdt;
  return {{kYear, y}, {kMonth, mo}, {kDay, d}, {kHour, h}, {kMinute, "0"}, {kSecond, "0"}};
}

TEST(MpegDialogs, TdtTimeIsTypedAsUtcOrAsLocalTime) {
  const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "CST-8", 1);  // eight hours east of UTC
  tzset();
  RecordingUi ui;
  CTDTModifyTime dlg(ui, MakeDate(2013, 3, 4, 20, 6, 7), 1);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.Text(tdt::kYear) + dlg.Text(tdt::kSecond) + "/" + dlg.Text(tdt::kHour), "20137/20");
  Type(dlg, {{tdt::kUtcTime, "!"}, {tdt::kUtcTime, "!"}});  // each click takes the bias off again
  EXPECT_EQ(dlg.Text(tdt::kDay) + "/" + dlg.Text(tdt::kHour), "4/4");
  EXPECT_TRUE(RunOk(dlg, -1, Typed("2014", "12", "31", "23")));
  EXPECT_EQ(FormatDateTime(dlg.value, "%Y-%m-%d %H:%M:%S"), "2014-12-31 23:00:00");
  Type(dlg, {{tdt::kLocalTime, "[x]"}, {tdt::kLocalTime, "!"}});
  Type(dlg, Typed("2013", "1", "1", "5"));
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(FormatDateTime(dlg.value, "%Y-%m-%d %H:%M:%S"), "2012-12-31 21:00:00");
  EXPECT_TRUE(RunOk(dlg, -1, Typed("2013", "2", "29", "0")));  // no such day
  EXPECT_FALSE(dlg.value.valid());
  EXPECT_TRUE(ui.messages.empty());
  saved.empty() ? unsetenv("TZ") : setenv("TZ", saved.c_str(), 1);
  tzset();
}

TEST(MpegDialogs, TotStateOfTheDialogIsWhatTheTotCarries) {
  MpegTree t(true);
  const DateTime utcA = MakeDate(2013, 3, 30, 23, 0, 0), utcB = MakeDate(2021, 2, 3, 4, 5, 6);
  t.tree.utcTime = {utcA, utcB};
  const ItemHandle root = t.tree.Root(1, Table::Tot);
  CDlgModifyTOT dlg(t.tree, t.ui, root, utcA, utcB);
  dlg.OnInitDialog();
  Type(dlg, {{tot::kCountryCode, "FRA"}, {tot::kCountryRegionId, "5"}, {tot::kPolarity, "1"}});
  dlg.Value(tot::kLocalTimeOffset).time = MakeDate(2030, 1, 1, 1, 30, 45);
  dlg.Value(tot::kTimeOfChangeDate).time = MakeDate(2038, 4, 23, 9, 9, 9);  // past the 16-bit MJD
  dlg.Value(tot::kTimeOfChangeTime).time = MakeDate(2000, 1, 1, 1, 0, 0);
  dlg.Value(tot::kNextTimeOffset).time = MakeDate(2000, 1, 1, 2, 0, 0);
  ASSERT_FALSE(dlg.OnOK());
  EXPECT_EQ(t.ui.LastText(), "time_of_change must be 1858-11-17 to 2038-04-22!");
  dlg.Value(tot::kTimeOfChangeDate).time = MakeDate(2013, 3, 31, 9, 9, 9);
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(t.tree.ChildCount(t.tree.GetChildItem(root)), 0);  // the command rebuilds the branch
  ShowTot(t.tree, root, dlg.state);
  std::vector<uint8_t> area(188, 0xFF);
  ASSERT_TRUE(BuildTot(t.tree, 1, area.data(), area.size()));
  std::string hex;
  BytesToHexText(hex, area.data() + 5, 25);
  EXPECT_EQ(hex, " 73 70 1a dc 3d 23 00 00 f0 0f 58 0d 46 52 41 17 01 30 dc 3e 01 00 00 02 00");
  // a TOT under PortB takes PortB's time; under a port named otherwise the state keeps its own
  CDlgModifyTOT portB(t.tree, t.ui, t.tree.Root(2, Table::Tot), utcA, utcB);
  EXPECT_TRUE(RunOk(portB, -1, {{tot::kCountryCode, "CHN"}}));
  EXPECT_EQ(portB.state.utc_time, utcB);
  // a new TOT's descriptors_loop_length: the descriptor as written, its 2-byte header included
  EXPECT_EQ(portB.state.descriptors_loop_length.get(), 2 + area[5 + 11]);
  MpegTree single(false, 2);
  CDlgModifyTOT port1(single.tree, single.ui, single.tree.Root(1, Table::Tot), utcA, utcB);
  EXPECT_TRUE(RunOk(port1, -1, {{tot::kCountryCode, "CHN"}}));
  EXPECT_EQ(port1.state.utc_time, TotRecord{}.utc_time);
}


// Every dialog's caption says what it does, Add or Modify, and its first button reads "OK".
TEST(MpegDialogs, CaptionsSayWhatTheDialogDoes) {
  using NS = CNITAddStreamDes;
  const std::vector<std::tuple<Where, Factory, const char*>> rows = {
      {kPrograms, Make<CPATAddPrg>(true), "Add Program"},
      {{K::PatProgram}, Make<CPATAddPrg>(false), "Modify Program"},
      {kPat, Make<CDlgModifyTransID>(), "Modify PAT Section"},
      {kPmt, Make<CDlgModifyPmtSection>(), "Modify PMT Section"},
      {kComponents, Make<CPMTAddCom>(true), "Add Components"},
      {kVideo, Make<CPMTAddCom>(false), "Modify Component"},
      {kSdt, Make<CDlgModifySdtSection>(), "Modify SDT Section"},
      {{K::SdtServiceDescriptor}, Make<CSDTAddDesc>(CSDTAddDesc::Mode::ModifyService), "Modify Descriptor"},
      {{K::NitSection}, Make<CDlgModifyNIT>(), "Modify NIT"},
      {{K::NitTransportStreamList}, Make<CNITAddTranStream>(), "Add Transport Stream"},
      {{K::NitTransportStream}, Make<CDlgModifyTranIDNetworkID>(),
       "Modify transport_stream_id and original_network_id"},
      {{K::NitNetworkName}, Make<CNITAddNWDes>(CNITAddNWDes::Mode::ModifyName), "Modify Descriptor"},
      {{K::NitTransportStream}, Make<NS>(NS::Mode::Add), "Add Stream Descriptor"},
      {{K::NitCableDelivery}, Make<NS>(NS::Mode::ModifyCable), "Modify Stream Descriptor"},
      {{K::BatBouquetName}, Make<CBATAddBouquetDes>(CBATAddBouquetDes::Mode::ModifyName), "Modify Descriptor"},
      {{K::BatServiceList}, Make<CBATAddStreamDes>(CBATAddStreamDes::Mode::ModifyServiceList),
       "Modify Stream Descriptor"},
      {kPat, Tot(), "Modify TOT"},
      {kPat, [](MpegTree& t) { return std::make_unique<CSetChannel>(t.tree, t.ui, 5); }, "Set Channel"},
      {kPat, [](MpegTree& t) { return std::make_unique<CTDTModifyTime>(t.ui, DateTime{}, 1); }, "Modify TDT"}};
  for (const auto& [where, make, caption] : rows) {
    MpegTree t(true);
    t.Select(where);
    const std::unique_ptr<Form> dialog = make(t);
    dialog->OnInitDialog();
    EXPECT_EQ(dialog->title + " / " + (dialog->okText.empty() ? "OK" : dialog->okText), caption + std::string(" / OK"));
  }
}

}  // namespace
}  // namespace quorvelin::test
