#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "commands/ScriptedRunner.h"
#include "device/Flows.h"
#include "sections/NitSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/SectionTestSupport.h"
#include "commands/TreeCommands.h"

#ifdef QUORVELIN_HAVE_DVBPSI
#include "dialogs/NitBatOracle.h"
#endif

namespace quorvelin {
namespace {

using testing::SamplePackets;

// Plays a device that holds the sample captures on both ports.
class SampleDevice : public TableExchange {
 public:
  SampleDevice() {
    tables_[{0x0000, false}] = SamplePackets("pat_r4");
    tables_[{0x0001, false}] = SamplePackets("cat_r3");
    tables_[{0x0010, false}] = SamplePackets("nit_tntv23");
    tables_[{0x0011, false}] = SamplePackets("sdt_r3");
    tables_[{0x0011, true}] = SamplePackets("bat_tvnum");
    auto time = SamplePackets("tdt_tnt");
    const auto tot = SamplePackets("tot_tnt");
    time.insert(time.end(), tot.begin(), tot.end());
    tables_[{0x0014, false}] = time;
  }
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t, int, bool bat) override {
    auto it = tables_.find({pid, bat});
    const std::vector<uint8_t>& packets = it != tables_.end() ? it->second : pmt_;  // any other PID: a PMT
    std::memset(buffer, 0, size);
    buffer[4] = static_cast<uint8_t>(packets.size() >> 8);
    buffer[5] = static_cast<uint8_t>(packets.size());
    std::memcpy(buffer + 6, packets.data(), std::min(packets.size(), size - 6));
    UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer, size);
    return true;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, int, uint8_t) override { return true; }

 private:
  std::map<std::pair<uint16_t, bool>, std::vector<uint8_t>> tables_;
  std::vector<uint8_t> pmt_ = SamplePackets("pmt_planete");
};

// Kind codes of every record below `item` in tree order, loop holders left out (an emptied
// holder stays in the tree but is not written).
std::vector<NodeKind> CountKinds(const TableTreeCtrl& t, ItemHandle item) {
  std::vector<NodeKind> kinds;
  for (ItemHandle c = t.GetChildItem(item); c != kNoItem; c = t.GetNextSiblingItem(c)) {
    const NodeRecord* r = t.RecordOf(c);
    if (r && r->HasPayload()) kinds.push_back(r->kind);
    const auto below = CountKinds(t, c);
    kinds.insert(kinds.end(), below.begin(), below.end());
  }
  return kinds;
}

class TreeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.portMode = 1;
    Refresh(tree, device);
  }
  ItemHandle Find(int port, Table table, NodeKind kind) { return tree.FindChildOfKind(tree.Root(port, table), kind); }
  void Select(ItemHandle item) {
    ASSERT_NE(item, kNoItem);
    tree.SelectItem(item);
  }
  int LastOpened() const { return runner.opened.empty() ? 0 : runner.opened.back(); }

  testing::ScratchDirectory scratch;  // dump files of the reads
  TableTreeCtrl tree;
  SampleDevice device;
  RecordingUi ui;
  test::ScriptedRunner runner;
  TreeCommands commands{tree, ui, runner, device};
};

TEST_F(TreeCommandsTest, AddOpensTheDialogOfTheSelectedKind) {
  runner.cancel = true;
  using K = NodeKind;
  const struct {
    Table table;
    K kind;
    int templateId;
  } cases[] = {
      {Table::Pat, K::PatProgramList, 4004}, {Table::Pmt, K::PmtSection, 4008},
      {Table::Pmt, K::PmtComponentList, 4006}, {Table::Pmt, K::PmtComponent, 4045},
      {Table::Sdt, K::SdtServiceList, 4010}, {Table::Sdt, K::SdtService, 4011},
      {Table::Cat, K::CatSection, 4014}, {Table::Nit, K::NitSection, 4016},
      {Table::Nit, K::NitNetworkDescriptorList, 4018}, {Table::Nit, K::NitTransportStreamList, 4020},
      {Table::Nit, K::NitTransportStream, 4023}, {Table::Bat, K::BatSection, 4041},
      {Table::Bat, K::BatBouquetDescriptorList, 4042}, {Table::Bat, K::BatTransportStreamList, 4020},
      {Table::Bat, K::BatTransportStream, 4039},
  };
  for (const auto& c : cases) {
    Select(Find(1, c.table, c.kind));
    ASSERT_TRUE(commands.OnCommand(kCmdAddData));
    EXPECT_EQ(LastOpened(), c.templateId) << KindName(c.kind);
  }
  const struct {
    Table table;
    int templateId;
  } roots[] = {{Table::Pmt, 4009}, {Table::Bat, 4040}, {Table::Tdt, 4034}, {Table::Tot, 4035}, {Table::Nit, 4015}};
  for (const auto& r : roots) {
    Select(tree.Root(1, r.table));
    commands.AddNode();
    EXPECT_EQ(LastOpened(), r.templateId);
  }
  EXPECT_FALSE(commands.OnCommand(4711));
}

