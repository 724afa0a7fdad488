// The list pages of the transport descriptor dialogs: service list (NIT and BAT modes) and
// logical channel numbers (10 and 14 bits), in add and modify runs.
#include <fstream>

#include "NitBatFixture.h"
#include "NitBatOracle.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "sections/NitBatSupport.h"
#include "util/Settings.h"

namespace quorvelin::test {
namespace {

class NitListPagesTest : public NitStreamTest {
 protected:
  // A new dialog on the selected item: an add run on `page`, or a modify run.
  std::unique_ptr<CNITAddStreamDes> Open(int page, bool serviceListModify = false, bool channelModify = false) {
    auto d = std::make_unique<CNITAddStreamDes>(tree, ui);
    d->serviceListModify = serviceListModify;
    d->logicalChannelModify = channelModify;
    d->OnInitDialog();
    if (!serviceListModify && !channelModify) d->Sheet().SetCurSel(page);
    return d;
  }
  static void AddService(CDlgNITAddServiceList& page, const char* id, int typeIndex, const char* typed = "") {
    page.SetText(EntryListPage::kServiceId, id);
    if (typeIndex >= 0) {
      page.SetComboIndex(CDlgNITAddServiceList::kServiceType, typeIndex);
    } else {
      page.Value(CDlgNITAddServiceList::kServiceType).index = -1;
      page.SetText(CDlgNITAddServiceList::kServiceType, typed);
    }
    page.OnCommand(EntryListPage::kAddRow);
  }
  static void AddChannel(CDlgNITAddLC& page, const char* id, const char* channel, bool visible) {
    page.SetText(EntryListPage::kServiceId, id);
    page.SetText(CDlgNITAddLC::kChannelNumber, channel);
    page.SetCheck(CDlgNITAddLC::kVisible, visible);
    page.OnCommand(EntryListPage::kAddRow);
  }
  std::string Entries(ItemHandle d) { return Hex(PayloadOf<EntryListDescriptor>(d).entries); }

  testing::ScratchDirectory scratch;  // setting.ini of the channel width lands here
};

// --- service list ---

TEST_F(NitListPagesTest, OneServiceWorkedExample) {
  auto dlg = Open(CNITAddStreamDes::kServiceListPage);
  auto& page = dlg->ServiceListPage();
  EXPECT_EQ(page.Text(EntryListPage::kTag), "0x41");
  AddService(page, "0x0101", 1);
  ASSERT_EQ(page.Rows(EntryListPage::kList).size(), 1u);
  EXPECT_EQ(page.Rows(EntryListPage::kList)[0],
            (std::vector<std::string>{"0x0101", "1", "digital television service"}));
  ASSERT_TRUE(dlg->OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x41 =>network_service_list_descriptor\n  descriptor_length(byte): 3\n"
            "  Service_list\n    service_id: 0x101\n    service_type: 0x1\n");
  EXPECT_EQ(tree.GetItemImage(Child(d, 1)), kNoImage);
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitServiceList);
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 5);
  EXPECT_EQ(TextOf(stream.lengthLine), "transport_descriptor_length: 0x5");
  EXPECT_EQ(TextOf(section.loopLine), "transport_stream_loop_length: 0xb");
  EXPECT_FALSE(tree.IsExpanded(stream.item));
  const BuiltTable built = BuildWellFormed(Table::Nit);
  EXPECT_NE(Hex(built.section).find("00 01 30 01 F0 05 41 03 01 01 01"), std::string::npos);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  DecodeWith(decoded.streams.at(0).descriptors.at(0), dvbpsi_DecodeServiceListDr,
             [](const dvbpsi_service_list_dr_t* s) {
               ASSERT_NE(s, nullptr);
               ASSERT_EQ(s->i_service_count, 1);
               EXPECT_EQ(s->i_service[0].i_service_id, 0x0101);
               EXPECT_EQ(s->i_service[0].i_service_type, 1);
             });
#endif
}

