// The context-menu commands on a tree read from a device that holds the real captures on both
// ports, except that port 2 holds hand-made NIT, SDT and PMT sections with what the captures lack.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "commands/TreeCommands.h"
#include "device/Flows.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/SectionTestSupport.h"
#include "util/Number.h"

#ifdef QUORVELIN_HAVE_DVBPSI
extern "C" {  // libdvbpsi's headers need this order
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/nit.h>
}
#endif

namespace quorvelin::test {

using Bytes = std::vector<uint8_t>;
using K = NodeKind;
using T = Table;

// A record kind in failure messages: its code (tree/NodeKind.h).
std::string KindName(K k) { return Format("0x%04X", KindCode(k)); }

// A section written as hex digits (table_id on, blanks between groups), with its section_length
// and CRC_32, as packets on `pid`.
Bytes SectionPackets(const std::string& hex, uint16_t pid) {
  return testing::Packetized(testing::WithCrc(testing::Hex(hex)), pid);
}

class SampleDevice : public TableExchange {
 public:
  SampleDevice() {
    const std::tuple<uint16_t, bool, const char*> captures[] = {
        {0x0000, false, "pat_r4"}, {0x0001, false, "cat_r3"}, {0x0010, false, "nit_tntv23"}, {0x0011, false, "sdt_r3"},
        {0x0011, true, "bat_tvnum"}, {0x0014, false, "tdt_tnt"}, {kPmt, false, "pmt_planete"}};
    for (int port : {1, 2}) {
      for (auto [pid, bat, name] : captures) tables_[{port, pid, bat}] = testing::SamplePackets(name);
      Append({port, 0x0014, false}, testing::SamplePackets("tot_tnt"));
    }
    // NIT section 0: a service list and a private descriptor in the network loop, a stream with
    // cable and satellite delivery and a network name; section 1: a stream with a private descriptor.
    tables_[{2, 0x0010, false}] = SectionPackets(
        "40f000 1001 c7 00 01 f00b 4103000101 5f0400000028 f024 0009 0001 f01e 440b0123456789abcdef13579b "
        "430b0123456789abcdef13579b 40025456", 0x10);
    Append({2, 0x0010, false}, SectionPackets("40f000 1001 c7 01 01 f000 f00c 000a 0001 f006 5f0400000028", 0x10));
    // Service 7 with a service, a linkage and a private descriptor; program 1 with a registration.
    tables_[{2, 0x0011, false}] = SectionPackets(
        "42f000 0003 c1 00 00 20fa ff 0007 fd 8014 480301 0000 4a07 0001 20fa 0007 01 5f04 00000028", 0x11);
    tables_[{2, kPmt, false}] =
        SectionPackets("02b000 0001 c1 00 00 e100 f006 0504 43554549 02 e101 f003 520129", 0x100);
  }
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t, int port, bool bat) override {
    const auto it = tables_.find({port, pid, bat});
    const Bytes packets = it != tables_.end() ? it->second : PmtOf(port, pid);
    std::memset(buffer, 0, size);
    buffer[4] = static_cast<uint8_t>(packets.size() >> 8), buffer[5] = static_cast<uint8_t>(packets.size());
    std::memcpy(buffer + 6, packets.data(), std::min(packets.size(), size - 6));
    UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer, size);
    return true;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return true; }

 private:
  static constexpr uint16_t kPmt = 0xFFFF;  // the PMT answered on every other PID
  using Key = std::tuple<int, uint16_t, bool>;
  // The port's PMT as the program that the PAT puts on `pid`.
  Bytes PmtOf(int port, uint16_t pid) {
    const Bytes pat = testing::SectionBytesOf(tables_[{port, 0, false}]);
    Bytes pmt = testing::SectionBytesOf(tables_[{port, kPmt, false}]);
    for (size_t at = 8; at + 4 <= pat.size() - 4; at += 4)
      if ((pat[at + 2] << 8 | pat[at + 3]) % 0x2000 == pid) pmt[3] = pat[at], pmt[4] = pat[at + 1];
    pmt.resize(pmt.size() - 4);
    return testing::Packetized(testing::WithCrc(pmt), pid);
  }
  void Append(const Key& k, const Bytes& p) { tables_[k].insert(tables_[k].end(), p.begin(), p.end()); }
  std::map<Key, Bytes> tables_;
};