TEST_F(TreeCommandsTest, SecondTableIsRefused) {
  const std::string before = DumpTree(tree);
  for (Table t : {Table::Pat, Table::Sdt, Table::Cat}) {
    Select(tree.Root(1, t));
    commands.AddNode();
  }
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "PAT is exist!");
  EXPECT_EQ(ui.messages[1].text, "SDT is exist!");
  EXPECT_EQ(ui.messages[2].text, "CAT is exist!");
  EXPECT_EQ(ui.messages[2].caption, "SystemInfo");
  EXPECT_EQ(ui.messages[2].icon, MsgIcon::Information);
  EXPECT_TRUE(runner.opened.empty());
  EXPECT_EQ(DumpTree(tree), before);
}

TEST_F(TreeCommandsTest, CreatedTablesStartEmpty) {
  TableTreeCtrl fresh;
  fresh.portMode = 2;
  fresh.BuildRoots();
  TreeCommands c(fresh, ui, runner, device);
  runner.fills[4024] = [](Form& f) { f.SetText(4010, " 0x20 "); };
  runner.fills[4025] = [](Form& f) {
    f.SetText(4010, "16");
    f.SetText(4011, "0x1");
  };
  runner.fills[4015] = [](Form& f) {
    f.SetText(4019, "2");
    f.SetText(4018, "0x3001");
  };
  EXPECT_TRUE(c.CreatePat(fresh.Root(1, Table::Pat)));
  EXPECT_TRUE(c.CreateSdt(fresh.Root(1, Table::Sdt)));
  EXPECT_TRUE(c.CreateCat(fresh.Root(1, Table::Cat)));
  EXPECT_TRUE(c.CreateNitSection(fresh.Root(1, Table::Nit)));
  EXPECT_EQ(DumpTree(fresh, fresh.Root(1, Table::Pat)),
            "PAT\n  SECTION0:\n    table_id: 0x0\n    section_syntax_indicator: 0x1\n    section_length: 0x0\n"
            "    transport_stream_id: 0x20\n    version_number: 0x1\n    current_next_indicator: 0x1\n"
            "    section_number: 0x0\n    last_section_number: 0x0\n    programs:0\n    crc_32: 0x0\n");
  EXPECT_EQ(DumpTree(fresh, fresh.Root(1, Table::Sdt)),
            "SDT\n  SECTION0:\n    table_id: 0x42\n    section_syntax_indicator: 0x1\n    section_length: 0x0\n"
            "    transport_stream_id: 0x10\n    version_number: 0x1\n    current_next_indicator: 0x1\n"
            "    section_number: 0x0\n    last_section_number: 0x0\n    original_network_id: 0x1\n    services\n"
            "    crc_32: 0x0\n");
  EXPECT_EQ(DumpTree(fresh, fresh.Root(1, Table::Cat)),
            "CAT\n  SECTION:0\n    table_id: 0x1\n    section_syntax_indicator: 0x1\n    section_length: 0x0\n"
            "    version_number: 0x0\n    current_next_indicator: 0x1\n    section_number: 0x0\n"
            "    last_section_number: 0x0\n    crc_32: 0x0\n");
  const ItemHandle nit = fresh.GetChildItem(fresh.Root(1, Table::Nit));
  EXPECT_EQ(fresh.GetItemText(nit), "SECTION:2");
  EXPECT_EQ(fresh.GetSelectedItem(), nit);
  EXPECT_EQ(fresh.RecordOf(nit)->As<LoopSectionHeader>()->id, 0x3001);
  EXPECT_EQ(fresh.GetItemImage(fresh.GetChildItem(fresh.Root(1, Table::Pat))), kImageSection);
  EXPECT_TRUE(fresh.IsExpanded(fresh.Root(1, Table::Cat)));

  // What was created builds into sections a receiver accepts.
  std::vector<uint8_t> area(204800, 0xFF);
  ASSERT_TRUE(BuildNit(fresh, 1, area.data(), area.size()).ok);
  EXPECT_EQ(Crc32Mpeg(area.data() + 5, 16), 0u);  // a 16-byte section with both loops empty
  EXPECT_EQ(area[5 + 2], 13);

  runner.cancel = true;
  EXPECT_FALSE(c.CreateNitSection(fresh.Root(1, Table::Nit)));
  EXPECT_EQ(fresh.ChildCount(fresh.Root(1, Table::Nit)), 1);
}