TEST_F(NitListPagesTest, ServiceRowsTypedDeletedAndRefused) {
  auto dlg = Open(CNITAddStreamDes::kServiceListPage);
  auto& page = dlg->ServiceListPage();
  AddService(page, "  ", 1);
  EXPECT_EQ(ui.LastText(), "Service_ID can't be NULL");
  EXPECT_EQ(ui.messages.back().caption, kApplicationTitle);
  EXPECT_EQ(page.focusId, EntryListPage::kServiceId);
  AddService(page, "1", -1, "0x19");
  AddService(page, "2", 2);
  AddService(page, "3", 3);
  auto& rows = page.Rows(EntryListPage::kList);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "25", "0x19"}));
  page.OnCommand(EntryListPage::kDeleteRow);  // nothing marked
  EXPECT_EQ(rows.size(), 3u);
  page.Value(EntryListPage::kList).selectionMark = 1;
  page.OnCommand(EntryListPage::kDeleteRow);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0], "3");
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(Entries(NewDescriptor()), "00 01 19 00 03 03");

  // An empty list in add mode is refused.
  auto again = Open(CNITAddStreamDes::kServiceListPage);
  const std::string before = Snapshot();
  EXPECT_FALSE(again->OnOK());
  EXPECT_EQ(ui.LastText(), "The service list can not be empty!");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(NitListPagesTest, EightyFiveServicesFillTheLengthByte) {
  auto dlg = Open(CNITAddStreamDes::kServiceListPage);
  auto& page = dlg->ServiceListPage();
  for (int i = 0; i < 85; ++i) AddService(page, std::to_string(i + 1).c_str(), 1);
  EXPECT_TRUE(ui.messages.empty());
  AddService(page, "86", 1);
  EXPECT_EQ(ui.LastText(), "The service list can't hold more than 85 services!");
  EXPECT_EQ(page.Rows(EntryListPage::kList).size(), 85u);
  // Rows that reach the page another way are refused on Ok.
  page.Rows(EntryListPage::kList).push_back({"86", "1", ""});
  const std::string before = Snapshot();
  EXPECT_FALSE(dlg->OnOK());
  EXPECT_EQ(Snapshot(), before);
  page.Rows(EntryListPage::kList).pop_back();
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(PayloadOf<EntryListDescriptor>(NewDescriptor()).length, 255);
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 257);
  BuildWellFormed(Table::Nit);
}

TEST_F(NitListPagesTest, ServiceListModifyKeepsOrderAndAdjustsByDifference) {
  {
    auto dlg = Open(CNITAddStreamDes::kServiceListPage);
    AddService(dlg->ServiceListPage(), "0x0101", 1);
    AddService(dlg->ServiceListPage(), "0x0202", 2);
    ASSERT_TRUE(dlg->OnOK());
  }
  ASSERT_EQ(Entry(stream.item).transport_descriptors_length.get(), 8);
  tree.SelectItem(NewDescriptor());
  auto dlg = Open(CNITAddStreamDes::kCablePage, true);
  EXPECT_EQ(dlg->Sheet().GetCurSel(), CNITAddStreamDes::kServiceListPage);
  EXPECT_EQ(dlg->TabLock(), 1);
  dlg->Sheet().OnLButtonDown(0);  // the tab lock keeps the page
  EXPECT_EQ(dlg->Sheet().GetCurSel(), CNITAddStreamDes::kServiceListPage);
  auto& page = dlg->ServiceListPage();
  EXPECT_EQ(page.add, 0);
  auto& rows = page.Rows(EntryListPage::kList);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"257", "1", "digital television service"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"514", "2", "digital radio sound service"}));
  AddService(page, "0x0303", -1, "0x99");
  ASSERT_TRUE(dlg->OnOK());
  const ItemHandle holder = LastChild(stream.item);
  ASSERT_EQ(tree.ChildCount(holder), 1);
  EXPECT_EQ(Entries(NewDescriptor()), "01 01 01 02 02 02 03 03 99");
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 11);
  EXPECT_EQ(TextOf(stream.lengthLine), "transport_descriptor_length: 0xb");
  EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), 17);
}

