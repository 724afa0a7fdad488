// The NIT and BAT dialogs: the section frame, the network and bouquet descriptors, and the
// transport stream descriptors with their delivery system and list pages.
#include "MpegFixture.h"
#include "dialogs/ModifyPages.h"
#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddGather.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CDlgModifyNIT.h"
#include "dialogs/dvb/CNITAdd.h"
#include "dialogs/dvb/CNITAddGather.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/dvb/CNITAddTranStream.h"
#include "dialogs/dvb/CTabSheet.h"
#include "dialogs/mpeg/CDlgModifyTranIDNetworkID.h"
#include "resources/MpegDialogIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "sections/SectionTestSupport.h"
#include "util/Settings.h"
#include "util/TextCode.h"

namespace quorvelin::test {
namespace {

namespace L = dvb_ids::linkage;
using S = CNITAddStreamDes;
namespace H = dvb_ids::hex_descriptor;
namespace E = dvb_ids::entry_list;
namespace N = dvb_ids::nit_modify;
using B = CBATAddBouquetDes;
using BS = CBATAddStreamDes;
namespace TS = dvb_ids::transport_stream;
namespace CB = dvb_ids::cable;
namespace ST = dvb_ids::satellite;
namespace LC = dvb_ids::logical_channels;
using TN = CDlgModifyTranIDNetworkID;
namespace G = dvb_ids::nit_gather;
namespace BN = dvb_ids::bouquet_name;
namespace TD = dvb_ids::terrestrial;
namespace NN = dvb_ids::network_name;
namespace BA = dvb_ids::bat_add;
namespace NA = dvb_ids::nit_add;
using NW = CNITAddNWDes;
namespace tn = mpeg_ids::transport_network_id;

Fields Hex(const char* t, const char* n, std::string d) { return {{H::kTag, t}, {H::kLength, n}, {H::kData, d}}; }
Fields Cable(const char* frequency, const char* symbolRate) {
  return {{CB::kFrequency, frequency}, {CB::kFecOuter, "2"}, {CB::kModulation, "#2"}, {CB::kSymbolRate, symbolRate},
          {CB::kFecInner, "3"}};
}
Fields Satellite(const char* frequency, const char* orbital, const char* symbolRate) {
  return {{ST::kFrequency, frequency}, {ST::kOrbitalPosition, orbital}, {ST::kWestEastFlag, "1"},
          {ST::kPolarization, "#1"}, {ST::kModulation, "#1"}, {ST::kSymbolRate, symbolRate}, {ST::kFecInner, "3"}};
}
Fields Linkage(const char* type, const char* length, const std::string& data) {
  return {{L::kTransportStreamId, "0x10"}, {L::kOriginalNetworkId, "0x3001"}, {L::kServiceId, "257"},
          {L::kLinkageType, type}, {L::kDataLength, length}, {L::kPrivateData, data}};
}
Fields Ids(const char* ts, const char* on) { return {{TS::kTransportStreamId, ts}, {TS::kOriginalNetworkId, on}}; }
Fields ServiceRow(const char* id, const char* type) {
  return {{E::kServiceId, id}, {dvb_ids::service_list::kServiceType, type}, {E::kAddRow, "!"}};
}
Fields ChannelRow(const char* id, const char* n, const char* visible) {
  return {{E::kServiceId, id}, {LC::kChannelNumber, n}, {LC::kVisible, visible}, {E::kAddRow, "!"}};
}

Factory BatStreams() { return Make<CNITAddTranStream>(Table::Bat); }

const Where kNit{K::NitSection}, kNitB{K::NitSection, 0, 2}, kNetwork{K::NitNetworkDescriptorList},
    kStreams{K::NitTransportStreamList}, kStream{K::NitTransportStream}, kBouquet{K::BatBouquetDescriptorList},
    kBatStream{K::BatTransportStream};

void TenBits(MpegTree&) { WriteLcnFlag("10bit"); }
void FourteenBits(MpegTree&) { WriteLcnFlag("14bit"); }
// A service list in the network loop, where the parser may find one.
void ServiceListInNetworkLoop(MpegTree& t) {
  const ItemHandle holder = t.Find({K::NitNetworkDescriptorList});
  t.tree.InsertRecordItem("descriptor_tag: 0x41", kImageLine, holder,
                          MakeRecord(K::NitServiceList, EntryListDescriptor{0x41, 3, {0, 5, 1}}));
  t.tree.RecordOf(t.Find({K::NitSection}))->As<LoopSectionHeader>()->descriptors_length.add(5);
  t.tree.SetItemText(t.tree.GetPrevSiblingItem(holder), "network_descriptors_length: 0x8c");
}
// Stream 0 given a descriptor through `page`, then a private one after it.
std::function<void(MpegTree&)> StreamPair(int page, const Fields& fields) {
  return [=](MpegTree& t) {
    ASSERT_TRUE(RunOn(t, kStream, Make<S>(), page, fields));
    ASSERT_TRUE(RunOn(t, kStream, Make<S>(), S::kOtherPage, Hex("0x5f", "1", "00")));
  };
}
void BatB(MpegTree& t) {
  const Fields bat{{BA::kBouquetId, "1"}, {BA::kVersionNumber, "0"}};
  ASSERT_TRUE(RunOn(t, {K::BatRoot, 0, 2}, Make<CAddBat>(), -1, bat));
}

TEST(NitBatDialogs, Edits) {
  testing::ScratchDirectory scratch;  // setting.ini with the channel width
  const Edit edits[] = {
      {kNit, Make<CDlgModifyNIT>(), -1, {{N::kVersionNumber, "31"}, {N::kNetworkId, "65531"}, {N::kCurrentNext, "0"}}, Table::Nit,
       "-id=20fa v=23 c=1 | +id=fffb v=31 c=0",
       "-network_id: 0x20fa | -version_number: 0x17 | -current_next_indicator: 0x1 | +network_id: 0xfffb | "
       "+version_number: 0x1f | +current_next_indicator: 0x0"},
      {kStream, Make<TN>(), -1, {{tn::kTransportStreamId, "100"}, {tn::kOriginalNetworkId, "ffff"}},
       Table::Nit, "-ts=1/20fa | +ts=100/ffff",
       "-transport_stream_id: 0x1 * | -original_network_id: 0x20fa | +transport_stream_id: 0x100 * | "
       "+original_network_id: 0xffff"},
      {kStreams, Make<CNITAddTranStream>(), -1, Ids("0x10", "0x3001"), Table::Nit, "+ts=10/3001",
       "-transport_stream_loop_length: 0x33a | -transport_streams: * | +transport_stream_loop_length: 0x340 | "
       "+transport_streams: + * | +transport_stream_id: 0x10 + | +original_network_id: 0x3001 | "
       "+transport_descriptors_length: 0x0"},
      {{K::BatTransportStreamList}, BatStreams(), -1, Ids("7", "0x3001"), Table::Bat, "+ts=7/3001"},
      {kNitB, Make<CNITAddGather>(), -1, {{G::kType, "#0"}}, Table::Nit, "", "...+network_descriptors *"},
      {kNitB, Make<CNITAddGather>(), -1, {{G::kType, "#1"}}, Table::Nit, "", "...+transport_streams *"},
      {{K::BatSection, 0, 2}, Make<CBATAddGather>(), -1, {}, Table::Bat, "", "...+transport_streams *", 0, BatB},
      {{K::BatSection, 0, 2}, Make<CBATAddGather>(), -1, {{dvb_ids::bat_gather::kType, "#0"}}, Table::Bat, "",
       "...+bouquet_descriptors *", 0, BatB},
      {kNetwork, Make<NW>(), 0, {{NN::kName, "ab"}}, Table::Nit, "+n.40:1400610062", "*", 10},
      {kNetwork, Make<NW>(), 1, Hex("0x5f", "3", "010203"), Table::Nit, "+n.5f:010203"},
      {kNetwork, Make<NW>(), 2, Linkage("#9", "0", ""), Table::Nit, "+n.4a:00103001010109",
       "...+descriptor_length(byte): 7 | +transport_stream_id(byte): 0x10(16) | "
       "+original_network_id(byte): 0x3001(12289) | +service_id(byte): 0x101(257) | +linkage_type(byte): 0x9(9)"},
      {kNetwork, Make<NW>(), 2, Linkage("0x80", "2", "ab\r\ncd"), Table::Nit, "+n.4a:00103001010180abcd"},
      {{K::NitLinkageDescriptor}, Make<CDlgNITLinkage>(false), -1,
       {{L::kTransportStreamId, "1"}, {L::kLinkageType, "#4"}}, Table::Nit,
       "-n.4a:000120fa01ff090400015a00 | +n.4a:00010000000004"},
      {kStream, Make<S>(), S::kNetworkNamePage, {{NN::kName, "abc"}}, Table::Nit, "+t0.40:616263"},
      // the first descriptor of a stream brings its holder
      {{K::NitTransportStream, 7}, Make<S>(), S::kCablePage, Cable("474", "6.875"), Table::Nit,
       "+t7.44:04740000fff20300687503", "...+transport_descriptors: + | +descriptor_tag: 0x44 =>cable_delivery_system_descriptor + |...", 0,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kStreams, Make<CNITAddTranStream>(), -1, Ids("0x10", "0x3001"))); }},
      {kStream, Make<S>(), S::kCablePage, Cable("474", "6.875"), Table::Nit, "+t0.44:04740000fff20300687503",
       "...+descriptor_length(byte): 11 | +frequency: 474.0000 MHz | +FEC_outer: 0x2 | +modulation: 0x3 | "
       "+symbol_rate: 6.8750 Msymbol/s | +FEC_inner: 0x3"},
      {kStream, Make<S>(), S::kCablePage, Cable("9999.9999", "999.9999"), Table::Nit, "+t0.44:99999999fff20399999993"},
      // delivery descriptors with a distinct value in every field
      {kStream, Make<S>(), S::kCablePage,
       {{CB::kFrequency, "858.25"}, {CB::kFecOuter, "2"}, {CB::kModulation, "#3"}, {CB::kSymbolRate, "6.9"},
        {CB::kFecInner, "5"}},
       Table::Nit, "+t0.44:08582500fff20400690005"},
      {kStream, Make<S>(), S::kSatellitePage,
       {{ST::kFrequency, "11.75725"}, {ST::kOrbitalPosition, "192"}, {ST::kWestEastFlag, "1"},
        {ST::kPolarization, "#2"}, {ST::kModulation, "#3"}, {ST::kSymbolRate, "27.5"}, {ST::kFecInner, "4"}},
       Table::Nit, "+t0.43:011757250192c302750004"},
      {kStream, Make<S>(), S::kTerrestrialPage,  // 4294967290 Hz: more than 31 bits
       {{TD::kCentreFrequency, "429496729"}, {TD::kBandwidth, "#1"}, {TD::kConstellation, "#2"}, {TD::kHierarchy, "#3"},
        {TD::kCodeRateHp, "#4"}, {TD::kCodeRateLp, "#3"}, {TD::kGuardInterval, "#2"}, {TD::kTransmissionMode, "#1"},
        {TD::kOtherFrequency, "[x]"}},
       Table::Nit, "+t0.5a:199999993f9c73ffffffff", "...+centre_frequency: 4294967290 Hz..."},
      // a low-priority stream with time slicing
      {kStream, Make<S>(), S::kTerrestrialPage,
       {{TD::kCentreFrequency, "47400000"}, {TD::kBandwidth, "#2"}, {TD::kPriority, "[ ]"}, {TD::kTimeSlicing, "[ ]"}},
       Table::Nit, "+t0.5a:02d34440470000ffffffff",
       "...+bandwidth: 6 MHz | +priority: 0 | +Time_Slicing_indicator: 0 | +MPE-FEC_indicator: 1 | ..."},
      {kStream, Make<S>(), S::kOtherPage, Hex("0x5f", "3", "00 00 00"), Table::Nit, "+t0.5f:000000"},
      {kStream, Make<S>(), S::kServiceListPage, Join(ServiceRow("0x0101", "#1"), ServiceRow("2", "0x19")), Table::Nit,
       "+t0.41:010101000219"},
      {kStream, Make<S>(), S::kLogicalChannelPage, Join(ChannelRow("16", "7", "[x]"), ChannelRow("0x10", "7", "[ ]")),
       Table::Nit, "+t0.83:0010fc0700107c07", "*", 0, TenBits},
      {kStream, Make<S>(), S::kLogicalChannelPage, Join({{LC::k14Bit, "!"}}, ChannelRow("0x10", "0x1234", "[x]")),
       Table::Nit, "+t0.83:0010d234", "*", 0, TenBits},
      // a modify run reads each stored number whole, and writes the list back in the width set
      {{K::NitLogicalChannels, 4}, Make<S>(S::Mode::ModifyLogicalChannels), S::kLogicalChannelPage,
       {{E::kList, "@0"}, {E::kDeleteRow, "!"}}, Table::Nit,
       "-t4.83:0501fc320502fc330503fc34 | +t4.83:0502c0330503c034",
       "*", 0, FourteenBits},
      {{K::NitLogicalChannels, 4}, Make<S>(S::Mode::ModifyLogicalChannels), S::kLogicalChannelPage,
       ChannelRow("0x504", "0x3ff", "[ ]"),
       Table::Nit, "-t4.83:0501fc320502fc330503fc34 | +t4.83:0501fc320502fc330503fc3405047fff",
       "...+service_id: 0x504 | +is_service_visible: FALSE | +logical_channel_number: 0x3ff",
       0, TenBits},
      {{K::NitServiceList, 4}, Make<S>(S::Mode::ModifyServiceList), S::kServiceListPage, ServiceRow("0x0504", "#1"),
       Table::Nit,
       "-t4.41:050119050219050319 | +t4.41:050119050219050319050401"},
      // a modify run keeps to its page (a click on another tab changes nothing) and puts the list last
      {{K::NitServiceList, 4}, Make<S>(S::Mode::ModifyServiceList), S::kCablePage, {}, Table::Nit,
       "-t4.41:050119050219050319 | +t4.41:050119050219050319"},
      {{K::NitServiceList}, Make<S>(S::Mode::ModifyServiceList), S::kServiceListPage, ServiceRow("6", "#2"), Table::Nit,
       "-n.41:000501 | +n.41:000501000602", "*", 0, ServiceListInNetworkLoop},
      // a list emptied by a modify run goes with its descriptor
      {{K::NitServiceList, 4}, Make<S>(S::Mode::ModifyServiceList), S::kServiceListPage,
       {{E::kList, "@0"}, {E::kDeleteRow, "!"}, {E::kList, "@1"}, {E::kDeleteRow, "!"}, {E::kList, "@0"},
        {E::kDeleteRow, "!"}},
       Table::Nit, "-t4.41:050119050219050319"},
      {kBouquet, Make<B>(), B::kBouquetNamePage, {{BN::kName, "abcd"}}, Table::Bat, "+n.47:61626364"},
      {{K::BatBouquetName}, Make<B>(B::Mode::ModifyName), B::kBouquetNamePage, {{BN::kName, "abcdef"}}, Table::Bat,
       "-n.47:5476204e756de9726963 | +n.47:616263646566"},
      // a changed name keeps its character table: ISO/IEC 8859-9, selector 0x05
      {{K::BatBouquetName}, Make<B>(B::Mode::ModifyName), B::kBouquetNamePage, {{BN::kName, "Ğüneş"}}, Table::Bat,
       "-n.47:0576204e756de9726963 | +n.47:05d0fc6e65fe", "*", 0,
       [](MpegTree& t) { PayloadOf<NameDescriptor>(t.tree, t.Find({K::BatBouquetName}))->name[0] = 0x05; }},
      // a modify run shows the name decoded: left as it is, the bytes stay
      {{K::BatBouquetName, 1}, Make<B>(B::Mode::ModifyName), B::kBouquetNamePage, {}, Table::Bat, "",
       "-descriptor_tag: 0x47 =>bouquet_name_descriptor + * | +descriptor_tag: 0x47 =>bouquet_name_descriptor +", 10,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kBouquet, Make<B>(), 0, {{BN::kName, "ab"}})); }},
      // Big5 shown
      {{K::BatBouquetName, 1}, Make<B>(B::Mode::ModifyName), B::kBouquetNamePage, {}, Table::Bat, "", "*", 4,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kBouquet, Make<B>(), 0, {{BN::kName, "臺灣"}})); }},
      {kBouquet, Make<B>(), B::kOtherPage, Hex("0x5f", "2", "0a0b"), Table::Bat, "+n.5f:0a0b"},
      // a modify run starts with the stored values and replaces the descriptor where it stands:
      // Ok alone changes no byte, a changed field that field alone
      {{K::BatBouquetName}, Make<B>(B::Mode::ModifyName), B::kBouquetNamePage, {}, Table::Bat, "", "*", 0,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kBouquet, Make<B>(), B::kOtherPage, Hex("0x5f", "1", "00"))); }},
      {{K::NitNetworkName}, Make<NW>(NW::Mode::ModifyName), NW::kNetworkNamePage, {}, Table::Nit, "", "*", 0,
       [](MpegTree& t) {
         ASSERT_TRUE(RunOn(t, kNetwork, Make<NW>(), NW::kNetworkDescriptorPage, Hex("0x5f", "1", "00")));
       }},
      {{K::NitNetworkName}, Make<NW>(NW::Mode::ModifyName), NW::kNetworkNamePage, {{NN::kName, "abc"}}, Table::Nit,
       "-n.40:... | +n.40:616263"},
      {{K::NitTransportNetworkName}, Make<S>(S::Mode::ModifyNetworkName), S::kNetworkNamePage, {}, Table::Nit, "",
       "*", 0, StreamPair(S::kNetworkNamePage, {{NN::kName, "abc"}})},
      {{K::NitCableDelivery}, Make<S>(S::Mode::ModifyCable), S::kCablePage, {}, Table::Nit, "", "*", 0,
       StreamPair(S::kCablePage, Cable("474", "6.875"))},
      {{K::NitCableDelivery}, Make<S>(S::Mode::ModifyCable), S::kCablePage, {{CB::kSymbolRate, "6.9"}}, Table::Nit,
       "-t0.44:04740000fff20300687503 | +t0.44:04740000fff20300690003", "*", 0,
       StreamPair(S::kCablePage, Cable("474", "6.875"))},
      {{K::NitSatelliteDelivery}, Make<S>(S::Mode::ModifySatellite), S::kSatellitePage, {}, Table::Nit, "", "*", 0,
       StreamPair(S::kSatellitePage, Satellite("11.75725", "192", "27.5"))},
      // the capture's terrestrial descriptor, code_rate_HP 7 (reserved) included
      {{K::NitTerrestrialDelivery}, Make<S>(S::Mode::ModifyTerrestrial), S::kTerrestrialPage, {}, Table::Nit, "",
       "*", 0, StreamPair(S::kOtherPage, Hex("0x5f", "1", "01"))},
      // the page starts with the stored descriptor: Ok alone writes it back as it was
      {{K::BatDescriptor, 2}, Make<BS>(BS::Mode::ModifyDescriptor), BS::kOtherPage, {}, Table::Bat, ""},
      {{K::BatDescriptor, 2}, Make<BS>(BS::Mode::ModifyDescriptor), BS::kOtherPage, Hex("0x5f", "1", "0a"), Table::Bat,
       "-n.5f:000000a2 | +n.5f:0a"},
      {{K::BatDescriptor, 4}, Make<BS>(BS::Mode::ModifyDescriptor), BS::kOtherPage, Hex("0x5f", "1", "0a"), Table::Bat,
       "-t0.5f:010203 | +t0.5f:0a", "*", 0,
       [](MpegTree& t) { ASSERT_TRUE(RunOn(t, kBatStream, Make<BS>(), BS::kOtherPage, Hex("0x5f", "3", "010203"))); }},
      {kBatStream, Make<BS>(), BS::kOtherPage, Hex("0x5f", "3", "010203"), Table::Bat, "+t0.5f:010203"},
      {{K::BatServiceList}, Make<BS>(BS::Mode::ModifyServiceList), BS::kServiceListPage, ServiceRow("0x0102", "#1"),
       Table::Bat,
       "-t0.41:030401030501 | +t0.41:030401030501010201"},
      {{K::BatRoot, 0, 2}, Make<CAddBat>(), -1, {{BA::kBouquetId, "4097"}, {BA::kVersionNumber, "2"}},
       Table::Bat, "-build:  | +id=1001 v=2 c=1",
       "...+Section 0: bouquet_id: 0x1001, version_number: 0x2 + * | +table_id: 0x4a | "
       "+section_syntax_indicator: 0x1 | +section_length: 0x0 | +bouquet_id: 0x1001 | +version_number: 0x2 | ..."},
      // A bouquet the BAT holds gets a further section, numbered on (libdvbpsi joins the two); another starts one.
      {{K::BatRoot}, Make<CAddBat>(), -1, {{BA::kBouquetId, "134"}, {BA::kVersionNumber, "3"}}, Table::Bat,
       "", "...+section_number: 0x1 | +last_section_number: 0x1 | ..."},
      {{K::BatRoot}, Make<CAddBat>(), -1, {{BA::kBouquetId, "8"}, {BA::kVersionNumber, "0"}}, Table::Bat,
       "...+id=8 v=0 c=1...", "...+section_number: 0x0 | +last_section_number: 0x0 | ..."},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.bytes);
    ExpectEdit(e);
  }
}