// Records every dialog it runs (by template id), fills the fields, then presses Ok (or Cancel).
class ScriptedRunner : public DialogRunner {
 public:
  bool RunModal(Form& form) override {
    opened.push_back(form.TemplateId());
    form.OnInitDialog();
    if (auto it = fills.find(form.TemplateId()); !cancel && it != fills.end()) it->second(form);
    if (!cancel && form.OnOK()) return true;
    form.OnCancel();
    return false;
  }
  std::vector<int> opened;
  std::map<int, std::function<void(Form&)>> fills;
  bool cancel = false;
};

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { Refresh(tree, device); }
  // Every item below `item`, pre-order.
  std::vector<ItemHandle> Items(ItemHandle item) const {
    std::vector<ItemHandle> out;
    for (ItemHandle c = tree.GetChildItem(item); c != kNoItem; c = tree.GetNextSiblingItem(c)) {
      out.push_back(c);
      for (ItemHandle below : Items(c)) out.push_back(below);
    }
    return out;
  }
  // The sections the builders make of the port's table now, from the packets they leave in `area`.
  std::vector<Bytes> Built(int port, T table, Bytes& area) {
    area.assign(65536, 0xFF);
    const auto build = table == T::Nit ? BuildNit : table == T::Bat ? BuildBat : table == T::Sdt ? BuildSdt
                     : table == T::Pat ? BuildPat : table == T::Cat ? BuildCat : BuildPmts;
    build(tree, port, area.data(), area.size());
    std::vector<Bytes> sections;
    for (size_t at = 0; at + kPacketSize <= area.size(); at += table == T::Pmt ? 1024 : kPacketSize)
      if (area[at] == 0x47 && (area[at + 1] & 0x40))
        sections.push_back(testing::SectionBytesOf(Bytes(area.begin() + at, area.end())));
    return sections;
  }

  testing::ScratchDirectory scratch;  // dump files of the reads
  TableTreeCtrl tree;
  SampleDevice device;
  RecordingUi ui;
  ScriptedRunner runner;
  TreeCommands commands{tree, ui, runner, device};
};