TEST_F(NitListPagesTest, ServiceListEmptiedByModifyIsRemoved) {
  {
    auto dlg = Open(CNITAddStreamDes::kServiceListPage);
    AddService(dlg->ServiceListPage(), "1", 1);
    ASSERT_TRUE(dlg->OnOK());
  }
  tree.SelectItem(NewDescriptor());
  auto dlg = Open(0, true);
  dlg->ServiceListPage().Rows(EntryListPage::kList).clear();
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(tree.ChildCount(LastChild(stream.item)), 0);
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 0);
  EXPECT_EQ(TextOf(stream.lengthLine), "transport_descriptor_length: 0x0");
  EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), 6);
  EXPECT_EQ(TextOf(section.loopLine), "transport_stream_loop_length: 0x6");
}

TEST_F(NitListPagesTest, ServiceListFoundInTheNetworkLoopIsReplacedThere) {
  EntryListDescriptor stored;
  stored.tag = 0x41;
  stored.length = 3;
  stored.entries = {0x00, 0x05, 0x01};
  const ItemHandle old = tree.InsertRecordItem("descriptor_tag: 0x41 =>network_service_list_descriptor", kImageLine,
                                               section.descriptors, MakeRecord(NodeKind::NitServiceList, stored));
  Header(section.item).descriptors_length.set(5);
  tree.SelectItem(old);
  auto dlg = Open(0, true);
  AddService(dlg->ServiceListPage(), "6", 2);
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(tree.ChildCount(section.descriptors), 1);
  EXPECT_EQ(Entries(LastChild(section.descriptors)), "00 05 01 00 06 02");
  EXPECT_EQ(Header(section.item).descriptors_length.get(), 8);
  EXPECT_EQ(TextOf(section.descriptorsLine), "network_descriptors_length: 0x8");
  EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), 6);
}

TEST_F(NitListPagesTest, ServiceListInBatMode) {
  const auto bat = AddBatSection(0x1001);
  const auto bstream = AddStream(bat, 0x0002, 0x3001);
  tree.SelectItem(bstream.item);
  CDlgNITAddServiceList page(tree, ui);
  page.familyMode = CDlgNITAddServiceList::kBatMode;
  page.OnInitDialog();
  AddService(page, "0x0101", 1);
  ASSERT_TRUE(page.AddDesc());
  const ItemHandle holder = LastChild(bstream.item);
  EXPECT_EQ(tree.KindOf(holder), NodeKind::BatTransportDescriptorList);
  EXPECT_EQ(tree.KindOf(LastChild(holder)), NodeKind::BatServiceList);
  EXPECT_EQ(Header(bat.item).transport_stream_loop_length.get(), 11);
  const BuiltTable built = BuildWellFormed(Table::Bat);
  EXPECT_NE(Hex(built.section).find("F0 05 41 03 01 01 01"), std::string::npos);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  EXPECT_EQ(decoded.id, 0x1001);
  ASSERT_EQ(decoded.streams.size(), 1u);
  EXPECT_EQ(decoded.streams[0].descriptors.at(0).tag, 0x41);
#endif
}

// --- logical channels ---

TEST_F(NitListPagesTest, ChannelWidthSettingFollowsTheRadioButtons) {
  auto dlg = Open(CNITAddStreamDes::kLogicalChannelPage);
  auto& page = dlg->LogicalChannelPage();
  EXPECT_EQ(page.Text(EntryListPage::kTag), "0x83");
  EXPECT_EQ(page.Check(CDlgNITAddLC::k10Bit), 1);  // no setting: 10 bits
  page.OnCommand(CDlgNITAddLC::k14Bit);
  EXPECT_EQ(ReadLcnFlag(), "14bit");
  EXPECT_EQ(page.Check(CDlgNITAddLC::k10Bit), 0);
  EXPECT_EQ(Open(0)->LogicalChannelPage().Check(CDlgNITAddLC::k14Bit), 1);
  page.OnCommand(CDlgNITAddLC::k10Bit);
  EXPECT_EQ(ReadLcnFlag(), "10bit");
}

