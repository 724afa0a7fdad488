#include <gtest/gtest.h>

#include "tree/TableTreeCtrl.h"
#include "util/Settings.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

// Counts live records so that a test can see every one released.
int g_liveRecords = 0;
class CountedData : public ItemData {
 public:
  CountedData() { ++g_liveRecords; }
  ~CountedData() override { --g_liveRecords; }
};

ItemHandle AddPatSection(TableTreeCtrl& t, int port, const std::vector<std::pair<int, int>>& programs) {
  const ItemHandle sec = t.InsertRecordItem("SECTION0:", kImageSection, t.Root(port, Table::Pat),
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
  TableTreeCtrl two;
  EXPECT_EQ(TextCode(), ReadTextCodeSetting());  // read again by every tree
  EXPECT_NE(TextCode(), 7);
  two.portMode = 1;
  two.BuildRoots();
  EXPECT_EQ(two.GetItemText(two.PortNode(1)), "PortA");
  EXPECT_EQ(DumpTree(two, two.PortNode(2)), "PortB\n  PAT\n  PMT\n  SDT\n  CAT\n  NIT\n  TDT\n  TOT\n  BAT\n");
  EXPECT_EQ(two.KindOf(two.Root(2, Table::Bat)), NodeKind::BatRoot);
  EXPECT_EQ(two.GetItemImage(two.Root(1, Table::Nit)), kImageRoot);
  EXPECT_EQ(two.GetItemImage(two.PortNode(1)), kImagePort);

  TableTreeCtrl single;
  single.portMode = 2;
  single.channelNumber = -1;
  single.BuildRoots();
  EXPECT_EQ(single.GetItemText(single.PortNode(1)), "Port1");
  EXPECT_EQ(single.channelNumber, 1);
  EXPECT_EQ(single.Root(2, Table::Pat), kNoItem);
  EXPECT_EQ(single.NetworkPid(2), 0);  // no PAT root at all

  TableTreeCtrl none;
  none.portMode = 0;
  none.BuildRoots();
  EXPECT_EQ(none.ItemCount(), 0u);
}

TEST(TableTree, SearchesStopAtTheNextSectionHead) {
  TableTreeCtrl t;
  t.BuildRoots();
  const ItemHandle nit = t.Root(1, Table::Nit);
  const ItemHandle s0 = t.InsertRecordItem("SECTION:0", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  t.InsertLine("network_descriptors_length: 0x0", s0);
  const ItemHandle s1 = t.InsertRecordItem("SECTION:1", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  const ItemHandle list1 = t.InsertRecordItem("transport_streams:", 2, s1, MakeHolder(NodeKind::NitTransportStreamList));
  const ItemHandle stream = t.InsertRecordItem("ts", 2, list1, MakeRecord(NodeKind::NitTransportStream, TransportStreamEntry{}));
  EXPECT_EQ(t.FindChildOfKind(s0, NodeKind::NitTransportStreamList), kNoItem);
  EXPECT_EQ(t.FindChildOfKind(s1, NodeKind::NitTransportStreamList), list1);
  EXPECT_EQ(t.FindChildOfKind(nit, NodeKind::NitSection), s0);
  EXPECT_EQ(t.FindAncestorOfKind(stream, NodeKind::NitSection), s1);
  EXPECT_EQ(t.FindAncestorOfKind(stream, NodeKind::NitTransportStreamList), list1);
  EXPECT_EQ(t.FindAncestorOfKind(stream, NodeKind::BatSection), kNoItem);

  const ItemHandle first = AddPatSection(t, 1, {{1, 0x100}});
  AddPatSection(t, 1, {{2, 0x200}});
  EXPECT_EQ(t.GetParentItem(t.FindChildOfKind(t.Root(1, Table::Pat), NodeKind::PatProgramList)), first);
}

TEST(TableTree, PatQueriesSharedPidsAndTheNetworkEntry) {
  TableTreeCtrl t;
  t.BuildRoots();
  AddPatSection(t, 1, {{0, 0x10}, {1, 0x100}, {2, 0x200}, {3, 0x200}});
  const struct {
    int k, port, pid;
    bool shared;
  } rows[] = {{1, 1, 0x100, false}, {2, 1, 0x200, true}, {3, 1, 0x200, true}, {4, 1, -1, false}, {1, 2, -1, false}};
  for (const auto& r : rows) {
    EXPECT_EQ(t.PmtPidOf(r.k, r.port).pid, r.pid) << r.k;
    EXPECT_EQ(t.PmtPidOf(r.k, r.port).shared, r.shared) << r.k;
  }
  EXPECT_EQ(t.PidOfProgram(3, 1), 0x200);
  EXPECT_EQ(t.PidOfProgram(7, 1), -1);
  EXPECT_EQ(t.NetworkPid(1), 0x10);
  EXPECT_EQ(t.NetworkPid(2), -1);  // a PAT root without the entry
}

TEST(Records, NarrowFieldsKeepTheBitsAboveThemAndSizesCountHeaders) {
  Word12 w;
  w.word = 0xF00A;
  w.add(-0x00B);
  EXPECT_EQ(w.word, 0xFFFF);  // (10 - 11) mod 4096, top bits kept
  w.set(0x1234);
  EXPECT_EQ(w.word, 0xF234);
  Word13 pid;
  pid.word = 0xE000;
  pid.set(0xFFFF);
  EXPECT_EQ(pid.word, 0xFFFF);
  EXPECT_EQ(pid.get(), 0x1FFF);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::CatCaDescriptor, CaDescriptor{})), 6);
  TransportStreamEntry ts;
  ts.transport_descriptors_length.set(13);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::NitTransportStream, ts)), 19);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::NitTransportStreamList)), 0);
  EXPECT_FALSE(IsValidKind(0x0803));
  EXPECT_TRUE(IsSectionHead(NodeKind::PmtProgram));
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
    ASSERT_EQ(g_liveRecords, 4);
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
  EXPECT_EQ(m.GetPrevSiblingItem(d), a);
  EXPECT_EQ(m.GetPrevSiblingItem(a), kNoItem);
  EXPECT_EQ(m.RowOf(c), 3);
  m.SelectItem(d);
  EXPECT_TRUE(m.DeleteItem(d));
  EXPECT_EQ(m.GetSelectedItem(), kNoItem);
  EXPECT_NE(m.InsertItem("e", 2, root), d);  // a reused slot gets a new handle
  EXPECT_FALSE(m.IsValid(d));
  EXPECT_EQ(m.GetItemText(d), "");
  EXPECT_EQ(m.RowOf(b), 1);
  EXPECT_EQ(m.InsertItem("x", 2, root, d), kNoItem);  // stale insertion place
  m.Expand(root, ExpandCode::Toggle);
  EXPECT_TRUE(m.IsExpanded(root));
  m.DeleteChildren(root);
  EXPECT_EQ(m.ItemCount(), 1u);
}

}  // namespace
}  // namespace quorvelin