// Every record of both ports: Add, Modify and Delete are enabled exactly where the command opens
// a dialog or asks a question, Add and Modify open the dialog of the kind, a double-click stops
// the expansion where the dialog says so; cancelled dialogs and answers No change nothing.
TEST_F(CommandsTest, MenuEnablesWhatTheCommandsDoAndTheyOpenTheDialogOfTheKind) {
  const std::map<K, std::pair<int, int>> dialogs = {  // template ids of Add and Modify
      {K::PatProgramList, {4004, 0}}, {K::PatSection, {0, 4026}}, {K::PatProgram, {0, 4004}},
      {K::PmtRoot, {4009, 0}}, {K::PmtSection, {4008, 4027}}, {K::PmtProgramInfoList, {4045, 0}},
      {K::PmtComponentList, {4006, 0}}, {K::PmtComponent, {4045, 4006}}, {K::SdtServiceList, {4010, 0}},
      {K::SdtSection, {0, 4028}}, {K::SdtService, {4011, 4010}}, {K::CatSection, {4014, 0}}, {K::NitRoot, {4015, 0}},
      {K::NitSection, {4016, 0}}, {K::NitNetworkDescriptorList, {4018, 0}}, {K::NitTransportStreamList, {4020, 0}},
      {K::NitTransportStream, {4023, 4029}}, {K::NitServiceList, {0, 4023}}, {K::NitLogicalChannels, {0, 4023}},
      {K::BatRoot, {4040, 0}}, {K::BatSection, {4041, 0}}, {K::BatBouquetDescriptorList, {4042, 0}},
      {K::BatTransportStreamList, {4020, 0}}, {K::BatTransportStream, {4039, 0}}, {K::BatServiceList, {0, 4039}},
      {K::BatDescriptor, {0, 4039}}, {K::BatBouquetName, {0, 4042}}, {K::SdtServiceDescriptor, {0, 4011}},
      {K::NitNetworkName, {0, 4018}}, {K::NitTransportNetworkName, {0, 4023}}, {K::NitCableDelivery, {0, 4023}},
      {K::NitSatelliteDelivery, {0, 4023}}, {K::NitTerrestrialDelivery, {0, 4023}}};
  const std::set<K> stopsExpand = {K::PatProgram,           K::PmtComponent,         K::SdtService,
                                   K::NitTransportStream,   K::NitServiceList,       K::NitLogicalChannels,
                                   K::SdtServiceDescriptor, K::NitNetworkName,       K::NitTransportNetworkName,
                                   K::NitCableDelivery,     K::NitSatelliteDelivery, K::NitTerrestrialDelivery};
  // Greyed, although Delete would take them with their lengths.
  const std::set<K> greyedDelete = {K::PatSection, K::PmtEsDescriptorList, K::NitTransportDescriptorList};
  const auto run = [&](auto command) {  // the template opened; -1: a question or a refusal
    const size_t asked = ui.messages.size();
    ui.answers = {MsgAnswer::No};
    command();
    const int opened = runner.opened.empty() ? -int{ui.messages.size() > asked} : runner.opened.back();
    return runner.opened.clear(), opened;
  };
  runner.cancel = true;
  const std::string before = DumpTree(tree);
  for (ItemHandle item : Items(kNoItem)) {
    const K kind = tree.KindOf(item);
    if (!tree.RecordOf(item) || kind == K::TdtRoot || kind == K::TotRoot || !tree.SelectItem(item)) continue;
    SCOPED_TRACE(KindName(kind));
    const MenuState menu = commands.UpdateMenuState();
    const auto [add, modify] = dialogs.contains(kind) ? dialogs.at(kind) : std::pair{0, 0};
    const int added = run([&] { EXPECT_TRUE(commands.OnCommand(kCmdAddData)); });
    const int modified = run([&] { EXPECT_EQ(commands.OnDoubleClick(), stopsExpand.contains(kind)); });
    const bool asked = run([&] { commands.OnCommand(kCmdDeleteData); }) != 0;
    EXPECT_EQ(std::tuple(menu.at(kCmdAddData), std::max(added, 0), menu.at(kCmdModifyData), modified),
              std::tuple(added != 0, add, modify != 0, modify));  // added -1: "... is exist!" on a root
    EXPECT_EQ(menu.at(kCmdDeleteData), asked && !greyedDelete.contains(kind));
    EXPECT_EQ(kind == K::NitSection ? run([&] { commands.OnCommand(kCmdModifyNit); }) : 4030, 4030);
    EXPECT_EQ(std::pair(menu.at(kCmdModifyNit), menu.at(kCmdSaveCurrentTable)),
              std::pair(kind == K::NitSection, kind == K::NitRoot || kind == K::BatRoot || kind == K::CatRoot));
  }
  EXPECT_EQ(DumpTree(tree), before);
  for (ItemHandle root : {tree.Root(2, T::Tdt), tree.Root(2, T::Tot)}) {  // their Delete asks nothing
    EXPECT_TRUE(tree.SelectItem(root) && commands.UpdateMenuState().at(kCmdDeleteData) && tree.ChildCount(root) > 0);
    EXPECT_EQ(run([&] { commands.OnCommand(kCmdDeleteData); }), 0);
    EXPECT_EQ(tree.ChildCount(root), 0);
  }
  runner.cancel = false;  // the TDT dialog stores its time as the time of the root's port
  const int parts[] = {2021, 7, 14, 9, 30, 5};
  runner.fills[4034] = [&](Form& f) { for (int i = 0; i < 6; ++i) f.SetText(4035 + i, std::to_string(parts[i])); };
  tree.SelectItem(tree.Root(2, T::Tdt)), commands.OnCommand(kCmdAddData);
  EXPECT_EQ(FormatDateTime(tree.utcTime[1], "%F %T"), "2021-07-14 09:30:05");
  EXPECT_EQ(tree.GetItemText(tree.ChildAt(tree.Root(2, T::Tdt), 3)), "UTC_time: 2021-07-14 09:30:05");
  tree.SelectItem(tree.PortNode(1));
  for (auto [id, on] : commands.UpdateMenuState())
    EXPECT_EQ(on, id == kCmdSubmit || id == kCmdRefresh || id == kCmdImportCapture || id == kCmdExportStream) << id;
}

// Each modify dialog opens on the selected record, not as an add: Ok without changes keeps the
// kinds of records the port holds and shows no message.
TEST_F(CommandsTest, ModifyAndOkWithoutChangesKeepWhatThePortHolds) {
  const auto holdings = [&](int port) {
    std::multiset<K> out;
    for (ItemHandle h : Items(tree.PortNode(port))) out.insert(tree.KindOf(h));
    return out;
  };
  for (int port : {1, 2}) {
    const auto before = holdings(port);
    for (ItemHandle item : Items(tree.PortNode(port))) {
      const K kind = tree.KindOf(item);  // passed over: items replaced by an earlier Ok, the time dialogs
      if (!tree.IsValid(item) || kind == K::TdtRoot || kind == K::TotRoot || !tree.SelectItem(item) ||
          !commands.UpdateMenuState().at(kCmdModifyData)) continue;
      commands.OnCommand(kCmdModifyData);
      EXPECT_TRUE(ui.messages.empty()) << KindName(kind) << ": " << ui.messages.front().text;
      EXPECT_EQ(holdings(port), before) << KindName(kind);
      ui.messages.clear();
    }
  }
}