TEST_F(NitListPagesTest, TenBitEntries) {
  auto dlg = Open(CNITAddStreamDes::kLogicalChannelPage);
  auto& page = dlg->LogicalChannelPage();
  AddChannel(page, "0x0010", "7", true);
  AddChannel(page, "0x0010", "7", false);
  ASSERT_TRUE(dlg->OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Entries(d), "00 10 FC 07 00 10 7C 07");
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x83 =>logical_channel_number_descriptor\n  descriptor_length(byte): 8\n"
            "  Service_list\n    service_id: 0x10\n    logical_channel_number: 0x7\n    TRUE\n"
            "  Service_list\n    service_id: 0x10\n    logical_channel_number: 0x7\n    FALSE\n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitLogicalChannels);
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 10);
  const BuiltTable built = BuildWellFormed(Table::Nit);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  DecodeWith(decoded.streams.at(0).descriptors.at(0), dvbpsi_DecodeLCNDr, [](const dvbpsi_lcn_dr_t* l) {
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->i_number_of_entries, 2);
    EXPECT_EQ(l->p_entries[0].i_service_id, 0x10);
    EXPECT_TRUE(l->p_entries[0].b_visible_service_flag);
    EXPECT_EQ(l->p_entries[0].i_logical_channel_number, 7);
    EXPECT_FALSE(l->p_entries[1].b_visible_service_flag);
  });
#endif
}

TEST_F(NitListPagesTest, FourteenBitEntriesAndModifyDecodesWithTheSelectedWidth) {
  WriteLcnFlag("14bit");
  {
    auto dlg = Open(CNITAddStreamDes::kLogicalChannelPage);
    AddChannel(dlg->LogicalChannelPage(), "0x0010", "0x1234", true);
    ASSERT_TRUE(dlg->OnOK());
    EXPECT_EQ(Entries(NewDescriptor()), "00 10 D2 34");
    EXPECT_EQ(TextOf(Child(Child(NewDescriptor(), 1), 1)), "logical_channel_number: 0x1234");
  }
  tree.SelectItem(NewDescriptor());
  {
    auto dlg = Open(0, false, true);
    EXPECT_EQ(dlg->Sheet().GetCurSel(), CNITAddStreamDes::kLogicalChannelPage);
    EXPECT_EQ(dlg->TabLock(), 1);
    EXPECT_EQ(dlg->LogicalChannelPage().Rows(EntryListPage::kList)[0],
              (std::vector<std::string>{"16", "4660", "TRUE"}));
  }
  WriteLcnFlag("10bit");
  auto dlg = Open(0, false, true);
  auto& page = dlg->LogicalChannelPage();
  EXPECT_EQ(page.Rows(EntryListPage::kList)[0], (std::vector<std::string>{"16", "564", "TRUE"}));
  // Written back in 10 bits and one more channel: lengths change by the difference.
  AddChannel(page, "17", "8", false);
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(Entries(NewDescriptor()), "00 10 FE 34 00 11 7C 08");
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 10);
  EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), 16);
}

TEST_F(NitListPagesTest, ChannelRowChecksAndLimit) {
  auto dlg = Open(CNITAddStreamDes::kLogicalChannelPage);
  auto& page = dlg->LogicalChannelPage();
  AddChannel(page, "", "", true);
  EXPECT_EQ(ui.LastText(), "Service_ID can't be NULL");
  AddChannel(page, "1", " ", true);
  EXPECT_EQ(ui.LastText(), "ChannelNumber can't be NULL");
  EXPECT_EQ(page.focusId, CDlgNITAddLC::kChannelNumber);
  EXPECT_TRUE(page.Rows(EntryListPage::kList).empty());
  EXPECT_FALSE(dlg->OnOK());
  EXPECT_EQ(ui.LastText(), "The logical channel list can not be empty!");
  for (int i = 0; i < 63; ++i) AddChannel(page, "1", "1", true);
  AddChannel(page, "1", "1", true);
  EXPECT_EQ(ui.LastText(), "The logical channel list can't hold more than 63 channels!");
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(PayloadOf<EntryListDescriptor>(NewDescriptor()).length, 252);
}

}  // namespace
}  // namespace quorvelin::test
