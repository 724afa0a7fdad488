#include <gtest/gtest.h>

#include "tree/TableTreeCtrl.h"

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

TEST(BuildRoots, PortModes) {
  TableTreeCtrl two;
  two.portMode = 1;
  two.BuildRoots();
  EXPECT_EQ(two.GetItemText(two.PortNode(1)), "PortA");
  EXPECT_EQ(two.GetItemText(two.PortNode(2)), "PortB");
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
  EXPECT_EQ(single.PortNode(2), kNoItem);
  EXPECT_EQ(single.Root(2, Table::Pat), kNoItem);

  TableTreeCtrl none;
  none.portMode = 0;
  none.BuildRoots();
  EXPECT_EQ(none.ItemCount(), 0u);
}

TEST(FindChildOfKind, StopsAtTheNextSectionHead) {
  TableTreeCtrl t;
  t.BuildRoots();
  const ItemHandle nit = t.Root(1, Table::Nit);
  const ItemHandle s0 = t.InsertRecordItem("SECTION:0", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  t.InsertLine("network_descriptors_length: 0x0", s0);
  const ItemHandle s1 = t.InsertRecordItem("SECTION:1", 2, nit, MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  const ItemHandle list1 = t.InsertRecordItem("transport_streams:", 2, s1, MakeHolder(NodeKind::NitTransportStreamList));

  EXPECT_EQ(t.FindChildOfKind(s0, NodeKind::NitTransportStreamList), kNoItem);
  EXPECT_EQ(t.FindChildOfKind(s1, NodeKind::NitTransportStreamList), list1);
  EXPECT_EQ(t.FindChildOfKind(nit, NodeKind::NitSection), nit == kNoItem ? kNoItem : s0);
  EXPECT_EQ(t.FindAncestorOfKind(list1, NodeKind::NitSection), s1);
  EXPECT_EQ(t.FindAncestorOfKind(list1, NodeKind::BatSection), kNoItem);
}

TEST(FindChildOfKind, FromThePatRootFindsTheFirstSectionsProgramsOnly) {
  TableTreeCtrl t;
  t.BuildRoots();
  const ItemHandle first = AddPatSection(t, 1, {{1, 0x100}});
  AddPatSection(t, 1, {{2, 0x200}});
  const ItemHandle list = t.FindChildOfKind(t.Root(1, Table::Pat), NodeKind::PatProgramList);
  EXPECT_EQ(t.GetParentItem(list), first);
}

TEST(PatQueries, SharedPidsAndTheNetworkEntry) {
  TableTreeCtrl t;
  t.BuildRoots();
  AddPatSection(t, 1, {{0, 0x10}, {1, 0x100}, {2, 0x200}, {3, 0x200}});

  EXPECT_EQ(t.PmtPidOf(1, 1).pid, 0x100);
  EXPECT_FALSE(t.PmtPidOf(1, 1).shared);
  EXPECT_EQ(t.PmtPidOf(2, 1).pid, 0x200);
  EXPECT_TRUE(t.PmtPidOf(2, 1).shared);
  EXPECT_TRUE(t.PmtPidOf(3, 1).shared);
  EXPECT_EQ(t.PmtPidOf(4, 1).pid, -1);
  EXPECT_EQ(t.PmtPidOf(1, 2).pid, -1);

  EXPECT_EQ(t.PidOfProgram(3, 1), 0x200);
  EXPECT_EQ(t.PidOfProgram(7, 1), -1);
  EXPECT_EQ(t.NetworkPid(1), 0x10);
  EXPECT_EQ(t.NetworkPid(2), -1);  // a PAT root without the entry

  TableTreeCtrl single;
  single.portMode = 3;
  single.BuildRoots();
  EXPECT_EQ(single.NetworkPid(2), 0);  // no PAT root at all
}

TEST(Records, TwelveBitFieldsKeepTheirTopBits) {
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

  NodeRecord ca(NodeKind::CatCaDescriptor, CaDescriptor{});
  EXPECT_EQ(SectionSize(ca), 6);
  TransportStreamEntry ts;
  ts.transport_descriptors_length.set(13);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::NitTransportStream, ts)), 19);
  EXPECT_EQ(SectionSize(NodeRecord(NodeKind::NitTransportStreamList)), 0);
  EXPECT_FALSE(NodeRecord(NodeKind::PatRoot).HasPayload());
}

TEST(Records, KindTableHasExactlyTheListedCodes) {
  EXPECT_TRUE(IsValidKind(0x0811));
  EXPECT_FALSE(IsValidKind(0x0803));
  EXPECT_FALSE(IsValidKind(0x0510));
  EXPECT_FALSE(IsValidKind(0x0512));
  EXPECT_TRUE(IsSectionHead(NodeKind::PmtProgram));
  EXPECT_EQ(KindFamily(NodeKind::BatServiceList), 8);
  EXPECT_EQ(KindFamily(NodeKind::NitRoot), 0);
}

TEST(Release, EveryRecordFromTheFirstPortNode) {
  g_liveRecords = 0;
  {
    TableTreeCtrl t;
    t.BuildRoots();
    for (int port = 1; port <= 2; ++port) {
      const ItemHandle a = t.InsertItem("a", 2, t.Root(port, Table::Sdt));
      t.SetItemData(a, std::make_unique<CountedData>());
      const ItemHandle b = t.InsertItem("b", 2, a);
      t.SetItemData(b, std::make_unique<CountedData>());
    }
    ASSERT_EQ(g_liveRecords, 4);
    const ItemHandle portA = t.PortNode(1);
    const ItemHandle firstRecordOfB = t.GetChildItem(t.Root(2, Table::Sdt));
    t.ReleaseItemRecords(firstRecordOfB);
    EXPECT_EQ(g_liveRecords, 2);
    t.ReleaseRecords(portA);
    EXPECT_EQ(g_liveRecords, 0);
    EXPECT_EQ(t.RecordOf(t.Root(1, Table::Pat)), nullptr);
    EXPECT_GT(t.ItemCount(), 0u);  // the items stay
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
  EXPECT_EQ(m.GetNextSiblingItem(d), b);
  EXPECT_EQ(m.GetPrevSiblingItem(d), a);
  EXPECT_EQ(m.GetPrevSiblingItem(a), kNoItem);
  EXPECT_EQ(m.GetParentItem(c), root);
  EXPECT_EQ(m.RowOf(c), 3);

  m.SelectItem(d);
  EXPECT_EQ(m.GetSelectedItem(), d);
  EXPECT_TRUE(m.DeleteItem(d));
  EXPECT_EQ(m.GetSelectedItem(), kNoItem);
  EXPECT_FALSE(m.IsValid(d));
  const ItemHandle e = m.InsertItem("e", 2, root);  // may reuse the slot
  EXPECT_NE(e, d);
  EXPECT_FALSE(m.IsValid(d));
  EXPECT_EQ(m.GetItemText(d), "");
  EXPECT_EQ(m.RowOf(b), 1);
  EXPECT_EQ(m.InsertItem("x", 2, root, d), kNoItem);  // stale insertion place

  m.Expand(root, ExpandCode::Toggle);
  EXPECT_TRUE(m.IsExpanded(root));
  m.DeleteChildren(root);
  EXPECT_EQ(m.ChildCount(root), 0);
  EXPECT_EQ(m.ItemCount(), 1u);
}

}  // namespace
}  // namespace quorvelin