// The first port's NIT (977 bytes) or BAT (137 bytes) with `free` of its 1024 bytes left: the
// first loop's stored length stretched.
std::function<void(MpegTree&)> Fill(bool bat, int free) {
  return [=](MpegTree& t) {
    t.tree.RecordOf(t.Find({bat ? K::BatSection : K::NitSection}))->As<LoopSectionHeader>()->descriptors_length.add(
        1024 - (bat ? 137 : 977) - free);
  };
}

TEST(NitBatDialogs, Refusals) {
  testing::ScratchDirectory scratch;  // setting.ini with the channel width
  const Fields nit{{N::kVersionNumber, "1"}, {N::kNetworkId, "1"}, {N::kCurrentNext, "1"}};
  ExpectBlanks(kNit, Make<CDlgModifyNIT>(), -1, nit, {"VersionNumber", "network_id"}, " can't be NULL!");
  ExpectBlanks(kStreams, Make<CNITAddTranStream>(), -1, Ids("1", "1"), {"transport_stream_id", "original_network_id"});
  ExpectBlanks(kStream, Make<TN>(), -1, {{tn::kTransportStreamId, "1"}, {tn::kOriginalNetworkId, "1"}},
                      {"Transport_stream_id", "Original_network_id"}, " can't be NULL!");
  ExpectBlanks(kNetwork, Make<NW>(), 0, {{NN::kTag, "1"}, {NN::kName, "a"}}, {"descriptor_tag", "network_name"});
  ExpectBlanks(kStream, Make<S>(), S::kCablePage, Join({{CB::kTag, "0x44"}}, Cable("1", "1")),
                      {"descriptor_tag", "frequency", "FEC_outer", "", "symbol_rate", "FEC_inner"});
  ExpectBlanks(kStream, Make<S>(), S::kSatellitePage, Join({{ST::kTag, "0x43"}}, Satellite("1", "1", "1")),
                      {"descriptor_tag", "frequency", "Orbital_position", "west_east_flage", "", "", "symbol_rate",
                       "FEC_inner"});
  ExpectBlanks(kStream, Make<S>(), S::kTerrestrialPage, {{TD::kTag, "0x5a"}, {TD::kCentreFrequency, "1"}},
                      {"descriptor_tag", "centre_frequency"});
  ExpectBlanks(kNit, Make<CNITAdd>(), -1, {{NA::kNetworkId, "1"}, {NA::kSectionNumber, "1"}},
               {"network_id", "Section number"});  // asked in this order, though the section number stands first
  ExpectBlanks({K::BatRoot}, Make<CAddBat>(), -1, {{BA::kBouquetId, "1"}, {BA::kVersionNumber, "1"}},
                      {"BouquetID", "version_number"});
  ExpectBlanks(kBouquet, Make<B>(), 0, {{BN::kTag, "0x47"}, {BN::kName, "a"}},
                      {"descriptor_tag", "bouquet_name"});
  const char* full = "The section can't be longer than 1024 bytes!";
  const std::string seven(14, '0');
  const Refusal refusals[] = {
      // values that do not fit their field; then the largest that fits
      {kNit, Make<CDlgModifyNIT>(), -1, Join(nit, {{N::kNetworkId, "65532"}}), "Network_id must be 0 to 65531!", N::kNetworkId},
      {kNit, Make<CNITAdd>(), -1, {{NA::kSectionNumber, "0"}, {NA::kNetworkId, "65536"}},
       "Network_id must be 0 to 65535!", NA::kNetworkId, nullptr, "65535"},
      {{K::BatRoot}, Make<CAddBat>(), -1, {{BA::kBouquetId, "1"}, {BA::kVersionNumber, "32"}},  // decimal
       "version_number must be 0 to 31!", BA::kVersionNumber, nullptr, "31"},
      {kNetwork, Make<NW>(), 2, Join(Linkage("#1", "0", ""), {{L::kLinkageType, "256"}}),
       "Linkage_type must be 0 to 255!", L::kLinkageType, nullptr, "0xff"},
      {kStream, Make<S>(), S::kCablePage, Join(Cable("474", "6.875"), {{CB::kFecOuter, "16"}}),
       "FEC_outer must be 0 to 15!", CB::kFecOuter, nullptr, "15"},
      {kStream, Make<S>(), S::kCablePage, Cable("474.00001", "6.875"), "Frequency must be 0 to 9999.9999 (MHz)!",
       CB::kFrequency, nullptr, "9999.9999"},
      {kStream, Make<S>(), S::kSatellitePage, Join(Satellite("11.75725", "192", "27.5"), {{ST::kWestEastFlag, "2"}}),
       "west_east_flag must be 0 to 1!", ST::kWestEastFlag, nullptr, "1"},
      {kStream, Make<S>(), S::kSatellitePage, Satellite("11.75725", "19.2", "27.5"),
       "orbital_position must be 0 to 9999 (unit 0.1 degree)!", ST::kOrbitalPosition, nullptr, "9999"},
      {kStream, Make<S>(), S::kSatellitePage, Join(Satellite("11.75725", "192", "27.5"), {{ST::kFecInner, "16"}}),
       "FEC_inner must be 0 to 15!", ST::kFecInner, nullptr, "15"},
      {kStream, Make<S>(), S::kTerrestrialPage, {{TD::kCentreFrequency, "4294967296"}},
       "Centre frequency must be 0 to 4294967295 (unit 10 Hz)!", TD::kCentreFrequency, nullptr, "4294967295"},
      // a channel number is checked against the width chosen when Ok is pressed
      {kStream, Make<S>(), S::kLogicalChannelPage,
       Join(Join({{LC::k14Bit, "!"}}, ChannelRow("16", "1024", "[x]")), {{LC::k10Bit, "!"}}),
       "Channel_Number must be 0 to 1023!", LC::kChannelNumber},
      // so is a stored 14-bit number in a modify run
      {{K::NitLogicalChannels, 4}, Make<S>(S::Mode::ModifyLogicalChannels), S::kLogicalChannelPage, {},
       "Channel_Number must be 0 to 1023!", LC::kChannelNumber,
       [](MpegTree& t) {
         TenBits(t);
         t.tree.RecordOf(t.Find({K::NitLogicalChannels, 4}))->As<EntryListDescriptor>()->entries[2] = 0xC7;
       }},
      // under text code 4 a character with no Big5 form is refused by name
      {kNetwork, Make<NW>(), 0, {{NN::kName, "a咔台"}},
       "Network_name: text code 4 has no form for the character \"咔\"!", NN::kName,
       [](MpegTree&) { SetTextCode(4); }},
      {kNit, Make<CNITAddGather>(), -1, {{G::kType, "#0"}}, "network_descriptors is exist!", G::kType},
      {kNit, Make<CNITAddGather>(), -1, {{G::kType, "#1"}}, "transport_streams is exist!", G::kType},
      {{K::BatSection}, Make<CBATAddGather>(), -1, {{dvb_ids::bat_gather::kType, "#0"}}, "bouqet_descriptors is exist!"},
      {kStream, Make<TN>(), -1, {{tn::kOriginalNetworkId, "0x1ffff"}},
       "Original_network_id must be 0x0 to 0xffff!", tn::kOriginalNetworkId},
      {kNetwork, Make<NW>(), 0, {{NN::kName, std::string(256, 'n')}},
       "network_name can't be longer than 255 bytes!",
       NN::kName},
      // 128 characters fit as typed, not as UCS-2
      {kNetwork, Make<NW>(), 0, {{NN::kName, std::string(128, 'n')}},
       "network_name can't be longer than 255 bytes!",
       NN::kName, [](MpegTree&) { SetTextCode(1); }},
      {{K::BatBouquetDescriptorList}, Make<B>(), 0, {{BN::kName, std::string(256, 'x')}},
       "bouquet_name can't be longer than 255 bytes!", BN::kName},
      {kNetwork, Make<NW>(), 1, Hex("0x5f", "3", "01 02"), "The data is error!", H::kData},
      {kNetwork, Make<NW>(), 2, Linkage("#1", "3", "0102"), "The data is error!", L::kPrivateData},
      {kNetwork, Make<NW>(), 1, Hex("0x5f", "3", "010203FF"),
       "Descriptor_data must be 3 bytes, as Descriptor_length says!", H::kData},
      {kNetwork, Make<NW>(), 2, Linkage("#1", "0", "ab"), "Private_data must be 0 bytes, as DataLength says!",
       L::kPrivateData},
      {kStream, Make<S>(), S::kCablePage, Cable("10000", "6.875"), "Frequency must be 0 to 9999.9999 (MHz)!",
       CB::kFrequency},
      {kStream, Make<S>(), S::kCablePage, Cable("474", "1000"), "Symbol_rate must be 0 to 999.9999 (Msymbol/s)!",
       CB::kSymbolRate},
      {kStream, Make<S>(), S::kSatellitePage, Satellite("1000", "1", "1"), "Frequency must be 0 to 999.99999 (GHz)!",
       ST::kFrequency},
      {kStream, Make<S>(), S::kServiceListPage, {}, "The service list can not be empty!", E::kServiceId},
      {kStream, Make<S>(), S::kLogicalChannelPage, {}, "The logical channel list can not be empty!", E::kServiceId},
      // no room left in the 1024 bytes of the section: 1025 refused, exactly 1024 taken
      {kStreams, Make<CNITAddTranStream>(), -1, Ids("1", "2"), full, TS::kTransportStreamId, Fill(false, 5)},
      {kNetwork, Make<NW>(), 0, {{NN::kName, "abcdefg"}}, full, NN::kName, Fill(false, 8), "abcdef"},
      {kNetwork, Make<NW>(), 1, Hex("0x5f", "7", seven), full, H::kData, Fill(false, 8)},
      {kNetwork, Make<NW>(), 2, Linkage("#1", "0", ""), full, L::kDataLength, Fill(false, 8)},
      {kStream, Make<S>(), S::kCablePage, Cable("474", "6.875"), full, dvb_ids::delivery::kFrequency, Fill(false, 12)},
      {kStream, Make<S>(), S::kServiceListPage, ServiceRow("1", "#1"), full, E::kServiceId, Fill(false, 4)},
      {kBouquet, Make<B>(), 0, {{BN::kName, "abcdefg"}}, full, BN::kName, Fill(true, 8), "abcdef"},
      {kBatStream, Make<BS>(), 0, Hex("0x5f", "7", seven), full, H::kData, Fill(true, 8)},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.message);
    ExpectRefused(r);
  }
}