TEST_F(CommandsTest, TablesAreCreatedEmptyWhereNoneIsAndNotOnCancel) {
  for (T t : {T::Pat, T::Sdt, T::Cat}) tree.SelectItem(tree.Root(1, t)), commands.OnCommand(kCmdAddData);
  const std::string refusals = ui.messages.at(0).text + ui.messages[1].text + ui.messages.at(2).text;
  EXPECT_EQ(refusals + ui.messages[2].caption, "PAT is exist!SDT is exist!CAT is exist!SystemInfo");
  tree.DeleteAllItems(), tree.ForgetPorts(), tree.LayOutPorts(2, -1), tree.BuildRoots();
  const std::string empty = DumpTree(tree);
  runner.cancel = true;
  for (T t : {T::Pat, T::Sdt, T::Nit}) tree.SelectItem(tree.Root(1, t)), commands.OnCommand(kCmdAddData);
  EXPECT_EQ(runner.opened, (std::vector<int>{4024, 4025, 4015}));
  EXPECT_EQ(DumpTree(tree), empty);
  runner.cancel = false;
  runner.fills[4024] = [](Form& f) { f.SetText(4010, " 0x20 "); };
  runner.fills[4025] = [](Form& f) { f.SetText(4010, "16"), f.SetText(4011, "0x1"); };
  runner.fills[4015] = [](Form& f) { f.SetText(4019, "2"), f.SetText(4018, "0x3001"); };
  for (T t : {T::Pat, T::Sdt, T::Cat, T::Nit}) tree.SelectItem(tree.Root(1, t)), commands.AddNode();
  EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), "Section 2:");  // the new NIT section
  EXPECT_TRUE(tree.IsExpanded(tree.Root(1, T::Cat)) && tree.IsExpanded(tree.ChildAt(tree.Root(1, T::Cat), 0)));
  Bytes area;
  std::string heads;  // the new sections up to their CRC_32, the NIT's section numbers left out
  for (T t : {T::Sdt, T::Cat, T::Nit})
    for (const Bytes& s : Built(1, t, area))
      for (size_t i = 0; i + 4 < s.size(); ++i) heads += t == T::Nit && i / 2 == 3 ? "" : Format("%02x", s[i]);
  EXPECT_EQ(heads, "42f00c0010c300000001ff" "01b009ffffc10000" "40f00d3001c1f000f000");
  EXPECT_NE(DumpTree(tree, tree.Root(1, T::Pat)).find("transport_stream_id: 0x20\n    version_number: 0x1\n    "
            "current_next_indicator: 0x1\n    section_number: 0x0\n    last_section_number: 0x0\n    programs:0\n"),
            std::string::npos);  // the PAT takes the SDT's id only when built
}

// Every loop length of a built section covers whole descriptors or entries up to the next field
// exactly.
bool LoopsFill(T table, const Bytes& s) {
  const auto u12 = [&](size_t at) { return at + 1 < s.size() ? (s[at] & 0x0Fu) << 8 | s[at + 1] : 0u; };
  const auto descriptors = [&](size_t at, size_t end) {
    while (at + 2 <= end) at += 2u + s[at + 1];
    return at == end;
  };
  const auto entries = [&](size_t at, size_t end, size_t h) {  // entries of h bytes ending in their loop length
    while (at + h <= end && descriptors(at + h, at + h + u12(at + h - 2))) at += h + u12(at + h - 2);
    return at == end;
  };
  const size_t crc = s.size() - 4, first = table == T::Pmt ? 12 : 10;
  if (s.size() < 16 || table == T::Sdt) return s.size() >= 15 && entries(11, crc, 5);
  const size_t streams = first + u12(first - 2) + (table == T::Pmt ? 0 : 2);
  return descriptors(first, first + u12(first - 2)) &&
         (table == T::Pmt ? entries(streams, crc, 5) : streams + u12(streams - 2) == crc && entries(streams, crc, 6));
}

