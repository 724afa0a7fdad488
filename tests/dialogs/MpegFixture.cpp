#include "MpegFixture.h"

#include <sstream>
#include <variant>

#include "util/Number.h"

namespace quorvelin::test {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  BytesToHexText(out, bytes.data(), static_cast<int>(bytes.size()));
  return out;
}

template <size_t N>
std::string Name(const std::array<uint8_t, N>& bytes, int length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), static_cast<size_t>(length));
}

std::string HeaderText(const PatSectionHeader& h) {
  return Format("tid=%d ssi=%d len=%d id=%d ver=%d sec=%d/%d", h.table_id, h.section_syntax_indicator,
                h.section_length.word, h.transport_stream_id, h.version_cni, h.section_number, h.last_section_number);
}

struct PayloadText {
  std::string operator()(std::monostate) const { return ""; }
  std::string operator()(const PatSectionHeader& h) const { return HeaderText(h); }
  std::string operator()(const PmtSectionHeader& h) const {
    return HeaderText(h) +
           Format(" pcr=%d pil=%d pmtpid=%d", h.pcr_pid.word, h.program_info_length.word, h.pmt_pid.word);
  }
  std::string operator()(const SdtSectionHeader& h) const {
    return HeaderText(h) + Format(" onid=%d", h.original_network_id);
  }
  std::string operator()(const CatSectionHeader& h) const {
    return Format("tid=%d len=%d ver=%d", h.table_id, h.section_length.word, h.version_cni);
  }
  std::string operator()(const PatProgram& p) const { return Format("prog=%d pid=%d", p.program_number, p.pid.word); }
  std::string operator()(const PmtComponent& c) const {
    return Format("type=%d pid=%d esil=%d", c.stream_type, c.elementary_pid.word, c.es_info_length.word);
  }
  std::string operator()(const SdtService& s) const {
    return Format("sid=%d flags=%d dll=%d", s.service_id, s.flags, s.descriptors_loop_length.word);
  }
  std::string operator()(const TransportStreamEntry& e) const {
    return Format("tsid=%d onid=%d tdl=%d", e.transport_stream_id, e.original_network_id,
                  e.transport_descriptors_length.word);
  }
  std::string operator()(const GenericDescriptor& d) const {
    return Format("tag=%d len=%d", d.tag, d.length) + Hex(d.data);
  }
  std::string operator()(const CaDescriptor& d) const {
    return Format("tag=%d len=%d sys=%d pid=%d", d.tag, d.length, d.ca_system_id, d.ca_pid.word) + Hex(d.private_data);
  }
  std::string operator()(const SdtServiceDescriptor& d) const {
    return Format("tag=%d len=%d type=%d ", d.tag, d.length, d.service_type) + "[" +
           Name(d.provider_name, d.provider_name_length) + "][" + Name(d.service_name, d.service_name_length) + "]";
  }
  std::string operator()(const LinkageDescriptor& d) const {
    return Format("tag=%d len=%d ts=%d on=%d s=%d lt=%d", d.tag, d.length, d.transport_stream_id, d.original_network_id,
                  d.service_id, d.linkage_type) +
           Hex(d.private_data);
  }
  template <class T>
  std::string operator()(const T&) const {
    return "(other payload)";
  }
};

std::string TotText(const TotRecord& t) {
  return Format("tot tid=%d ssi=%d len=%d dll=%d tag=%d dl=%d cc=%c%c%c reg=%d pol=%d ", t.table_id,
                t.section_syntax_indicator, t.section_length.word, t.descriptors_loop_length.word, t.descriptor_tag,
                t.descriptor_length, t.country_code[0], t.country_code[1], t.country_code[2], t.country_region_id,
                t.local_time_offset_polarity) +
         FormatDateTime(t.utc_time, "%Y-%m-%d %H:%M:%S") + " " + FormatDateTime(t.local_time_offset, "%H:%M") + " " +
         FormatDateTime(t.time_of_change, "%Y-%m-%d %H:%M:%S") + " " + FormatDateTime(t.next_time_offset, "%H:%M");
}

void SnapshotItems(const TableTreeCtrl& tree, ItemHandle first, int depth, std::ostringstream& out) {
  for (ItemHandle h = first; h != kNoItem; h = tree.GetNextSiblingItem(h)) {
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << tree.GetItemText(h) << " |" << tree.GetItemImage(h)
        << "/" << tree.GetItemSelectedImage(h) << (tree.IsExpanded(h) ? " +" : "")
        << (tree.GetSelectedItem() == h ? " *" : "");
    if (const NodeRecord* r = tree.RecordOf(h))
      out << " {" << KindName(r->kind) << " " << std::visit(PayloadText{}, r->payload) << "}";
    else if (const TotRecord* t = tree.TotRecordOf(h))
      out << " {" << TotText(*t) << "}";
    out << "\n";
    SnapshotItems(tree, tree.GetChildItem(h), depth + 1, out);
  }
}

}  // namespace

