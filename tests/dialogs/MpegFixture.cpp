#include "MpegFixture.h"

#include <set>

#include "dialogs/dvb/CTabSheet.h"
#include "resources/MpegDialogIds.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NewSections.h"
#include "sections/NitSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/SectionTestSupport.h"
#include "sections/TimeSections.h"
#include "sections/descriptors/GenericHex.h"
#include "tree/TreePlace.h"
#include "device/VersionRule.h"
#include "sections/Packets.h"
#include "sections/TableIds.h"
#include "util/Number.h"
#include "util/TextCode.h"

#ifdef QUORVELIN_HAVE_DVBPSI
// clang-format off
extern "C" {  // libdvbpsi's headers need this order
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/bat.h>
#include <dvbpsi/cat.h>
#include <dvbpsi/nit.h>
#include <dvbpsi/pat.h>
#include <dvbpsi/pmt.h>
#include <dvbpsi/sdt.h>
}
// clang-format on
#endif

namespace quorvelin::test {
namespace {

// Visits `first`, its following siblings and everything below them, depth first.
template <class Visit>
void Walk(const TableTreeCtrl& tree, ItemHandle first, Visit visit) {
  for (ItemHandle h = first; h != kNoItem; h = tree.GetNextSiblingItem(h)) {
    visit(h);
    Walk(tree, tree.GetChildItem(h), visit);
  }
}

std::string Hex(const uint8_t* p, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += {"0123456789abcdef"[p[i] >> 4], "0123456789abcdef"[p[i] & 15]};
  return out;
}

// What the builders write for a port into eight PMT slots of 0xFF.
std::vector<uint8_t> Built(TableTreeCtrl& tree, Table table, int port, std::string& error) {
  std::vector<uint8_t> area(8 * kPmtSlotSize, 0xFF);
  using Builder = BuildResult (*)(TableTreeCtrl&, int, uint8_t*, size_t);
  const Builder builders[] = {BuildPat, BuildPmts, BuildSdt, BuildCat, BuildNit, nullptr, nullptr, BuildBat};
  const BuildResult r = builders[static_cast<int>(table)](tree, port, area.data(), area.size());
  error = r.ok ? "" : "build: " + r.error;
  return area;
}


bool IsEmptyHolder(const TableTreeCtrl& tree, ItemHandle h) {
  const NodeRecord* r = tree.RecordOf(h);
  return r && !r->HasPayload() && !IsTableRoot(r->kind) && r->kind != K::PmtProgram && !tree.ItemHasChildren(h);
}

// The lines below the table's root, "#n" marking an image other than a line's and " +" an open
// item; the values of section_length and CRC_32, which the builders work out, and loop holders
// with nothing in them, which no byte shows, left out.
std::vector<std::string> TableLines(const TableTreeCtrl& tree, Table table, int port) {
  std::vector<std::string> out;
  Walk(tree, tree.GetChildItem(tree.Root(port, table)), [&](ItemHandle h) {
    if (IsEmptyHolder(tree, h)) return;
    const std::string& text = tree.GetItemText(h);
    const int image = tree.GetItemImage(h);
    const bool worked = text.starts_with("section_length: ") || text.starts_with("CRC_32: ");
    out.push_back((worked ? text.substr(0, text.find(':')) : text) + (image != kImageLine ? Format(" #%d", image) : "") +
                  (tree.IsExpanded(h) ? " +" : ""));
  });
  return out;
}

// Submit's read-back: the sections the builders write for the table read into its branch again.
void ReadBack(TableTreeCtrl& tree, Table table, int port) {
  std::string error;
  std::vector<uint8_t> area = Built(tree, table, port, error);
  tree.DeleteChildren(tree.Root(port, table));
  constexpr uint8_t kTableIds[] = {kPatTableId, kPmtTableId, kSdtTableId, kCatTableId, kNitTableId, 0, 0, kBatTableId};
  const uint8_t tableId = kTableIds[static_cast<int>(table)];
  const size_t step = table == Table::Pmt ? kPmtSlotSize : area.size();
  int index = 0;
  for (size_t at = 0; at < area.size() && area[at] == 0x47; at += step) {
    PmtReadState pmt;
    const auto pid = static_cast<uint16_t>((area[at + 1] & 0x1F) << 8 | area[at + 2]);
    for (const std::vector<uint8_t>& s : SectionsOfPackets(area.data() + at, std::min(step, area.size() - at), tableId)) {
      if (table == Table::Pat) ParsePatSection(tree, s.data(), s.size(), port);
      if (table == Table::Pmt) ParsePmtSections(tree, s.data(), s.size(), port, pid, pmt);
      if (table == Table::Sdt) ParseSdtSection(tree, s.data(), s.size(), port, index++);
      if (table == Table::Cat) ParseCatSection(tree, s.data(), s.size(), port);
      if (table == Table::Nit) ParseNitSection(tree, s.data(), s.size(), port);
      if (table == Table::Bat) ParseBatSection(tree, s.data(), s.size(), port);
    }
  }
}


// The form the fields go to: page `page` of the dialog's tab sheet, or the dialog (page -1).
Form& Target(Form& dialog, int page) {
  CTabSheet* sheet = dialog.TabSheetOf(mpeg_ids::kTabControl);
  return sheet && page >= 0 ? *sheet->Page(page) : dialog;
}

// The lines of the tree without indentation, " #n" marking an image other than a line's, " +" an
// expanded item and " *" the selected one.
std::vector<std::string> Lines(const TableTreeCtrl& tree) {
  std::vector<std::string> out;
  const auto line = [&](ItemHandle h) {
    const int image = tree.GetItemImage(h);
    out.push_back(tree.GetItemText(h) + (image != kImageLine ? Format(" #%d", image) : "") +
                  (tree.IsExpanded(h) ? " +" : "") + (tree.GetSelectedItem() == h ? " *" : ""));
  };
  Walk(tree, tree.GetRootItem(), line);
  return out;
}

// How `b` differs from `a`: "-gone" and "+new" entries in order, joined by " | ".
std::string Changes(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  // the longest common subsequence from each pair of positions on; what is not in it changed
  std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (size_t i = a.size(); i-- > 0;)
    for (size_t j = b.size(); j-- > 0;)
      common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
  std::string out;
  const auto note = [&out](char sign, const std::string& s) { out += (out.empty() ? "" : " | ") + (sign + s); };
  for (size_t i = 0, j = 0; i < a.size() || j < b.size();) {
    if (i < a.size() && j < b.size() && a[i] == b[j])
      ++i, ++j;
    else if (j == b.size() || (i < a.size() && common[i + 1][j] >= common[i][j + 1]))
      note('-', a[i++]);
    else
      note('+', b[j++]);
  }
  return out;
}
}  // namespace

MpegTree::MpegTree(bool samples, int portMode, int textCode) {
  SetTextCode(textCode);  // 0: a new tree reads setting.ini
  tree.LayOutPorts(portMode, -1);
  tree.BuildRoots();
  if (!samples) return;
  PmtReadState pmt;
  for (const char* name : {"pat_r4", "pmt_planete", "sdt_r3", "cat_r3", "nit_tntv23", "bat_tvnum", "tot_tnt"}) {
    const std::vector<uint8_t> s = testing::SampleSection(name);
    ParsePatSection(tree, s.data(), s.size(), 1);
    ParsePmtSections(tree, s.data(), s.size(), 1, 0x503, pmt);
    ParseSdtSection(tree, s.data(), s.size(), 1, 0);
    ParseCatSection(tree, s.data(), s.size(), 1);
    ParseNitSection(tree, s.data(), s.size(), 1);
    ParseBatSection(tree, s.data(), s.size(), 1);
    ParseTotSection(tree, s.data(), s.size(), 1);
  }
  InsertNewPatSection(tree, tree.Root(2, Table::Pat), 1);
  InsertNewSdtSection(tree, tree.Root(2, Table::Sdt), 1, 2);
  InsertNewCatSection(tree, tree.Root(2, Table::Cat));
  InsertNewNitSection(tree, tree.Root(2, Table::Nit), 0x3001, 0);
}

MpegTree::~MpegTree() { SetTextCode(0); }

ItemHandle MpegTree::Find(Where w) const {
  ItemHandle found = kNoItem;
  Walk(tree, tree.GetChildItem(tree.PortNode(w.port)), [&](ItemHandle h) {
    if (!found && tree.KindOf(h) == w.kind && w.nth-- == 0) found = h;
  });
  return found;
}

ItemHandle MpegTree::Select(ItemHandle item) {
  EXPECT_TRUE(tree.SelectItem(item));
  return item;
}

std::string MpegTree::Snapshot() {
  std::string out;
  for (const std::string& line : Lines(tree)) out += line + "\n";
  for (int port : {1, 2})
    for (Table table : {Table::Pat, Table::Pmt, Table::Sdt, Table::Cat, Table::Nit, Table::Bat}) {
      std::string error;
      std::vector<uint8_t> bytes = Built(tree, table, port, error);
      while (!bytes.empty() && (bytes.back() == 0xFF || bytes.back() == 0x00)) bytes.pop_back();
      out += Hex(bytes.data(), bytes.size()) + error + "\n";
    }
  return out;
}

void Type(Form& form, const Fields& fields) {
  for (const auto& [id, text] : fields) {
    if (text == "!")
      form.OnCommand(id);
    else if (text == "[x]" || text == "[ ]")
      form.SetCheck(id, text == "[x]");
    else if (text.size() > 1 && text[0] == '#')
      form.SetComboIndex(id, std::stoi(text.substr(1)));
    else if (text.size() > 1 && text[0] == '@')
      form.Value(id).selectionMark = std::stoi(text.substr(1));
    else
      form.SetText(id, text), form.Value(id).index = -1;
  }
}

Fields Join(Fields fields, const Fields& more) {
  fields.insert(fields.end(), more.begin(), more.end());
  return fields;
}


bool RunOk(Form& dialog, int page, const Fields& fields) {
  dialog.OnInitDialog();
  if (CTabSheet* sheet = dialog.TabSheetOf(mpeg_ids::kTabControl); sheet && page >= 0) sheet->OnLButtonDown(page);
  Type(Target(dialog, page), fields);
  return dialog.OnOK();
}

bool RunOn(MpegTree& t, Where w, const Factory& make, int page, const Fields& fields) {
  t.Select(w);
  return RunOk(*make(t), page, fields);
}



void ExpectBranchesWellFormed(const TableTreeCtrl& tree) {
  Walk(tree, tree.GetRootItem(), [&tree](ItemHandle h) {
    EXPECT_TRUE(!tree.GetItemText(h).starts_with("CRC_32") || !tree.GetNextSiblingItem(h)) << "a line after CRC_32";
    const std::string& line = tree.GetItemText(tree.GetPrevSiblingItem(h));
    const NodeRecord* holder = tree.RecordOf(h);
    if (!holder || holder->HasPayload() || line.find("length: 0x") == std::string::npos) return;
    int items = 0;
    for (ItemHandle c = tree.GetChildItem(h); c != kNoItem; c = tree.GetNextSiblingItem(c))
      if (const NodeRecord* r = tree.RecordOf(c)) items += SectionSize(*r);
    EXPECT_EQ(std::stoi(line.substr(line.find("length: 0x") + 10), nullptr, 16), items) << line;
  });
}

#ifdef QUORVELIN_HAVE_DVBPSI
namespace {

using Tokens = std::vector<std::string>;
Tokens& Out(void* data) { return *static_cast<Tokens*>(data); }

void Add(Tokens& out, const std::string& loop, const dvbpsi_descriptor_t* d) {
  for (; d; d = d->p_next) out.push_back(loop + Format("%02x:", d->i_tag) + Hex(d->p_data, d->i_length));
}

// The entries of a loop, each with its head and then its descriptors named by its place.
template <class Entry, class Head>
void Entries(Tokens& out, const char* loop, const Entry* e, Head head) {
  for (int n = 0; e; e = e->p_next, ++n) {
    out.push_back(head(e));
    Add(out, Format("%s%d.", loop, n), e->p_first_descriptor);
  }
}
// A NIT or BAT, whose table_id_extension is the network_id or the bouquet_id.
template <class T, void (*Delete)(T*)>
void OnLoopTable(void* data, T* t) {
  Out(data).push_back(Format("id=%x v=%d c=%d", t->i_extension, t->i_version, t->b_current_next));
  Add(Out(data), "n.", t->p_first_descriptor);
  Entries(Out(data), "t", t->p_first_ts, [](auto* s) { return Format("ts=%x/%x", s->i_ts_id, s->i_orig_network_id); });
  Delete(t);
}

void OnPat(void* data, dvbpsi_pat_t* pat) {
  Out(data).push_back(Format("ts=%x v=%d", pat->i_ts_id, pat->i_version));
  for (auto* p = pat->p_first_program; p; p = p->p_next) Out(data).push_back(Format("%x/%x", p->i_number, p->i_pid));
  dvbpsi_pat_delete(pat);
}
void OnPmt(void* data, dvbpsi_pmt_t* pmt) {
  Out(data).push_back(Format("program=%x v=%d pcr=%x", pmt->i_program_number, pmt->i_version, pmt->i_pcr_pid));
  Add(Out(data), "i.", pmt->p_first_descriptor);
  Entries(Out(data), "e", pmt->p_first_es, [](const auto* es) { return Format("es=%x/%x", es->i_type, es->i_pid); });
  dvbpsi_pmt_delete(pmt);
}
void OnCat(void* data, dvbpsi_cat_t* cat) {
  Add(Out(data), "", cat->p_first_descriptor);
  dvbpsi_cat_delete(cat);
}
void OnSdt(void* data, dvbpsi_sdt_t* sdt) {
  Out(data).push_back(Format("ts=%x on=%x v=%d", sdt->i_extension, sdt->i_network_id, sdt->i_version));
  Entries(Out(data), "s", sdt->p_first_service, [](const auto* s) {
    return Format("s%x=%d%d%d%d", s->i_service_id, s->b_eit_schedule, s->b_eit_present, s->i_running_status,
                  s->b_free_ca);
  });
  dvbpsi_sdt_delete(sdt);
}

// One libdvbpsi handle decoding `table` from whole packets into `out`, its errors among them.
class Decoder {
 public:
  Decoder(Tokens& out, Table table, uint16_t program) : out_(out), h_(dvbpsi_new(&OnMessage, DVBPSI_MSG_ERROR)) {
    h_->p_sys = this;
    if (table == Table::Pat) dvbpsi_pat_attach(h_, OnPat, &out), detach_ = dvbpsi_pat_detach;
    if (table == Table::Pmt) dvbpsi_pmt_attach(h_, program, OnPmt, &out), detach_ = dvbpsi_pmt_detach;
    if (table == Table::Cat) dvbpsi_cat_attach(h_, OnCat, &out), detach_ = dvbpsi_cat_detach;
    if (!detach_) dvbpsi_AttachDemux(h_, OnSubtable, this), detach_ = dvbpsi_DetachDemux;
  }
  ~Decoder() {
    for (auto [table, id] : subtables_)
      (table == 0x42 ? dvbpsi_sdt_detach : table == 0x40 ? dvbpsi_nit_detach : dvbpsi_bat_detach)(h_, table, id);
    detach_(h_);
    dvbpsi_delete(h_);
  }
  void Push(std::vector<uint8_t>& area, size_t from) {
    // The builders count continuity from 0 in each section; on the air the count runs on.
    for (size_t at = from, n = 0; at + kPacketSize <= area.size() && area[at] == 0x47; at += kPacketSize, ++n) {
      area[at + 3] = static_cast<uint8_t>((area[at + 3] & 0xF0) | (n & 0x0F));
      dvbpsi_packet_push(h_, &area[at]);
    }
  }