TEST_F(TreeCommandsTest, DoubleClickResultStopsExpansionOnlyForMarkedDialogs) {
  runner.cancel = true;
  using K = NodeKind;
  const struct {
    Table table;
    K kind;
    bool result;
    int templateId;
  } cases[] = {
      {Table::Pat, K::PatSection, false, 4026}, {Table::Pat, K::PatProgram, true, 4004},
      {Table::Pmt, K::PmtSection, false, 4027}, {Table::Pmt, K::PmtComponent, true, 4006},
      {Table::Sdt, K::SdtSection, false, 4028}, {Table::Sdt, K::SdtService, true, 4010},
      {Table::Nit, K::NitTransportStream, true, 4029}, {Table::Nit, K::NitServiceList, true, 4023},
      {Table::Nit, K::NitLogicalChannels, true, 4023}, {Table::Bat, K::BatServiceList, false, 4039},
  };
  for (const auto& c : cases) {
    Select(Find(1, c.table, c.kind));
    runner.opened.clear();
    EXPECT_EQ(commands.OnDoubleClick(), c.result) << KindName(c.kind);
    EXPECT_EQ(LastOpened(), c.templateId) << KindName(c.kind);
  }
  for (ItemHandle quiet : {Find(1, Table::Cat, K::CatSection), tree.Root(1, Table::Pat), tree.PortNode(1)}) {
    Select(quiet);
    runner.opened.clear();
    EXPECT_FALSE(commands.OnDoubleClick());
    EXPECT_TRUE(runner.opened.empty()) << tree.GetItemText(quiet);
  }
  Select(tree.Root(2, Table::Tdt));
  EXPECT_FALSE(commands.OnDoubleClick());
  EXPECT_EQ(LastOpened(), 4034);
}

TEST_F(TreeCommandsTest, TdtDialogStoresTheTimeOfItsPortAndRebuildsTheLines) {
  runner.fills[4034] = [](Form& f) {
    const int values[] = {2021, 7, 14, 9, 30, 5};
    for (int i = 0; i < 6; ++i) f.SetText(4035 + i, std::to_string(values[i]));
  };
  Select(tree.Root(2, Table::Tdt));
  commands.AddNode();
  EXPECT_EQ(FormatDateTime(tree.utcTime[1], "%Y-%m-%d %H:%M:%S"), "2021-07-14 09:30:05");
  EXPECT_EQ(DumpTree(tree, tree.Root(2, Table::Tdt)),
            "TDT\n  table_id: 0x70\n  section_syntax_indicator: 0x0\n  section_length: 0x5\n"
            "  UTC_time: 2021-07-14 09:30:05\n");

  // Cancel still leaves the stored time at "now".
  runner.cancel = true;
  tree.utcTime[1] = MakeDate(2000, 1, 1, 0, 0, 0);
  commands.AddNode();
  EXPECT_GT(tree.utcTime[1].days, MakeDate(2020, 1, 1, 0, 0, 0).days);
}

TEST_F(TreeCommandsTest, MenuStateByPortModeAndRecord) {
  Select(tree.PortNode(1));
  MenuState s = commands.UpdateMenuState();
  EXPECT_TRUE(s[kCmdSubmit]);
  EXPECT_TRUE(s[kCmdRefresh]);
  EXPECT_FALSE(s[kCmdSetChannel]);  // port mode 1
  for (int id : {kCmdAddData, kCmdDeleteData, kCmdModifyData, kCmdModifyNit, kCmdSaveCurrentTable,
                 kCmdLoadCurrentTable})
    EXPECT_FALSE(s[id]) << id;

  Select(Find(1, Table::Nit, NodeKind::NitSection));
  s = commands.UpdateMenuState();
  EXPECT_TRUE(s[kCmdAddData] && s[kCmdDeleteData] && s[kCmdModifyNit]);
  EXPECT_FALSE(s[kCmdModifyData]);
  EXPECT_TRUE(tree.menu.modifyNit);

  Select(tree.Root(1, Table::Bat));
  s = commands.UpdateMenuState();
  EXPECT_TRUE(s[kCmdSaveCurrentTable] && s[kCmdLoadCurrentTable]);

  TableTreeCtrl single;
  single.portMode = 2;
  single.BuildRoots();
  TreeCommands c(single, ui, runner, device);
  single.SelectItem(single.PortNode(1));
  EXPECT_TRUE(c.UpdateMenuState()[kCmdSetChannel]);
}

