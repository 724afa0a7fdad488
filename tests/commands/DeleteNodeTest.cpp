#include <gtest/gtest.h>

#include "commands/BranchFixture.h"
#include "commands/DeleteNode.h"

namespace quorvelin {
namespace {

using test::AddLoopSection;
using test::AddPmt;
using test::AddSdt;

class DeleteNodeTest : public ::testing::Test {
 protected:
  void SetUp() override { tree.BuildRoots(); }
  bool Delete(ItemHandle item) {
    tree.SelectItem(item);
    return DeleteSelectedNode(tree, ui);
  }
  template <class T>
  T& Payload(ItemHandle h) {
    return *tree.RecordOf(h)->As<T>();
  }

  TableTreeCtrl tree;
  RecordingUi ui;
};

TEST_F(DeleteNodeTest, ServiceDescriptorLowersTheLoopLengthAndRewritesTheLine) {
  auto sdt = AddSdt(tree, 1, {10, 5, 7});
  ASSERT_EQ(Payload<SdtService>(sdt.service).descriptors_loop_length.get(), 28);
  ASSERT_TRUE(Delete(sdt.items[2]));
  EXPECT_EQ(Payload<SdtService>(sdt.service).descriptors_loop_length.get(), 19);
  EXPECT_EQ(tree.GetItemText(sdt.loopLine), "descriptor_loop_length: 0x13");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Are you sure to delete?");
  EXPECT_EQ(ui.messages[0].caption, "SystemInfo");
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(tree.ChildCount(sdt.descriptors), 2);

  ASSERT_TRUE(Delete(sdt.descriptors));  // the holder: minus the sum of what is left
  EXPECT_EQ(Payload<SdtService>(sdt.service).descriptors_loop_length.get(), 0);
  EXPECT_EQ(tree.GetItemText(sdt.loopLine), "descriptor_loop_length: 0x0");
}

TEST_F(DeleteNodeTest, AnswerNoLeavesEverythingUnchanged) {
  auto sdt = AddSdt(tree, 1, {10, 5, 7});
  auto pmt = AddPmt(tree, 2, {4}, {3});
  const std::string before = DumpTree(tree);
  ui.answers = {MsgAnswer::No, MsgAnswer::No, MsgAnswer::No};
  EXPECT_FALSE(Delete(sdt.items[0]));
  EXPECT_FALSE(Delete(pmt.esList));
  EXPECT_FALSE(Delete(pmt.program));
  EXPECT_EQ(DumpTree(tree), before);
  EXPECT_EQ(Payload<SdtService>(sdt.service).descriptors_loop_length.get(), 28);
  EXPECT_EQ(Payload<PmtComponent>(pmt.component).es_info_length.get(), 5);
}

TEST_F(DeleteNodeTest, PmtLoopsUseTheirOwnLineFormats) {
  auto pmt = AddPmt(tree, 1, {4, 6}, {3, 2});
  ASSERT_TRUE(Delete(pmt.infoDescriptors[0]));
  EXPECT_EQ(Payload<PmtSectionHeader>(pmt.section).program_info_length.get(), 8);
  EXPECT_EQ(Payload<PmtSectionHeader>(pmt.section).program_info_length.word, 0xF008);  // top bits kept
  EXPECT_EQ(tree.GetItemText(pmt.infoLine), "program_info_length: 0x8 (8)");

  ASSERT_TRUE(Delete(pmt.esDescriptors[1]));
  EXPECT_EQ(Payload<PmtComponent>(pmt.component).es_info_length.get(), 5);
  EXPECT_EQ(tree.GetItemText(pmt.esLine), "es_info_length: 0x5");

  ASSERT_TRUE(Delete(pmt.infoList));
  EXPECT_EQ(Payload<PmtSectionHeader>(pmt.section).program_info_length.get(), 0);
  EXPECT_EQ(tree.GetItemText(pmt.infoLine), "program_info_length: 0x0 (0)");

  // The component loop holder goes without touching program_info_length.
  auto other = AddPmt(tree, 1, {4}, {});
  ASSERT_TRUE(Delete(other.components));
  EXPECT_EQ(Payload<PmtSectionHeader>(other.section).program_info_length.get(), 6);
}

TEST_F(DeleteNodeTest, CaDescriptorInTheProgramInfoLoopShowsTheShortLine) {
  auto pmt = AddPmt(tree, 1, {4}, {});
  CaDescriptor ca;
  ca.length = 6;
  ca.private_data = {1, 2};
  const ItemHandle item =
      tree.InsertRecordItem("descriptor_tag: 0x9", kImageLine, pmt.infoList, MakeRecord(NodeKind::PmtCaDescriptor, ca));
  Payload<PmtSectionHeader>(pmt.section).program_info_length.add(8);
  ASSERT_TRUE(Delete(item));
  EXPECT_EQ(tree.GetItemText(pmt.infoLine), "program_info_length: 0x6");
}

TEST_F(DeleteNodeTest, NitTransportStreamLowersTheLoopByItsEntrySize) {
  auto nit = AddLoopSection(tree, 1, false, {3}, {{11}, {1}});
  auto& sec = Payload<LoopSectionHeader>(nit.section);
  ASSERT_EQ(sec.transport_stream_loop_length.get(), 6 + 13 + 6 + 3);
  ASSERT_TRUE(Delete(nit.streams[0]));  // transport_descriptors_length 13
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 9);
  EXPECT_EQ(tree.GetItemText(nit.streamLine), "transport_stream_loop_length: 0x9");
}

TEST_F(DeleteNodeTest, NitDescriptorsFixBothLengths) {
  auto nit = AddLoopSection(tree, 1, false, {3, 4}, {{11, 2}});
  auto& sec = Payload<LoopSectionHeader>(nit.section);
  auto& ts = Payload<TransportStreamEntry>(nit.streams[0]);

  ASSERT_TRUE(Delete(nit.firstDescriptors[0]));
  EXPECT_EQ(sec.descriptors_length.get(), 6);
  EXPECT_EQ(tree.GetItemText(nit.firstLine), "network_descriptors_length: 0x6");

  ASSERT_TRUE(Delete(nit.streamDescriptors[0][1]));
  EXPECT_EQ(ts.transport_descriptors_length.get(), 13);
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 19);
  EXPECT_EQ(tree.GetItemText(nit.streamLengthLines[0]), "transport_descriptor_length: 0xd");
  EXPECT_EQ(tree.GetItemText(nit.streamLine), "transport_stream_loop_length: 0x13");

