#include <gtest/gtest.h>

#include "tree/TableTreeCtrl.h"
#include "util/Settings.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

// Counts live records so that a test can see every one released.
int g_liveRecords = 0;
struct CountedData : ItemData {
  CountedData() { ++g_liveRecords; }
  ~CountedData() override { --g_liveRecords; }
};

ItemHandle AddPatSection(TableTreeCtrl& t, const std::vector<std::pair<int, int>>& programs) {
  const ItemHandle sec = t.InsertRecordItem("Section 0:", kImageSection, t.Root(1, Table::Pat),
                                            MakeRecord(NodeKind::PatSection, PatSectionHeader{}));
  const ItemHandle list = t.InsertRecordItem("programs:", kImageLine, sec, MakeHolder(NodeKind::PatProgramList));
  for (auto [number, pid] : programs) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(number);
    p.pid.set(static_cast<uint32_t>(pid));
    t.InsertRecordItem("program", kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  return sec;
}

TEST(TableTree, RootsByPortModeAndTheTextCodeBesideTheExecutable) {
  SetTextCode(7);
  TableTreeCtrl two;  // reads the text code again
  EXPECT_EQ(TextCode(), ReadTextCodeSetting());
  EXPECT_NE(TextCode(), 7);
  two.BuildRoots();
  EXPECT_EQ(DumpTree(two), "PortA\n  PAT\n  PMT\n  SDT\n  CAT\n  NIT\n  TDT\n  TOT\n  BAT\n"
                           "PortB\n  PAT\n  PMT\n  SDT\n  CAT\n  NIT\n  TDT\n  TOT\n  BAT\n");
  EXPECT_EQ(std::pair(two.GetItemImage(two.Root(1, Table::Nit)), two.GetItemImage(two.PortNode(1))),
            (std::pair<int, int>(kImageRoot, kImagePort)));
  TableTreeCtrl single, none;
  single.LayOutPorts(2, -1), none.LayOutPorts(0, -1);
  single.BuildRoots(), none.BuildRoots();
  EXPECT_EQ(DumpTree(single, single.PortNode(1)).substr(0, 12), "Port1\n  PAT\n");
  EXPECT_EQ(std::tuple(single.Root(2, Table::Pat), single.NetworkPid(2), none.ItemCount()), std::tuple(kNoItem, 0, 0u));
}

TEST(TableTree, SearchesStopAtTheNextSectionHead) {
  TableTreeCtrl t;
  t.BuildRoots();
  const ItemHandle nit = t.Root(1, Table::Nit);
  const NodeKind streams = NodeKind::NitTransportStreamList;
  const ItemHandle s0 = t.InsertRecordItem("Section 0:", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  const ItemHandle s1 = t.InsertRecordItem("Section 1:", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  const ItemHandle list = t.InsertRecordItem("streams", 2, s1, MakeHolder(streams));
  t.InsertRecordItem("ts", 2, list, MakeHolder(NodeKind::NitTransportStream));
  EXPECT_EQ(std::tuple(t.FindChildOfKind(s0, streams), t.FindChildOfKind(nit, NodeKind::NitSection),
                       t.FindChildOfKind(s1, streams)), std::tuple(kNoItem, s0, list));
  const ItemHandle first = AddPatSection(t, {{1, 0x100}});
  AddPatSection(t, {{2, 0x200}});
  EXPECT_EQ(t.GetParentItem(t.FindChildOfKind(t.Root(1, Table::Pat), NodeKind::PatProgramList)), first);
}

TEST(TableTree, PatQueriesSharedPidsAndTheNetworkEntry) {
  TableTreeCtrl t;
  t.BuildRoots();
  AddPatSection(t, {{0, 0x10}, {1, 0x100}, {2, 0x200}, {3, 0x200}});
  const struct {
    int k, port, pid;
    bool shared;
  } rows[] = {{1, 1, 0x100, false}, {2, 1, 0x200, true}, {3, 1, 0x200, true}, {4, 1, -1, false}, {1, 2, -1, false}};
  for (const auto& r : rows) EXPECT_EQ(std::pair(t.PmtPidOf(r.k, r.port).pid, t.PmtPidOf(r.k, r.port).shared),
                                       std::pair(r.pid, r.shared)) << r.k;
  EXPECT_EQ(std::pair(t.PidOfProgram(3, 1), t.PidOfProgram(7, 1)), std::pair(0x200, -1));
  EXPECT_EQ(std::pair(t.NetworkPid(1), t.NetworkPid(2)), std::pair(0x10, -1));  // port 2: a PAT root without the entry
}

TEST(Records, NarrowFieldsKeepTheBitsAboveThemAndSizesCountHeaders) {
  Word12 w{0xF00A};
  w.add(-0x00B);  // (10 - 11) mod 4096, top bits kept
  Word13 pid{0xE000};
  pid.set(0xFFFF);
  EXPECT_EQ(w.word * 0x10000u + pid.word, 0xFFFFFFFFu);
  TransportStreamEntry ts;
  ts.transport_descriptors_length.set(13);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::NitTransportStream, ts)), 19);
}

TEST(TableTree, ReleasesEveryRecordFromTheFirstPortNodeAndKeepsTheItems) {
  g_liveRecords = 0;
  {
    TableTreeCtrl t;
    t.BuildRoots();
    for (int port = 1; port <= 2; ++port) {
      const ItemHandle a = t.InsertItem("a", 2, t.Root(port, Table::Sdt));
      t.SetItemData(a, std::make_unique<CountedData>());
      t.SetItemData(t.InsertItem("b", 2, a), std::make_unique<CountedData>());
    }
    t.ReleaseItemRecords(t.GetChildItem(t.Root(2, Table::Sdt)));
    EXPECT_EQ(g_liveRecords, 2);
    t.ReleaseRecords(t.PortNode(1));
    EXPECT_EQ(g_liveRecords, 0);
    EXPECT_EQ(t.ItemCount(), 22u);
    t.SetItemData(t.Root(1, Table::Pat), std::make_unique<CountedData>());
  }
  EXPECT_EQ(g_liveRecords, 0);
}

TEST(TreeModel, InsertionPlacesRelationsAndStaleHandles) {
  TreeModel m;
  const ItemHandle root = m.InsertItem("root", 1, kNoItem);
  const ItemHandle b = m.InsertItem("b", 2, root);
  const ItemHandle a = m.InsertItem("a", 2, root, kInsertFirst);
  const ItemHandle c = m.InsertItem("c", 2, root, b);
  const ItemHandle d = m.InsertItem("d", 2, root, a);
  EXPECT_EQ(DumpTree(m), "root\n  a\n  d\n  b\n  c\n");
  EXPECT_EQ(std::tuple(m.GetPrevSiblingItem(d), m.GetPrevSiblingItem(a), m.RowOf(c)), std::tuple(a, kNoItem, 3));
  m.SelectItem(d);
  EXPECT_TRUE(m.DeleteItem(d) && m.GetSelectedItem() == kNoItem);
  EXPECT_NE(m.InsertItem("e", 2, root), d);  // a reused slot gets a new handle
  EXPECT_EQ(std::tuple(m.IsValid(d), m.GetItemText(d), m.RowOf(b)), std::tuple(false, "", 1));
  EXPECT_EQ(m.InsertItem("x", 2, root, d), kNoItem);  // stale insertion place
  EXPECT_TRUE(m.Expand(root, ExpandCode::Toggle) && m.IsExpanded(root));
  m.DeleteChildren(root);
  EXPECT_EQ(m.ItemCount(), 1u);
}

}  // namespace
}  // namespace quorvelin
