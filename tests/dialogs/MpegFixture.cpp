#include "MpegFixture.h"

#include <sstream>
#include <variant>

#include "sections/CatSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/SectionWriter.h"
#include "sections/TimeSections.h"
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

namespace {

ItemHandle LastChild(const TableTreeCtrl& tree, ItemHandle parent) {
  return tree.ChildAt(parent, tree.ChildCount(parent) - 1);
}

uint16_t LoopBytes(const std::vector<GenericDescriptor>& ds) {
  int n = 0;
  for (const GenericDescriptor& d : ds) n += d.length + 2;
  return static_cast<uint16_t>(n);
}

}  // namespace

ItemHandle MpegTree::AddPat(int port, uint16_t transportStreamId, const std::vector<ProgramEntry>& programs) {
  SectionWriter w(kMaxSectionBytes);
  w.WriteHeader({0x00, 1, transportStreamId, 1, 1, 0, 0}, kFixedBits30);
  for (const ProgramEntry& e : programs) {
    w.U16(static_cast<uint16_t>(e.number));
    w.Pid13(static_cast<uint16_t>(e.pid));
  }
  EXPECT_TRUE(w.Finish());
  ParsePatSection(tree, w.data(), w.size(), port);
  return LastChild(tree, tree.Root(port, Table::Pat));
}

ItemHandle MpegTree::AddPmt(int port, int programNumber, int pmtPid, int pcrPid,
                            const std::vector<GenericDescriptor>& programInfo,
                            const std::vector<ComponentEntry>& components) {
  SectionWriter w(kMaxSectionBytes);
  w.WriteHeader({0x02, 1, static_cast<uint16_t>(programNumber), 3, 1, 0, 0}, kFixedBits30);
  w.Pid13(static_cast<uint16_t>(pcrPid));
  w.Length12(LoopBytes(programInfo));
  for (const GenericDescriptor& d : programInfo) WriteDescriptor(w, d);
  for (const ComponentEntry& c : components) {
    w.U8(static_cast<uint8_t>(c.streamType));
    w.Pid13(static_cast<uint16_t>(c.pid));
    w.Length12(LoopBytes(c.descriptors));
    for (const GenericDescriptor& d : c.descriptors) WriteDescriptor(w, d);
  }
  EXPECT_TRUE(w.Finish());
  PmtReadState state;
  EXPECT_EQ(ParsePmtSections(tree, w.data(), w.size(), port, static_cast<uint16_t>(pmtPid), state), 1);
  return tree.GetChildItem(LastChild(tree, tree.Root(port, Table::Pmt)));
}

ItemHandle MpegTree::AddSdt(int port, uint16_t transportStreamId, uint16_t originalNetworkId,
                            const std::vector<ServiceEntry>& services) {
  SectionWriter w(kMaxSectionBytes);
  w.WriteHeader({0x42, 1, transportStreamId, 2, 1, 0, 0}, kFixedBits70);
  w.U16(originalNetworkId);
  w.U8(0xFF);
  for (const ServiceEntry& s : services) {
    w.U16(static_cast<uint16_t>(s.id));
    w.U8(0xFD);  // EIT_present_following_flag
    w.U16(static_cast<uint16_t>(s.running << 13 | LoopBytes(s.descriptors)));
    for (const GenericDescriptor& d : s.descriptors) WriteDescriptor(w, d);
  }
  EXPECT_TRUE(w.Finish());
  EXPECT_TRUE(ParseSdtSection(tree, w.data(), w.size(), port, 0));
  return LastChild(tree, tree.Root(port, Table::Sdt));
}

ItemHandle MpegTree::AddCat(int port, const std::vector<GenericDescriptor>& descriptors) {
  SectionWriter w(kMaxSectionBytes);
  w.WriteHeader({0x01, 1, 0xFFFF, 0, 1, 0, 0}, kFixedBits30);
  for (const GenericDescriptor& d : descriptors) WriteDescriptor(w, d);
  EXPECT_TRUE(w.Finish());
  EXPECT_TRUE(ParseCat(tree, w.data(), w.size(), port));
  return LastChild(tree, tree.Root(port, Table::Cat));
}

ItemHandle MpegTree::AddTot(int port, const TotRecord& state) {
  ShowTot(tree, tree.Root(port, Table::Tot), state);
  return tree.GetChildItem(tree.Root(port, Table::Tot));
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