TEST(NitBatDialogs, ListRowsAndTheirLimits) {
  MpegTree t(true);
  t.Select(kBatStream);
  BS bat(t.tree, t.ui);
  bat.OnInitDialog();
  bat.Sheet().OnLButtonDown(BS::kServiceListPage);
  auto& services = bat.ServiceListPage();
  for (int i = 1; i <= 86; ++i) Type(services, ServiceRow(std::to_string(i).c_str(), "#1"));
  EXPECT_EQ(t.ui.LastText(), "The service list can't hold more than 85 services!");
  services.Rows(E::kList).push_back({"86", "1", ""});  // a row that reached the list another way
  EXPECT_FALSE(bat.OnOK());
  Type(services, {{E::kList, "@85"}, {E::kDeleteRow, "!"}, {E::kServiceId, " "}, {E::kAddRow, "!"}});
  EXPECT_EQ(t.ui.LastText(), "Service_ID can't be NULL");
  EXPECT_TRUE(bat.OnOK());
  const std::vector<std::string> built = Decoded(t.tree, Table::Bat);  // a service list of 255 bytes among them
  EXPECT_EQ(std::count_if(built.begin(), built.end(), [](const std::string& s) { return s.size() == 6 + 510; }), 1);
  t.Select(kStream);
  S nit(t.tree, t.ui);
  RunOk(nit, S::kLogicalChannelPage, ChannelRow("1", " ", "[x]"));
  EXPECT_EQ(t.ui.messages[3].text, "ChannelNumber can't be NULL");
  for (int i = 0; i < 64; ++i) Type(nit.LogicalChannelPage(), ChannelRow("1", "1", "[x]"));
  EXPECT_EQ(t.ui.LastText(), "The logical channel list can't hold more than 63 channels!");
}

TEST(CTabSheet, HoldsSixteenPagesAndShowsOneAtATime) {
  RecordingUi ui;
  std::vector<std::unique_ptr<Form>> pages;
  CTabSheet sheet;
  for (unsigned i = 0; i < 17; ++i) {
    pages.push_back(std::make_unique<Form>(0, ui));
    EXPECT_EQ(sheet.AddPage("page", pages.back().get(), 4000 + i), i < 16 ? 1 : 0);
  }
  sheet.Show();
  EXPECT_EQ(sheet.SetCurSel(16), -1);
  EXPECT_EQ(sheet.SetCurSel(2), 0);  // the previous tab
  sheet.OnKeyboardSelect(1);
  EXPECT_TRUE(sheet.IsPageVisible(1) && !sheet.IsPageVisible(2) && sheet.CurrentPage() == 1);
}

// Modify is offered on exactly the descriptor record kinds that have a page to change them.
TEST(ModifyPagesTest, EveryKindModifiedInPlaceHasItsPage) {
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    const auto kind = static_cast<NodeKind>(code);
    EXPECT_EQ(FindModifyPage(kind) != nullptr, IsModifiedInPlace(kind)) << std::hex << code;
  }
}

}  // namespace
}  // namespace quorvelin::test