GenericDescriptor Descriptor(uint8_t tag, std::vector<uint8_t> data) {
  GenericDescriptor d;
  d.tag = tag;
  d.length = static_cast<uint8_t>(data.size());
  d.data = std::move(data);
  return d;
}

MpegTree::MpegTree() {
  tree.portMode = 1;
  tree.BuildRoots();
}

ItemHandle MpegTree::AddPat(int port, uint16_t transportStreamId, const std::vector<ProgramEntry>& programs) {
  PatSectionHeader h;
  h.section_syntax_indicator = 1;
  h.section_length.set(static_cast<uint32_t>(9 + 4 * programs.size()));
  h.transport_stream_id = transportStreamId;
  h.set_version(1);
  h.set_cni(1);
  const ItemHandle section = tree.InsertRecordItem("SECTION0:", kImageSection, tree.Root(port, Table::Pat),
                                                   MakeRecord(NodeKind::PatSection, h));
  for (const std::string& line :
       {Format("table_id: 0x%x", 0), Format("section_syntax_indicator: 0x%x", 1),
        Format("section_length: 0x%x", h.section_length.get()), Format("transport_stream_id: 0x%x", transportStreamId),
        Format("version_number: 0x%x", 1), Format("current_next_indicator: 0x%x", 1), Format("section_number: 0x%x", 0),
        Format("last_section_number: 0x%x", 0)})
    tree.InsertLine(line, section);
  const ItemHandle list = tree.InsertRecordItem(Format("programs:%d", static_cast<int>(programs.size())), kImageLine,
                                                section, MakeHolder(NodeKind::PatProgramList));
  for (const ProgramEntry& e : programs) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(e.number);
    p.pid.word = static_cast<uint16_t>(0xE000 | e.pid);  // as received: reserved bits set
    tree.InsertRecordItem(Format("program_number: 0x%x (%d) => pid: 0x%x (%d)", e.number, e.number, e.pid, e.pid),
                          kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  tree.InsertLine("crc_32: 0x12345678", section);
  return section;
}

namespace {

int LoopBytes(const std::vector<GenericDescriptor>& ds) {
  int n = 0;
  for (const GenericDescriptor& d : ds) n += d.length + 2;
  return n;
}

void AddPmtDescriptor(TableTreeCtrl& tree, ItemHandle holder, const GenericDescriptor& d, bool programInfo) {
  if (d.tag == 9) {
    CaDescriptor ca;
    ca.length = d.length;
    ca.ca_system_id = static_cast<uint16_t>(d.data.at(0) << 8 | d.data.at(1));
    ca.ca_pid.word = static_cast<uint16_t>(d.data.at(2) << 8 | d.data.at(3));
    ca.private_data.assign(d.data.begin() + 4, d.data.end());
    const ItemHandle item = tree.InsertRecordItem(Format("descriptor_tag: 0x%x", 9), kImageLine, holder,
                                                  MakeRecord(NodeKind::PmtCaDescriptor, ca));
    tree.InsertLine(Format("descriptor_length: 0x%x", d.length), item);
    const ItemHandle data = tree.InsertLine("descriptor_data", item);
    tree.InsertLine(Format("CA_system_ID: 0x%x", ca.ca_system_id), data);
    tree.InsertLine(Format("CA_PID: 0x%x", ca.ca_pid.get()), data);
    return;
  }
  const NodeKind kind = programInfo ? NodeKind::PmtProgramInfoDescriptor : NodeKind::PmtEsDescriptor;
  const ItemHandle item =
      tree.InsertRecordItem(Format(programInfo ? "descriptor_tag: %x" : "descriptor_tag: %02x", d.tag), kImageLine,
                            holder, MakeRecord(kind, d));
  tree.InsertLine(Format(programInfo ? "descriptor_length(byte): %d" : "descriptor_length (byte): %d", d.length), item);
  std::string hex;
  BytesToHexText(hex, d.data.data(), static_cast<int>(d.data.size()));
  tree.InsertLine("descriptor_data(hex):" + hex, item);
}

}  // namespace

ItemHandle MpegTree::AddPmt(int port, int programNumber, int pmtPid, int pcrPid,
                            const std::vector<GenericDescriptor>& programInfo,
                            const std::vector<ComponentEntry>& components) {
  const ItemHandle program = tree.InsertRecordItem(
      Format("program: 0x%x (%d) => pid: 0x%x (%d)", programNumber, programNumber, pmtPid, pmtPid), kImageProgram,
      tree.Root(port, Table::Pmt), MakeHolder(NodeKind::PmtProgram));
  PmtSectionHeader h;
  h.table_id = 2;
  h.section_syntax_indicator = 1;
  h.program_number() = static_cast<uint16_t>(programNumber);
  h.set_version(3);
  h.set_cni(1);
  h.pcr_pid.word = static_cast<uint16_t>(0xE000 | pcrPid);
  h.program_info_length.word = static_cast<uint16_t>(0xF000 | LoopBytes(programInfo));
  h.pmt_pid.set(static_cast<uint32_t>(pmtPid));
  int length = 13 + LoopBytes(programInfo);
  for (const ComponentEntry& c : components) length += 5 + LoopBytes(c.descriptors);
  h.section_length.set(static_cast<uint32_t>(length));
  const ItemHandle section =
      tree.InsertRecordItem("Section 0:", kImageSection, program, MakeRecord(NodeKind::PmtSection, h));
  const int pil = h.program_info_length.get();
  for (const std::string& line : {Format("table_id: 0x%x", 2), Format("section_syntax_indicator: 0x%x", 1),
                                  Format("section_length: 0x%x", length), Format("program_number: 0x%x", programNumber),
                                  Format("version_number: 0x%x", 3), Format("current_next_indicator: 0x%x", 1),
                                  Format("section_number: 0x%x", 0), Format("last_section_number: 0x%x", 0),
                                  Format("pcr_pid: 0x%x", pcrPid), Format("program_info_length: 0x%x (%d)", pil, pil)})
    tree.InsertLine(line, section);
  if (!programInfo.empty()) {
    const ItemHandle holder = tree.InsertRecordItem("program_info_descriptors", kImageLine, section,
                                                    MakeHolder(NodeKind::PmtProgramInfoList));
    for (const GenericDescriptor& d : programInfo) AddPmtDescriptor(tree, holder, d, true);
  }
  const ItemHandle list =
      tree.InsertRecordItem("components", kImageLine, section, MakeHolder(NodeKind::PmtComponentList));
  for (const ComponentEntry& c : components) {
    PmtComponent pc;
    pc.stream_type = static_cast<uint8_t>(c.streamType);
    pc.elementary_pid.word = static_cast<uint16_t>(0xE000 | c.pid);
    pc.es_info_length.word = static_cast<uint16_t>(0xF000 | LoopBytes(c.descriptors));
    const int image = c.streamType == 1 || c.streamType == 2   ? kImageVideo
                      : c.streamType == 3 || c.streamType == 4 ? kImageAudio
                                                               : kImageLine;
    const ItemHandle item = tree.InsertRecordItem(Format("stream type: %2x", c.streamType), image, list,
                                                  MakeRecord(NodeKind::PmtComponent, pc));
    tree.InsertLine(Format("elementary_pid: 0x%x (%d)", c.pid, c.pid), item);
    const int esil = pc.es_info_length.get();
    tree.InsertLine(Format("es_info_length: 0x%x (%d)", esil, esil), item);
    if (!c.descriptors.empty()) {
      const ItemHandle holder =
          tree.InsertRecordItem("es descriptors", kImageLine, item, MakeHolder(NodeKind::PmtEsDescriptorList));
      for (const GenericDescriptor& d : c.descriptors) AddPmtDescriptor(tree, holder, d, false);
    }
  }
  tree.InsertLine("crc_32: 0xabcdef01", section);
  return section;
}

ItemHandle MpegTree::AddSdt(int port, uint16_t transportStreamId, uint16_t originalNetworkId) {
  SdtSectionHeader h;
  h.table_id = 0x42;
  h.section_syntax_indicator = 1;
  h.section_length.set(12);
  h.transport_stream_id = transportStreamId;
  h.set_version(2);
  h.set_cni(1);
  h.original_network_id = originalNetworkId;
  const ItemHandle section = tree.InsertRecordItem("Section 0:", kImageSection, tree.Root(port, Table::Sdt),
                                                   MakeRecord(NodeKind::SdtSection, h));
  for (const std::string& line :
       {Format("table_id: 0x%x", 0x42), Format("section_syntax_indicator: 0x%x", 1), Format("section_length: 0x%x", 12),
        Format("transport_stream_id: 0x%x", transportStreamId), Format("version_number: 0x%x", 2),
        Format("current_next_indicator: 0x%x", 1), Format("section_number: 0x%x", 0),
        Format("last_section_number: 0x%x", 0), Format("original_network_id: 0x%x", originalNetworkId)})
    tree.InsertLine(line, section);
  tree.InsertRecordItem("services", kImageLine, section, MakeHolder(NodeKind::SdtServiceList));
  tree.InsertLine("crc_32: 0x0", section);
  return section;
}

ItemHandle MpegTree::AddService(ItemHandle sdtSection, uint16_t serviceId, int running,
                                const std::vector<GenericDescriptor>& descriptors) {
  SdtService s;
  s.service_id = serviceId;
  s.flags = SdtService::MakeFlags(0, 1, running, 0);
  s.descriptors_loop_length.word = static_cast<uint16_t>(0xF000 | LoopBytes(descriptors));
  const ItemHandle services = tree.FindDirectChildOfKind(sdtSection, NodeKind::SdtServiceList);
  const ItemHandle item = tree.InsertRecordItem(Format("service_id: 0x%04x (%d)", serviceId, serviceId), kImageLine,
                                                services, MakeRecord(NodeKind::SdtService, s));
  for (const std::string& line : {Format("eit_schedule_flag: 0x%x", 0), Format("eit_present_following_flag: 0x%x", 1),
                                  Format("runing_status: 0x%x", running), Format("free_CA_mode: 0x%x", 0),
                                  Format("descriptors_loop_length: 0x%x", s.descriptors_loop_length.get())})
    tree.InsertLine(line, item);
  if (!descriptors.empty()) {
    const ItemHandle holder =
        tree.InsertRecordItem("descriptors", kImageLine, item, MakeHolder(NodeKind::SdtServiceDescriptorList));
    for (const GenericDescriptor& d : descriptors) {
      const ItemHandle di = tree.InsertRecordItem(Format("descriptor_tag: 0x%x", d.tag), kImageLine, holder,
                                                  MakeRecord(NodeKind::SdtDescriptor, d));
      tree.InsertLine(Format("descriptor_length(byte): %d", d.length), di);
    }
  }
  return item;
}

ItemHandle MpegTree::AddCat(int port, const std::vector<GenericDescriptor>& descriptors) {
  CatSectionHeader h;
  h.table_id = 1;
  h.section_syntax_indicator = 1;
  h.section_length.set(static_cast<uint32_t>(9 + LoopBytes(descriptors)));
  h.version_cni = 0x20;
  const ItemHandle section =
      tree.InsertRecordItem("SECTION:0", kImageLine, tree.Root(port, Table::Cat), MakeRecord(NodeKind::CatSection, h));
  for (const std::string& line : {Format("table_id: 0x%x", 1), Format("section_syntax_indicator: 0x%x", 1),
                                  Format("section_length: 0x%x", h.section_length.get()),
                                  Format("version_number: 0x%x", 0), Format("current_next_indicator: 0x%x", 1),
                                  Format("section_number: 0x%x", 0), Format("last_section_number: 0x%x", 0)})
    tree.InsertLine(line, section);
  if (!descriptors.empty()) {
    const ItemHandle holder =
        tree.InsertRecordItem("descriptors", kImageLine, section, MakeHolder(NodeKind::CatDescriptorList));
    for (const GenericDescriptor& d : descriptors) {
      CaDescriptor ca;
      ca.length = d.length;
      ca.ca_system_id = static_cast<uint16_t>(d.data.at(0) << 8 | d.data.at(1));
      ca.ca_pid.word = static_cast<uint16_t>(d.data.at(2) << 8 | d.data.at(3));
      ca.private_data.assign(d.data.begin() + 4, d.data.end());
      tree.InsertRecordItem(Format("descriptor_tag: 0x%x", 9), kImageLine, holder,
                            MakeRecord(NodeKind::CatCaDescriptor, ca));
    }
  }
  tree.InsertLine("crc_32: 0x0", section);
  return section;
}

ItemHandle MpegTree::AddTot(int port, const TotRecord& state) {
  const ItemHandle section = tree.InsertItem("SECTION:0", kImageLine, tree.Root(port, Table::Tot));
  tree.SetItemData(section, std::make_unique<TotRecord>(state));
  tree.InsertLine(Format("table_id: 0x%x", state.table_id), section);
  return section;
}

ItemHandle MpegTree::At(ItemHandle from, std::initializer_list<int> path) const {
  ItemHandle h = from;
  for (int row : path) h = tree.ChildAt(h, row);
  return h;
}

ItemHandle MpegTree::Select(ItemHandle item) {
  EXPECT_TRUE(tree.SelectItem(item));
  return item;
}

NodeRecord& MpegTree::Record(ItemHandle item) const {
  NodeRecord* r = tree.RecordOf(item);
  EXPECT_NE(r, nullptr);
  static NodeRecord none(NodeKind::None);
  return r ? *r : none;
}

std::string MpegTree::Snapshot() const {
  std::ostringstream out;
  SnapshotItems(tree, tree.GetRootItem(), 0, out);
  return out.str();
}

void ExpectRefusal(const RecordingUi& ui, const Form& form, const std::string& text, int focus) {
  ASSERT_EQ(ui.messages.size(), 1u) << text;
  EXPECT_EQ(ui.messages[0].text, text);
  EXPECT_EQ(ui.messages[0].caption, kSystemInfo);
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(form.focusId, focus);
}

}  // namespace quorvelin::test
