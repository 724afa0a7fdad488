// The frame of a NIT branch: new section identity, header modify, loop holders, transport streams.
#include "NitBatFixture.h"
#include "dialogs/dvb/CDlgModifyNIT.h"
#include "dialogs/dvb/CNITAdd.h"
#include "dialogs/dvb/CNITAddGather.h"
#include "dialogs/dvb/CNITAddTranStream.h"

namespace quorvelin::test {
namespace {

using NitTableDialogsTest = NitBatTest;

TEST_F(NitTableDialogsTest, AddNitReportsNetworkIdFirstAndCutsValues) {
  CNITAdd dlg(ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add NIT");
  EXPECT_EQ(dlg.focusId, CNITAdd::kSectionNumber);
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "network_id can not be null!");
  EXPECT_EQ(dlg.focusId, CNITAdd::kNetworkId);
  dlg.SetText(CNITAdd::kNetworkId, "0x13001");
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "Section number can not be null!");
  dlg.SetText(CNITAdd::kSectionNumber, "258");
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(dlg.NetworkId(), 0x3001);
  EXPECT_EQ(dlg.SectionNumber(), 2);
  EXPECT_EQ(Snapshot().find("SECTION"), std::string::npos);
}

class ModifyNitTest : public NitBatTest {
 protected:
  void SetUp() override {
    NitBatTest::SetUp();
    s = AddNitSection(0x3001);
    Header(s.item).version_number = 4;
    tree.SelectItem(s.item);
    dlg.OnInitDialog();
  }
  bool Apply(const char* version, const char* network, const char* cni) {
    dlg.SetText(CDlgModifyNIT::kVersionNumber, version);
    dlg.SetText(CDlgModifyNIT::kNetworkId, network);
    dlg.SetText(CDlgModifyNIT::kCurrentNext, cni);
    return dlg.OnOK();
  }
  LoopSection s;
  CDlgModifyNIT dlg{tree, ui};
};

TEST_F(ModifyNitTest, StartsWithTheSectionValues) {
  EXPECT_EQ(dlg.title, "ModifyNIT");
  EXPECT_EQ(dlg.Text(CDlgModifyNIT::kVersionNumber), "0x4");
  EXPECT_EQ(dlg.Text(CDlgModifyNIT::kNetworkId), "0x3001");
  EXPECT_EQ(dlg.Text(CDlgModifyNIT::kCurrentNext), "0x1");
  EXPECT_EQ(dlg.focusId, CDlgModifyNIT::kVersionNumber);
}

TEST_F(ModifyNitTest, RangeLimitsAndMessages) {
  const std::string before = Snapshot();
  struct Case {
    const char *version, *network, *cni, *message;
    int focus;
  };
  const Case refused[] = {
      {"", "1", "1", "VersionNumber can't be NULL!", CDlgModifyNIT::kVersionNumber},
      {"1", " ", "1", "network_id can't be NULL!", CDlgModifyNIT::kNetworkId},
      {"32", "1", "1", "VersionNumber can't be more than 31!", CDlgModifyNIT::kVersionNumber},
      {"-1", "1", "1", "VersionNumber can't be more than 31!", CDlgModifyNIT::kVersionNumber},
      {"1", "65532", "1", "network_id can't be more than 65531!", CDlgModifyNIT::kNetworkId},
      {"1", "0xFFFF", "1", "network_id can't be more than 65531!", CDlgModifyNIT::kNetworkId},
      {"1", "1", "2", "current_next_indicator can't be more than 1!", CDlgModifyNIT::kCurrentNext},
      {"1", "1", "", "current_next_indicator can't be more than 1!", CDlgModifyNIT::kCurrentNext},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.message);
    EXPECT_FALSE(Apply(c.version, c.network, c.cni));
    EXPECT_EQ(ui.LastText(), c.message);
    EXPECT_EQ(ui.messages.back().caption, "SystemInfo");
    EXPECT_EQ(dlg.focusId, c.focus);
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(Apply("31", "65531", "0"));
  EXPECT_EQ(Header(s.item).id, 65531);
  EXPECT_EQ(Header(s.item).version_number, 31);
  EXPECT_EQ(Header(s.item).current_next_indicator, 0);
}

TEST_F(ModifyNitTest, RewritesOnlyTheThreeHeaderLines) {
  Header(s.item).current_next_indicator = 0x81;  // bits beside current_next_indicator are kept
  std::string expected = Snapshot();
  ASSERT_TRUE(Apply("5", "0x3001", "0"));
  const auto replace = [&expected](const std::string& from, const std::string& to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("version_number: 0x0\n", "version_number: 0x5\n");
  replace("current_next_indicator: 0x1\n", "current_next_indicator: 0x0\n");
  replace("[501:40 1 0 3001 4 81", "[501:40 1 0 3001 5 80");
  EXPECT_EQ(Snapshot(), expected);
  EXPECT_EQ(TextOf(s.item), "SECTION:0");
}

TEST_F(NitTableDialogsTest, GatherAddsEachHolderAfterItsLengthLineOnce) {
  const auto s = AddNitSection(0x3001, false);
  tree.SelectItem(s.item);
  CNITAddGather dlg(tree, ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add NIT Descriptor type");
  EXPECT_EQ(dlg.ComboIndex(CNITAddGather::kType), 0);
  ASSERT_TRUE(dlg.OnOK());
  const ItemHandle network = tree.GetNextSiblingItem(s.descriptorsLine);
  EXPECT_EQ(TextOf(network), "network_descriptors");
  EXPECT_EQ(tree.KindOf(network), NodeKind::NitNetworkDescriptorList);
  EXPECT_EQ(tree.GetSelectedItem(), network);

  tree.SelectItem(s.item);
  const std::string before = Snapshot();
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "network_descriptors is exist!");
  EXPECT_EQ(dlg.focusId, CNITAddGather::kType);
  EXPECT_EQ(Snapshot(), before);

  dlg.SetComboIndex(CNITAddGather::kType, 1);
  ASSERT_TRUE(dlg.OnOK());
  const ItemHandle streams = tree.GetNextSiblingItem(s.loopLine);
  EXPECT_EQ(TextOf(streams), "transport_streams");
  EXPECT_EQ(tree.KindOf(streams), NodeKind::NitTransportStreamList);
  EXPECT_EQ(TextOf(LastChild(s.item)), "crc_32: 0x0");
  tree.SelectItem(s.item);
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "transport_streams is exist!");
}

TEST_F(NitTableDialogsTest, GatherWithoutLengthLineClosesUnchanged) {
  const auto s = AddNitSection(0x3001, false);
  tree.DeleteItem(s.loopLine);
  tree.SelectItem(s.item);
  CNITAddGather dlg(tree, ui);
  dlg.OnInitDialog();
  dlg.SetComboIndex(CNITAddGather::kType, 1);
  const std::string before = Snapshot();
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(NitTableDialogsTest, TransportStreamsGrowTheLoopBySix) {
  const auto s = AddNitSection();
  tree.SelectItem(s.streams);
  CNITAddTranStream dlg(tree, ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add TransportStream Descriptor");
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "stransport_stream_id can not be null!");
  dlg.SetText(CNITAddTranStream::kTransportStreamId, "0x10");
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "original_network_id can not be null!");
  EXPECT_EQ(dlg.focusId, CNITAddTranStream::kOriginalNetworkId);
  dlg.SetText(CNITAddTranStream::kOriginalNetworkId, "0x3001");
  ASSERT_TRUE(dlg.OnOK());
  const ItemHandle ts = LastChild(s.streams);
  EXPECT_EQ(Lines(ts),
            "transport_stream_id: 0x10\n  original_network_id: 0x3001\n  transport_descriptor_length: 0x0\n");
  EXPECT_EQ(RecordText(*tree.RecordOf(ts)), "506:10 3001 0");
  EXPECT_EQ(TextOf(s.loopLine), "stransport_stream_loop_length: 0x6");
  EXPECT_TRUE(tree.IsExpanded(s.streams));
  EXPECT_TRUE(tree.IsExpanded(ts));
  tree.SelectItem(s.streams);
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(TextOf(s.loopLine), "stransport_stream_loop_length: 0xc");
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.word, 0xF00C);
}

TEST_F(NitTableDialogsTest, TransportStreamInBatMode) {
  const auto s = AddBatSection();
  tree.SelectItem(s.streams);
  CNITAddTranStream dlg(tree, ui);
  dlg.familyMode = CNITAddTranStream::kBatMode;
  dlg.OnInitDialog();
  dlg.SetText(CNITAddTranStream::kTransportStreamId, "1");
  dlg.SetText(CNITAddTranStream::kOriginalNetworkId, "2");
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(tree.KindOf(LastChild(s.streams)), NodeKind::BatTransportStream);
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 6);
  EXPECT_EQ(TextOf(s.loopLine), "stransport_stream_loop_length: 0x6");
}

TEST_F(NitTableDialogsTest, TransportStreamRefusedWhenSectionIsFull) {
  const auto s = AddNitSection();
  Header(s.item).descriptors_length.set(1003);
  tree.SelectItem(s.streams);
  CNITAddTranStream dlg(tree, ui);
  dlg.OnInitDialog();
  dlg.SetText(CNITAddTranStream::kTransportStreamId, "1");
  dlg.SetText(CNITAddTranStream::kOriginalNetworkId, "2");
  const std::string before = Snapshot();
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "The section can't be longer than 1024 bytes!");
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace quorvelin::test