#ifdef QUORVELIN_HAVE_DVBPSI
// libdvbpsi's reading of the NIT in whole packets: the tables it delivered, -1 after an error.
int DecodedNits(Bytes packets) {
  int tables = 0;
  const auto error = [](dvbpsi_t* d, dvbpsi_msg_level_t, const char*) { *static_cast<int*>(d->p_sys) = -1; };
  dvbpsi_t* h = dvbpsi_new(error, DVBPSI_MSG_ERROR);
  h->p_sys = &tables;
  dvbpsi_AttachDemux(h, [](dvbpsi_t* d, uint8_t table, uint16_t id, void*) {
    const auto count = [](void* n, dvbpsi_nit_t* t) { ++*static_cast<int*>(n), dvbpsi_nit_delete(t); };
    if (table == 0x40) dvbpsi_nit_attach(d, table, id, count, d->p_sys);
  }, nullptr);
  for (size_t at = 0; at + kPacketSize <= packets.size() && packets[at] == 0x47; at += kPacketSize) {
    packets[at + 3] = static_cast<uint8_t>((packets[at + 3] & 0xF0) | (at / kPacketSize & 0x0F));  // one counter run
    dvbpsi_packet_push(h, packets.data() + at);
  }
  dvbpsi_DetachDemux(h), dvbpsi_delete(h);
  return tables;
}
#endif

// The first item of every kind in every kind of holder, on both ports, deleted from a fresh read:
// the line before the loop's holder is spelled as the read spelled it, every length line before a
// holder shows the bytes the holder's items take, the rebuilt sections' loops fill them exactly
// and libdvbpsi reads the NIT without an error.
TEST_F(CommandsTest, DeleteKeepsLoopLengthsAndTheirLinesTrueToTheRebuiltSections) {
  const std::set<K> byHolder = {K::NitNetworkDescriptorList,   K::NitTransportStreamList,     K::BatBouquetDescriptorList,
                                K::BatTransportStreamList,     K::NitTransportDescriptorList, K::BatTransportDescriptorList,
                                K::PmtProgramInfoList,         K::SdtServiceDescriptorList,   K::PmtEsDescriptorList};
  const auto spelling = [](const std::string& line) {  // the line with its numbers left out
    return std::regex_replace(std::regex_replace(line, std::regex("0x[0-9a-f]+"), "0x#"), std::regex("\\([0-9]+\\)"),
                              "(#)");
  };
  const auto shown = [&](ItemHandle h) {
    const std::string& t = tree.GetItemText(h);
    return t.find(": 0x") == std::string::npos ? -1 : std::stoi(t.substr(t.find(": 0x") + 4), nullptr, 16);
  };
  const auto kindOf = [&](ItemHandle h) { return tree.KindOf(h); };
  std::set<std::tuple<int, K, K>> tried;
  for (int port : {1, 2}) {
    for (bool more = true; more;) {
      Refresh(tree, device);
      const auto items = Items(tree.PortNode(port));
      const auto it = std::find_if(items.begin(), items.end(), [&](ItemHandle h) {  // a whole section keeps no length
        const K kind = kindOf(h), parent = kindOf(tree.GetParentItem(h));
        return tree.RecordOf(h) && !IsSectionHead(kind) && tried.insert({port, kind, parent}).second;
      });
      if (!(more = it != items.end()) || !tree.SelectItem(*it)) continue;
      const ItemHandle holder = tree.RecordOf(*it)->HasPayload() ? tree.GetParentItem(*it) : *it;
      const ItemHandle line = tree.GetPrevSiblingItem(holder);
      const std::string read = byHolder.contains(kindOf(holder)) ? tree.GetItemText(line) : "";
      SCOPED_TRACE(::testing::Message() << KindName(kindOf(*it)) << " in " << KindName(kindOf(holder)) << port);
      commands.OnCommand(kCmdDeleteData);
      if (!read.empty() && !tree.IsValid(*it)) {
        EXPECT_EQ(spelling(tree.GetItemText(line)), spelling(read));
      }
      for (ItemHandle h : Items(tree.PortNode(port))) {
        if (byHolder.contains(kindOf(h))) {
          EXPECT_EQ(shown(tree.GetPrevSiblingItem(h)), tree.LoopBytes(h)) << KindName(kindOf(h));
        }
      }
      Bytes area;
      for (T t : {T::Pmt, T::Sdt, T::Bat, T::Nit})
        for (const Bytes& s : Built(port, t, area)) EXPECT_TRUE(LoopsFill(t, s)) << static_cast<int>(t);
#ifdef QUORVELIN_HAVE_DVBPSI
      EXPECT_EQ(DecodedNits(area), 1);
#endif
    }
  }
  EXPECT_EQ(tried.size(), 83u);
  EXPECT_EQ(ui.messages.at(0).text, "Delete this item and everything under it?");
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::YesNo);
}

}  // namespace quorvelin::test