 private:
  static void OnMessage(dvbpsi_t* h, const dvbpsi_msg_level_t, const char* message) {
    static_cast<Decoder*>(h->p_sys)->out_.push_back(std::string("error ") + message);
  }
  static void OnSubtable(dvbpsi_t* h, uint8_t table, uint16_t id, void* data) {
    auto* self = static_cast<Decoder*>(data);
    constexpr auto onNit = OnLoopTable<dvbpsi_nit_t, dvbpsi_nit_delete>;
    constexpr auto onBat = OnLoopTable<dvbpsi_bat_t, dvbpsi_bat_delete>;
    if (table == 0x42 ? dvbpsi_sdt_attach(h, table, id, OnSdt, &self->out_)
        : table == 0x40 ? dvbpsi_nit_attach(h, table, id, onNit, &self->out_)
        : table == 0x4A && dvbpsi_bat_attach(h, table, id, onBat, &self->out_))
      self->subtables_.push_back({table, id});
  }
  Tokens& out_;
  dvbpsi_t* h_;
  void (*detach_)(dvbpsi_t*) = nullptr;
  std::vector<std::pair<uint8_t, uint16_t>> subtables_;
};

Tokens DecodedPackets(std::vector<uint8_t> area, Table table) {
  Tokens out;
  const size_t step = table == Table::Pmt ? kPmtSlotSize : area.size();  // a PMT slot per program
  for (size_t at = 0; at < area.size() && area[at] == 0x47; at += step) {
    if (table == Table::Pmt) out.push_back(Format("pid=%x", (area[at + 1] & 0x1F) << 8 | area[at + 2]));
    Decoder(out, table, static_cast<uint16_t>(area[at + 8] << 8 | area[at + 9])).Push(area, at);
  }
  return out;
}

}  // namespace

std::vector<std::string> Decoded(TableTreeCtrl& tree, Table table, int port) {
  std::string error;
  Tokens out = DecodedPackets(Built(tree, table, port, error), table);
  if (!error.empty()) out.insert(out.begin(), error);
  return out;
}

#else
std::vector<std::string> Decoded(TableTreeCtrl&, Table, int) { return {"no libdvbpsi to decode with"}; }
#endif

namespace {

// Every control a form has touched is one of its template's controls or labels; so are the
// pages of its tab sheet.
void ExpectInTemplate(Form& form) {
  const DialogTemplate* tpl = form.Template();
  ASSERT_NE(tpl, nullptr) << form.TemplateId();
  std::set<int> known{0};
  for (const ControlTemplate& c : tpl->controls) known.insert({c.id, c.labelId});
  for (const auto& [id, value] : form.Values()) EXPECT_TRUE(known.count(id)) << "template " << tpl->id << " id " << id;
  EXPECT_TRUE(known.count(form.focusId)) << "template " << tpl->id << " focus " << form.focusId;
  if (CTabSheet* sheet = form.TabSheetOf(mpeg_ids::kTabControl))
    for (int i = 0; i < sheet->PageCount(); ++i) {
      EXPECT_EQ(static_cast<int>(sheet->TemplateIdOf(i)), sheet->Page(i)->TemplateId());
      ExpectInTemplate(*sheet->Page(i));
    }
}

// The pieces between "..." stand in `actual` in order, the first at its start, the last at its end.
bool Matches(const std::string& actual, std::string expected) {
  size_t at = 0, gap;
  bool first = true;
  for (; (gap = expected.find("...")) != std::string::npos; first = false, expected.erase(0, gap + 3)) {
    at = actual.find(expected.substr(0, gap), at);
    if (at == std::string::npos || (first && at != 0)) return false;
    at += gap;
  }
  return first ? actual == expected : actual.size() >= at + expected.size() && actual.ends_with(expected);
}

}  // namespace

void ExpectRefused(const Refusal& r) {
  MpegTree t(true);
  if (r.setup) r.setup(t);
  t.Select(r.where);
  t.ui.messages.clear();
  const std::string before = t.Snapshot();
  std::unique_ptr<Form> dialog = r.make(t);
  EXPECT_FALSE(RunOk(*dialog, r.page, r.fields));
  ASSERT_EQ(t.ui.messages.size(), r.message.empty() ? 0u : 1u) << t.ui.LastText();
  if (!r.message.empty()) {
    const bool appBox = r.message == "The data is error!" || r.message.ends_with("can't be NULL");
    EXPECT_EQ(t.ui.messages[0].text + " / " + t.ui.messages[0].caption,
              r.message + " / " + (appBox ? kApplicationTitle : kSystemInfo));
  }
  Form& fields = Target(*dialog, r.page);
  EXPECT_TRUE(!r.focus || fields.focusId == r.focus) << fields.focusId;
  const auto typed =
      std::find_if(r.fields.rbegin(), r.fields.rend(), [&r](const auto& f) { return f.first == r.focus; });
  if (typed != r.fields.rend() && std::string("#@![").find(typed->second.substr(0, 1)) == std::string::npos) {
    EXPECT_EQ(fields.Text(r.focus), typed->second);  // the typed text stays
  }
  EXPECT_EQ(t.Snapshot(), before);
  ExpectInTemplate(*dialog);
  if (!r.largest) return;
  fields.SetText(r.focus, r.largest);
  EXPECT_TRUE(dialog->OnOK()) << r.largest << ": " << t.ui.LastText();
}

void ExpectBlanks(Where w, const Factory& make, int page, const Fields& fields,
                  const std::vector<std::string>& names, const std::string& suffix) {
  for (size_t n = 0; n < names.size(); ++n) {
    Fields typed = fields;
    for (size_t i = n; i < typed.size(); ++i) typed[i].second = " ";
    if (!names[n].empty()) ExpectRefused({w, make, page, typed, names[n] + suffix, typed[n].first});
  }
}

void ExpectEdit(const Edit& e) {
  MpegTree t(true, 1, e.textCode);
  if (e.setup) e.setup(t);
  t.Select(e.where);
  const std::vector<std::string> lines = Lines(t.tree);
  const std::vector<std::string> bytes = Decoded(t.tree, e.table, e.where.port);
  std::unique_ptr<Form> dialog = e.make(t);
  EXPECT_TRUE(RunOk(*dialog, e.page, e.fields)) << t.ui.LastText();
  EXPECT_TRUE(t.ui.messages.empty()) << t.ui.LastText();
  const std::string changed = Changes(bytes, Decoded(t.tree, e.table, e.where.port));
  const std::string shown = Changes(lines, Lines(t.tree));
  EXPECT_PRED2(Matches, changed, e.bytes);
  EXPECT_PRED2(Matches, shown, e.lines == "*" ? shown : e.lines);
  ExpectBranchesWellFormed(t.tree);
  ExpectInTemplate(*dialog);
  // Submit's read-back of the built sections spells every line as the dialog left it, so the
  // open items and the selection stay where they were
  const int port = e.where.port;
  const std::vector<std::string> edited = TableLines(t.tree, e.table, port);
  const ItemHandle selected = t.tree.GetSelectedItem();
  const bool inTable = t.tree.TopLevelItem(selected) == t.tree.PortNode(port) && !IsEmptyHolder(t.tree, selected);
  const ItemPath selectedPath = PathOf(t.tree, selected);
  const TreePlace place = TreePlace::Take(t.tree);
  ReadBack(t.tree, e.table, port);
  place.Restore(t.tree);
  EXPECT_EQ(Changes(edited, TableLines(t.tree, e.table, port)), "");
  if (inTable) {
    EXPECT_EQ(PathOf(t.tree, t.tree.GetSelectedItem()), selectedPath);
  }
}

}  // namespace quorvelin::test
