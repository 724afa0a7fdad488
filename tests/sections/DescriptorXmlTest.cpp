// The descriptor registry and TSDuck XML: each kind read, shown, written as XML, compiled back;
// every capture through XML and back; documents that are refused.
#include <gtest/gtest.h>

#include <regex>

#include "SectionTestSupport.h"
#include "sections/CaptureTables.h"
#include "sections/TsduckXml.h"
#include "sections/descriptors/DescriptorRegistry.h"
#include "sections/descriptors/GenericHex.h"

namespace quorvelin::testing {
namespace {

// A CAT section (version 1) carrying `descriptors`.
Bytes CatSection(const Bytes& descriptors) { return WithCrc(Join({Hex("01 b000 ffff c3 00 00"), descriptors})); }

struct KindRow {
  uint8_t tag;
  uint32_t specifier;  // a private_data_specifier_descriptor in front when not 0
  const char* data;
  const char* element;  // TSDuck element the XML names it by
  const char* lines;    // lines of the decoded part (two blanks per depth below the descriptor)
};

// Field values from the syntax tables of ETSI EN 300 468 and ISO/IEC 13818-1, every field distinct.
const KindRow kKinds[] = {
    {0x05, 0, "48 45 56 43 01 02", "registration_descriptor",
     "format_identifier: 0x48455643\nadditional_identification_info(hex): 01 02\n"},
    {0x06, 0, "03", "data_stream_alignment_descriptor", "alignment_type: 0x03\n"},
    {0x09, 0, "0b 00 e1 23 aa", "CA_descriptor", "CA_system_id: 0x0B00\nCA_PID: 0x0123\nprivate_data(hex): aa\n"},
    {0x0A, 0, "66 72 61 03 65 6e 67 01", "ISO_639_language_descriptor",
     "language\n  code: fra\n  audio_type: 0x03\nlanguage\n  code: eng\n  audio_type: 0x01\n"},
    {0x0E, 0, "c0 1f 40", "maximum_bitrate_descriptor", "maximum_bitrate: 3200000\n"},
    {0x0F, 0, "12 34 56 78", "private_data_indicator_descriptor", "private_data_indicator: 0x12345678\n"},
    {0x28, 0, "64 a8 28 bf", "AVC_video_descriptor",
     "profile_idc: 0x64\nconstraint_set0: true\nconstraint_set1: false\nconstraint_set2: true\nconstraint_set3: "
     "false\nconstraint_set4: true\nconstraint_set5: false\nAVC_compatible_flags: 0x0\nlevel_idc: 0x28\n"
     "AVC_still_present: true\nAVC_24_hour_picture: false\nframe_packing_SEI_not_present: true\n"},
    {0x38, 0, "62 60 00 00 00 a1 23 45 67 89 ab 5d ae fa fe", "HEVC_video_descriptor",
     "profile_space: 1\ntier_flag: true\nprofile_idc: 2\nprofile_compatibility_indication: 0x60000000\n"
     "progressive_source_flag: true\ninterlaced_source_flag: false\nnon_packed_constraint_flag: true\n"
     "frame_only_constraint_flag: false\ncopied_44bits: 0x123456789AB\nlevel_idc: 0x5D\n"
     "HEVC_still_present_flag: false\nHEVC_24hr_picture_present_flag: true\nsub_pic_hrd_params_not_present: false\n"
     "HDR_WCG_idc: 2\ntemporal_id_min: 2\ntemporal_id_max: 6\n"},
    {0x40, 0, "4e 26 6c 74 3b 3c 3e 22 27", "network_name_descriptor", "network_name: N&lt;<>\"'\n"},  // XML escapes
    {0x41, 0, "00 01 19 00 02 01", "service_list_descriptor",
     "service\n  service_id: 0x0001\n  service_type: 0x19\nservice\n  service_id: 0x0002\n  service_type: 0x01\n"},
    {0x47, 0, "42 71", "bouquet_name_descriptor", "bouquet_name: Bq\n"},
    {0x48, 0, "19 02 50 72 03 53 76 63", "service_descriptor",
     "service_type: 0x19\nservice_provider_name: Pr\nservice_name: Svc\n"},
    {0x43, 0, "01 17 43 75 01 92 ce 02 75 00 03", "satellite_delivery_system_descriptor",
     "frequency: 11743750000\norbital_position: 19.2\nwest_east_flag: east\npolarization: left\nroll_off: 0.25\n"
     "modulation_system: DVB-S2\nmodulation_type: 8PSK\nsymbol_rate: 27500000\nFEC_inner: 3/4\n"},
    {0x44, 0, "03 46 00 00 ff f2 06 00 69 00 05", "cable_delivery_system_descriptor",
     "frequency: 346000000\nFEC_outer: RS\nmodulation: 0x06\nsymbol_rate: 6900000\nFEC_inner: 7/8\n"},
    {0x49, 0, "7f 46 52 41 44 45 55", "country_availability_descriptor",
     "country_availability: false\ncountry\n  country_code: FRA\ncountry\n  country_code: DEU\n"},
    {0x4A, 0, "00 01 00 02 00 03 04 ee", "linkage_descriptor",
     "transport_stream_id: 0x0001\noriginal_network_id: 0x0002\nservice_id: 0x0003\nlinkage_type: 0x04\n"
     "private_data(hex): ee\n"},
    {0x4B, 0, "00 01 00 02 00 03", "NVOD_reference_descriptor",
     "service\n  transport_stream_id: 0x0001\n  original_network_id: 0x0002\n  service_id: 0x0003\n"},
    {0x4C, 0, "04 d2", "DVB_time_shifted_service_descriptor", "reference_service_id: 0x04D2\n"},
    {0x52, 0, "07", "stream_identifier_descriptor", "component_tag: 0x07\n"},
    {0x53, 0, "01 00 0b 00", "CA_identifier_descriptor",
     "CA_system_id\n  value: 0x0100\nCA_system_id\n  value: 0x0B00\n"},
    {0x54, 0, "23 45", "content_descriptor",
     "content\n  content_nibble_level_1: 2\n  content_nibble_level_2: 3\n  user_byte: 0x45\n"},
    {0x55, 0, "46 52 41 0c", "parental_rating_descriptor", "country\n  country_code: FRA\n  rating: 0x0C\n"},
    {0x56, 0, "66 72 61 12 88", "teletext_descriptor",
     "teletext\n  language_code: fra\n  teletext_type: 2\n  page_number: 288\n"},
    {0x59, 0, "66 72 61 10 00 01 00 02", "subtitling_descriptor",
     "subtitling\n  language_code: fra\n  subtitling_type: 0x10\n  composition_page_id: 0x0001\n"
     "  ancillary_page_id: 0x0002\n"},
    {0x5A, 0, "02 d3 44 40 37 9c 33 ff ff ff ff", "terrestrial_delivery_system_descriptor",
     "centre_frequency: 474000000\nbandwidth: 7MHz\npriority: HP\nno_time_slicing: false\nno_MPE_FEC: true\n"
     "constellation: 64-QAM\nhierarchy_information: 3\ncode_rate_HP_stream: 7/8\ncode_rate_LP_stream: 2/3\n"
     "guard_interval: 1/8\ntransmission_mode: 8k\nother_frequency: true\n"},
    {0x5B, 0, "66 72 61 03 41 42 43", "multilingual_network_name_descriptor",
     "language\n  code: fra\n  network_name: ABC\n"},
    {0x5C, 0, "65 6e 67 02 42 51", "multilingual_bouquet_name_descriptor", "language\n  code: eng\n  bouquet_name: BQ\n"},
    {0x5D, 0, "64 65 75 02 50 52 03 53 56 43", "multilingual_service_name_descriptor",
     "language\n  code: deu\n  service_provider_name: PR\n  service_name: SVC\n"},
    {0x5F, 0, "00 00 00 29", "private_data_specifier_descriptor", "private_data_specifier: 0x00000029\n"},
    {0x62, 0, "fe 03 12 00 00", "frequency_list_descriptor", "coding_type: 2\ncentre_frequency\n  value: 312000000\n"},
    {0x66, 0, "01 23 aa", "data_broadcast_id_descriptor", "data_broadcast_id: 0x0123\nselector_bytes(hex): aa\n"},
    {0x6A, 0, "9f 42 07 ee", "DVB_AC3_descriptor", "component_type: 0x42\nasvc: 0x07\nadditional_info(hex): ee\n"},
    {0x73, 0, "63 72 69 64", "default_authority_descriptor", "fqdn: crid\n"},
    {0x79, 0, "dd fd 23 45 09", "S2_satellite_delivery_system_descriptor",
     "backwards_compatibility: false\nTS_GS_mode: 1\nscrambling_sequence_index: 0x12345\ninput_stream_identifier: 0x09\n"},
    {0x7A, 0, "aa 11 22 33", "DVB_enhanced_AC3_descriptor",
     "mixinfoexists: true\ncomponent_type: 0x11\nmainid: 0x22\nsubstream2: 0x33\n"},
    {0x7C, 0, "58 bf 05 dd", "AAC_descriptor",
     "profile_and_level: 0x58\nSAOC_DE: false\nAAC_type: 0x05\nadditional_info(hex): dd\n"},
    {0x7F, 0, "04 01 00 02 4b 4e 00 07 02 fa f0 80 05 01 03 00 00 00", "T2_delivery_system_descriptor",
     "plp_id: 0x01\nT2_system_id: 0x0002\nextension\n  SISO_MISO: MISO\n  bandwidth: 6MHz\n  guard_interval: 1/8\n"
     "  transmission_mode: 1k\n  other_frequency: true\n  tfs: false\n  cell\n    cell_id: 0x0007\n"
     "    centre_frequency\n      value: 500000000\n    subcell\n      cell_id_extension: 0x01\n"
     "      transposer_frequency: 503316480\n"},
    {0x83, 0x28, "00 01 fc 05", "eacem_logical_channel_number_descriptor",
     "service\n  service_id: 0x0001\n  visible_service: true\n  logical_channel_number: 5\n"},
    {0x88, 0x28, "00 02 7c 0a", "eacem_HD_simulcast_logical_channel_descriptor",
     "service\n  service_id: 0x0002\n  visible_service: false\n  logical_channel_number: 10\n"},
    {0x83, 0x29, "00 03 c0 64", "nordig_logical_channel_descriptor_v1",
     "service\n  service_id: 0x0003\n  visible_service: true\n  logical_channel_number: 100\n"},
    {0x87, 0x29, "01 02 41 42 4e 4f 52 04 00 04 fc 07", "nordig_logical_channel_descriptor_v2",
     "channel_list\n  id: 0x01\n  name: AB\n  country_code: NOR\n  service\n    service_id: 0x0004\n"
     "    visible_service: true\n    logical_channel_number: 7\n"},
};

// The decoded lines under `item`, indented below the kind's line.
std::string DecodedLines(const TableTreeCtrl& tree, ItemHandle item) {
  const ItemHandle part = tree.ChildAt(item, 2);
  std::string dump = DumpTree(tree, part), out;
  for (size_t at = 0; at < dump.size();) {
    const size_t end = dump.find('\n', at);
    const std::string line = dump.substr(at, end - at);
    if (at != 0) out += line.substr(std::min<size_t>(line.size(), 2)) + "\n";  // below the kind's line
    at = end + 1;
  }
  return out;
}

// XML 1.0 section 3.1: an attribute value holds no '<', and each '&' opens a reference.
bool AttributeValuesWellFormed(const std::string& xml) {
  char quote = 0;
  bool inTag = false;
  for (size_t i = 0; i < xml.size(); ++i) {
    const char c = xml[i];
    if (quote) {
      if (c == quote) quote = 0;
      if (c == '<') return false;
      if (c == '&' && !std::regex_search(xml.begin() + i, xml.end(), std::regex("^&(amp|lt|gt|quot|apos|#[0-9]+);")))
        return false;
    } else if (inTag && (c == '"' || c == '\'')) {
      quote = c;
    } else if (c == '<' || c == '>') {
      inTag = c == '<';
    }
  }
  return true;
}

TEST(DescriptorKinds, EachKindReadShownWrittenAsXmlAndCompiledBack) {
  for (const KindRow& row : kKinds) {
    SCOPED_TRACE(row.element);
    const Bytes data = Hex(row.data);
    const Bytes pds = row.specifier ? Descriptor(0x5F, Hex(Format("%08x", row.specifier))) : Bytes{};
    const Bytes bytes = Descriptor(row.tag, data);

    TableTreeCtrl tree;
    const ItemHandle holder = tree.InsertTextItem("loop", kNoItem);
    if (!pds.empty()) AddHexDescriptor(tree, holder, NodeKind::CatDescriptor, {0x5F, std::span(pds).subspan(2)}, kHexLines);
    const ItemHandle item = AddHexDescriptor(tree, holder, NodeKind::CatDescriptor, {row.tag, data}, kHexLines);
    const DescriptorKind* kind = FindDescriptorKind(row.tag, data, row.specifier);
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(tree.GetItemText(tree.ChildAt(item, 2)), kind->name);
    EXPECT_EQ(DecodedLines(tree, item), row.lines);

    const auto group = DecodeDescriptor(*kind, data);
    ASSERT_TRUE(group);
    EXPECT_EQ(EncodeDescriptor(*kind, *group), bytes);

    const Bytes section = CatSection(Join({pds, bytes}));
    const std::string xml = SectionsToXml({section});
    EXPECT_EQ(xml.find("generic_descriptor"), std::string::npos) << xml;
    EXPECT_TRUE(AttributeValuesWellFormed(xml)) << xml;
    EXPECT_NE(xml.find(std::string("<") + row.element), std::string::npos) << xml;
    std::string error;
    EXPECT_EQ(CompileXmlSections(xml, error), SectionBytesList{section}) << xml;
    EXPECT_EQ(error, "");
  }
}

TEST(DescriptorKinds, BytesThatDoNotFitStayHexWithANote) {
  TableTreeCtrl tree;
  const ItemHandle holder = tree.InsertTextItem("loop", kNoItem);
  const Bytes shortLanguage = Hex("66 72 61");  // audio_type missing
  const ItemHandle item = AddHexDescriptor(tree, holder, NodeKind::CatDescriptor, {0x0A, shortLanguage}, kHexLines);
  EXPECT_EQ(DumpTree(tree, item),
            "descriptor_tag: 0xa\n  descriptor_length(byte): 3\n  descriptor_data(hex): 66 72 61\n"
            "  ISO_639_language_descriptor: the bytes do not fit, shown in hex only\n");
  // A private tag without its private_data_specifier is no kind: hex only; as XML generic.
  const Bytes lcn = Hex("00 01 fc 05");
  const ItemHandle plain = AddHexDescriptor(tree, holder, NodeKind::CatDescriptor, {0x83, lcn}, kHexLines);
  EXPECT_EQ(tree.ChildCount(plain), 2);
  const Bytes section = CatSection(Join({Descriptor(0x0A, shortLanguage), Descriptor(0x83, lcn)}));
  const std::string xml = SectionsToXml({section});
  EXPECT_NE(xml.find("<generic_descriptor tag=\"0x0A\">667261</generic_descriptor>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<generic_descriptor tag=\"0x83\">0001FC05</generic_descriptor>"), std::string::npos) << xml;
  // Delivery values TSDuck would not give back: a frequency nibble that is no decimal digit, a
  // roll_off under DVB-S, a centre_frequency of 0 (TSDuck writes 0 Hz as all ones).
  const char* const kept[][2] = {{"44", "0A460000FFF20300690005"},
                                 {"43", "0117437501928802750003"},
                                 {"5A", "00000000379C33FFFFFFFF"}};
  for (const auto& [tag, data] : kept) {
    const Bytes d = Hex(data);
    const std::string out = SectionsToXml({CatSection(Descriptor(static_cast<uint8_t>(std::stoi(tag, nullptr, 16)), d))});
    EXPECT_NE(out.find(Format("<generic_descriptor tag=\"0x%s\">", tag)), std::string::npos) << out;
  }
}

TEST(TsduckXml, EveryCaptureThroughXmlAndBackGivesTheSameSections) {
  for (const char* name : {"bat_tvnum", "cat_r3", "nit_tntv23", "pat_r4", "pmt_planete", "sdt_r3", "tdt_tnt", "tot_tnt"}) {
    SCOPED_TRACE(name);
    CaptureOptions options;
    options.everyPmt = true;
    const CaptureLoad load = LoadCapture(std::string(QUORVELIN_TEST_DATA) + "/samples/" + name + ".ts", options);
    ASSERT_TRUE(load.Ok()) << load.error;
    const SectionBytesList sections = SectionsOf(load.tables);
    ASSERT_FALSE(sections.empty());
    const std::string xml = SectionsToXml(sections);
    std::string error;
    EXPECT_EQ(CompileXmlSections(xml, error), sections) << xml;
    EXPECT_EQ(error, "");
  }
}

struct BadXmlRow {
  const char* xml;
  const char* message;
};

TEST(TsduckXml, RefusedDocumentsNameLineAndColumn) {
  const BadXmlRow rows[] = {
      {"<tsduck>\n  <PAT transport_stream_id=\"1\">\n</tsduck>", "line 3, column 3: "},
      {"<tsduck>\n  <PAX/>\n</tsduck>", "line 2, column 3: <PAX>: unknown table"},
      {"<tsduck>\n  <PAT transport_stream_id=\"1\" colour=\"red\"/>\n</tsduck>",
       "line 2, column 3: <PAT>: unknown attribute colour"},
      {"<tsduck>\n  <PAT transport_stream_id=\"0x10000\"/>\n</tsduck>",
       "line 2, column 3: <PAT>: transport_stream_id must be 0 to 65535"},
      {"<tsduck>\n  <PMT service_id=\"1\">\n    <stream_identifier_descriptor component_tag=\"256\"/>\n  </PMT>\n</tsduck>",
       "line 3, column 5: <stream_identifier_descriptor>: component_tag must be 0 to 255"},
      {"<tsduck>\n  <CAT>\n    <odd_descriptor/>\n  </CAT>\n</tsduck>", "line 3, column 5: <odd_descriptor>: unknown element"},
      {"<tsduck>\n  <CAT>\n    <generic_descriptor tag=\"0x80\">ABC</generic_descriptor>\n  </CAT>\n</tsduck>",
       "line 3, column 5: <generic_descriptor>: an odd number of hexadecimal digits"},
      {"<tsduck>\n  <CAT>\n    <satellite_delivery_system_descriptor frequency=\"0\" orbital_position=\"19.2\" "
       "west_east_flag=\"east\" polarization=\"diagonal\" modulation_system=\"DVB-S\" symbol_rate=\"0\" "
       "FEC_inner=\"none\"/>\n  </CAT>\n</tsduck>",
       "line 3, column 5: <satellite_delivery_system_descriptor>: polarization must be horizontal|vertical|left|right or a "
       "number"},
      {"<tsduck>\n  <SDT transport_stream_id=\"1\">\n  </SDT>\n</tsduck>",
       "line 2, column 3: <SDT>: attribute original_network_id is missing"},
      {"<tsduck>\n <TDT UTC_time=\"2024-13-01 00:00:00\"/>\n</tsduck>",
       "line 2, column 2: <TDT>: UTC_time must be YYYY-MM-DD hh:mm:ss"},
      {"<tsduck><TOT UTC_time=\"2026-03-29 00:00:00\"><local_time_offset_descriptor>\n  <region country_code=\"FRA\" "
       "country_region_id=\"0\" local_time_offset=\"60\" time_of_change=\"2026-03-29 01:00:00\" next_time_offset=\"-60\"/>"
       "</local_time_offset_descriptor></TOT></tsduck>",
       "line 2, column 3: <region>: local_time_offset and next_time_offset must have the same sign"},
  };
  for (const BadXmlRow& row : rows) {
    SCOPED_TRACE(row.xml);
    const XmlTables x = CompileXml(row.xml);
    EXPECT_EQ(x.error.substr(0, std::strlen(row.message)), row.message);
    EXPECT_TRUE(x.tables == PortTables{});
  }
}

}  // namespace
}  // namespace quorvelin::testing