  ASSERT_TRUE(Delete(nit.streamHolders[0]));
  EXPECT_EQ(ts.transport_descriptors_length.get(), 0);
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 6);
  EXPECT_EQ(tree.GetItemText(nit.streamLengthLines[0]), "transport_descriptors: 0x0");

  ASSERT_TRUE(Delete(nit.streamList));
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 0);
  EXPECT_EQ(sec.transport_stream_loop_length.word, 0xF000);
}

TEST_F(DeleteNodeTest, LogicalChannelsRewriteTheStreamsSecondChild) {
  auto nit = AddLoopSection(tree, 1, false, {}, {{2}});
  EntryListDescriptor lcn;
  lcn.tag = 0x83;
  lcn.length = 4;
  lcn.entries = {0, 1, 0xFC, 5};
  const ItemHandle item = tree.InsertRecordItem("descriptor_tag: 0x83 =>logical_channel_number_descriptor",
                                                kImageLine, nit.streamHolders[0],
                                                MakeRecord(NodeKind::NitLogicalChannels, lcn));
  Payload<TransportStreamEntry>(nit.streams[0]).transport_descriptors_length.add(6);
  Payload<LoopSectionHeader>(nit.section).transport_stream_loop_length.add(6);
  ASSERT_TRUE(Delete(item));
  EXPECT_EQ(tree.GetItemText(nit.streamLengthLines[0]), "transport_descriptors_length: 0x4");
  EXPECT_EQ(tree.GetItemText(nit.streamLine), "transport_stream_loop_length: 0xa");
}

TEST_F(DeleteNodeTest, BatLoops) {
  auto bat = AddLoopSection(tree, 2, true, {5, 1}, {{3}, {0}});
  auto& sec = Payload<LoopSectionHeader>(bat.section);
  ASSERT_TRUE(Delete(bat.firstDescriptors[1]));
  EXPECT_EQ(sec.descriptors_length.get(), 7);
  EXPECT_EQ(tree.GetItemText(bat.firstLine), "bouquet_descriptors_length: 0x7");

  ASSERT_TRUE(Delete(bat.streamDescriptors[0][0]));
  EXPECT_EQ(Payload<TransportStreamEntry>(bat.streams[0]).transport_descriptors_length.get(), 0);
  EXPECT_EQ(tree.GetItemText(bat.streamLengthLines[0]), "transport_descriptors_length: 0x0");
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 6 + 8);

  ASSERT_TRUE(Delete(bat.streams[1]));
  EXPECT_EQ(sec.transport_stream_loop_length.get(), 6);

  ASSERT_TRUE(Delete(bat.firstList));
  EXPECT_EQ(sec.descriptors_length.get(), 0);

  // The BAT stream's descriptor holder is never deleted.
  EXPECT_FALSE(Delete(bat.streamHolders[0]));
  EXPECT_TRUE(tree.IsValid(bat.streamHolders[0]));
}

TEST_F(DeleteNodeTest, TimeRootsAskNothingAndStay) {
  const ItemHandle tdt = tree.Root(1, Table::Tdt);
  tree.InsertLine("table_id: 0x70", tdt);
  tree.InsertLine("UTC_time: 2020-01-01 00:00:00", tdt);
  EXPECT_TRUE(Delete(tdt));
  EXPECT_EQ(tree.ChildCount(tdt), 0);
  EXPECT_TRUE(tree.IsValid(tdt));

  const ItemHandle tot = tree.Root(1, Table::Tot);
  const ItemHandle section = tree.InsertItem("SECTION:0", kImageLine, tot);
  tree.SetItemData(section, std::make_unique<TotRecord>());
  EXPECT_TRUE(Delete(tot));
  EXPECT_FALSE(tree.IsValid(section));
  EXPECT_TRUE(tree.IsValid(tot));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DeleteNodeTest, RootsHoldersAndPlainLinesAreNeverDeleted) {
  auto pmt = AddPmt(tree, 1, {}, {});
  for (ItemHandle h : {tree.Root(1, Table::Pat), pmt.section, pmt.infoLine, tree.PortNode(1)})
    EXPECT_FALSE(Delete(h)) << tree.GetItemText(h);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace quorvelin