TEST_F(TreeCommandsTest, SetChannelRefreshesTheRenamedPort) {
  TableTreeCtrl single;
  single.portMode = 3;
  single.channelNumber = 1;
  Refresh(single, device);
  TreeCommands c(single, ui, runner, device);
  runner.fills[4047] = [](Form& f) { f.SetText(4049, "4"); };
  single.SelectItem(single.PortNode(1));
  c.OnCommand(kCmdSetChannel);
  EXPECT_EQ(single.channelNumber, 4);
  EXPECT_EQ(single.GetItemText(single.PortNode(1)), "Port4");
  EXPECT_NE(single.FindChildOfKind(single.Root(1, Table::Pat), NodeKind::PatProgram), kNoItem);
}

#ifdef QUORVELIN_HAVE_DVBPSI
TEST_F(TreeCommandsTest, NitAfterDeletesIsWellFormedForAReceiver) {
  std::vector<uint8_t> area(204800, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()).ok);
  const auto before = test::DecodeLoopTable(std::vector<uint8_t>(area.begin(), area.begin() + CountPackets(area.data(), area.size())));
  ASSERT_EQ(before.tables.size(), 1u);
  const size_t streams = before.tables[0].streams.size();
  ASSERT_GE(streams, 2u);

  ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
  Select(Find(1, Table::Nit, NodeKind::NitTransportStream));
  commands.OnCommand(kCmdDeleteData);
  Select(Find(1, Table::Nit, NodeKind::NitLogicalChannels));
  commands.OnCommand(kCmdDeleteData);
  Select(Find(1, Table::Nit, NodeKind::NitNetworkName));
  commands.OnCommand(kCmdDeleteData);

  std::fill(area.begin(), area.end(), 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()).ok);
  const auto after = test::DecodeLoopTable(std::vector<uint8_t>(area.begin(), area.begin() + CountPackets(area.data(), area.size())));
  EXPECT_TRUE(after.errors.empty());
  ASSERT_EQ(after.tables.size(), 1u);
  EXPECT_EQ(after.tables[0].streams.size(), streams - 1);
  for (const auto& d : after.tables[0].first) EXPECT_NE(d.tag, 0x40);
}
#endif

TEST_F(TreeCommandsTest, SdtAndPmtAfterDeletesCarryConsistentLengths) {
  ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
  Select(Find(1, Table::Sdt, NodeKind::SdtServiceDescriptor));
  commands.DeleteNode();
  Select(Find(1, Table::Pmt, NodeKind::PmtEsDescriptor));
  commands.DeleteNode();

  std::vector<uint8_t> area(204800, 0xFF);
  ASSERT_TRUE(BuildSdt(tree, 1, area.data(), area.size()).ok);
  auto sdt = testing::SectionBytesOf(std::vector<uint8_t>(area.begin(), area.begin() + 1024));
  EXPECT_EQ(Crc32Mpeg(sdt.data(), sdt.size()), 0u);
  TableTreeCtrl check;
  check.BuildRoots();
  ASSERT_TRUE(ParseSdtSection(check, sdt.data(), sdt.size(), 1, 0));
  // Every service's loop length covers exactly its descriptors: a parse finds the same ones.
  EXPECT_EQ(CountKinds(check, check.Root(1, Table::Sdt)), CountKinds(tree, tree.Root(1, Table::Sdt)));

  std::vector<uint8_t> pmts(65536, 0xFF);
  ASSERT_TRUE(BuildPmts(tree, 1, pmts.data(), pmts.size()).ok);
  auto pmt = testing::SectionBytesOf(std::vector<uint8_t>(pmts.begin(), pmts.begin() + 1024));
  EXPECT_EQ(Crc32Mpeg(pmt.data(), pmt.size()), 0u);
}

}  // namespace
}  // namespace quorvelin
