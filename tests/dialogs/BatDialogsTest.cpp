// The BAT dialogs: new section, loop holders, bouquet names and descriptors of either loop in add
// and modify runs, and what the BAT builder then writes.
#include "NitBatFixture.h"
#include "NitBatOracle.h"
#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddGather.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CNITAddTranStream.h"

namespace quorvelin::test {
namespace {

class BatDialogsTest : public NitBatTest {
 protected:
  // Ok of an add run of the bouquet descriptor dialog on `page`, after `fill`.
  template <class Fill>
  bool AddBouquetDescriptor(ItemHandle holder, int page, Fill fill) {
    tree.SelectItem(holder);
    CBATAddBouquetDes dlg(tree, ui);
    dlg.OnInitDialog();
    dlg.Sheet().SetCurSel(page);
    fill(dlg);
    return dlg.OnOK();
  }
  static void FillHex(CBATAddUndefDes& page, const char* tag, const char* length, const char* data) {
    page.SetText(HexDescriptorPage::kTag, tag);
    page.SetText(HexDescriptorPage::kLength, length);
    page.SetText(HexDescriptorPage::kData, data);
  }
};

TEST_F(BatDialogsTest, AddBatLaysOutTheSection) {
  CAddBat dlg(tree, ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add BAT");
  tree.SelectItem(tree.Root(1, Table::Bat));
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "BouquetID can not be null!");
  EXPECT_EQ(dlg.focusId, CAddBat::kBouquetId);
  dlg.SetText(CAddBat::kBouquetId, "4096");
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "version_number can not be null!");
  EXPECT_EQ(Snapshot().find("tableID"), std::string::npos);
  dlg.SetText(CAddBat::kVersionNumber, "3");
  ASSERT_TRUE(dlg.OnOK());
  const ItemHandle s = LastChild(tree.Root(1, Table::Bat));
  EXPECT_EQ(Lines(s),
            "tableID: 0x4A,BouquetID:0x1000,version_number:0x3\n"
            "  table_id: 0x4a\n  section_syntax_indicator: 0x1\n  section_length: 0x0\n  bouquet_id: 0x1000\n"
            "  version_number: 0x3\n  current_next_indicator: 0x1\n  section_number: 0x0\n"
            "  last_section_number: 0x0\n  bouquet_descriptors_length: 0x0 (0)\n"
            "  transport_stream_loop_length: 0x0 (0)\n  crc_32: 0x0\n");
  EXPECT_EQ(tree.GetItemImage(s), kImageProgram);
  EXPECT_EQ(tree.GetItemImage(Child(s, 0)), kImageLine);
  EXPECT_EQ(RecordText(*tree.RecordOf(s)), "801:4a 1 0 1000 3 1 0 0 0 0");
  EXPECT_EQ(tree.GetSelectedItem(), s);
  EXPECT_TRUE(tree.IsExpanded(s));

  // Plain decimal: 0x10 gives 0; versions above 31 are taken.
  tree.SelectItem(tree.Root(1, Table::Bat));
  dlg.SetText(CAddBat::kBouquetId, "0x10");
  dlg.SetText(CAddBat::kVersionNumber, "40");
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(TextOf(LastChild(tree.Root(1, Table::Bat))), "tableID: 0x4A,BouquetID:0x0,version_number:0x28");
}

TEST_F(BatDialogsTest, GatherDefaultsToTransportStreams) {
  const auto s = AddBatSection(0x1001, false);
  tree.SelectItem(s.item);
  CBATAddGather dlg(tree, ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Descriptors");
  EXPECT_EQ(dlg.ComboIndex(CBATAddGather::kType), -1);
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(tree.KindOf(tree.GetNextSiblingItem(s.loopLine)), NodeKind::BatTransportStreamList);
  tree.SelectItem(s.item);
  dlg.SetComboIndex(CBATAddGather::kType, 0);
  ASSERT_TRUE(dlg.OnOK());
  const ItemHandle bouquet = tree.GetNextSiblingItem(s.descriptorsLine);
  EXPECT_EQ(TextOf(bouquet), "bouquet_descriptors");
  EXPECT_EQ(tree.KindOf(bouquet), NodeKind::BatBouquetDescriptorList);
  tree.SelectItem(s.item);
  const std::string before = Snapshot();
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "bouqet_descriptors is exist!");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(BatDialogsTest, BouquetNameAddAndModify) {
  const auto s = AddBatSection();
  ASSERT_TRUE(AddBouquetDescriptor(s.descriptors, CBATAddBouquetDes::kBouquetNamePage, [](CBATAddBouquetDes& d) {
    EXPECT_EQ(d.BouquetNamePage().Text(CBATAddBouquetName::kTag), "0x47");
    d.BouquetNamePage().SetText(CBATAddBouquetName::kName, "abcd");
  }));
  const ItemHandle name = LastChild(s.descriptors);
  EXPECT_EQ(Lines(name),
            "descriptor_tag: 0x47 =>bouquet_name_descriptor\n  descriptor_length: 0x4\n  bouquet_name: abcd\n");
  EXPECT_EQ(tree.KindOf(name), NodeKind::BatBouquetName);
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 6);
  EXPECT_EQ(TextOf(s.descriptorsLine), "bouquet_descriptors_length: 0x6");

  // Modify from 4 to 6 bytes: the loop grows by 2, the name is replaced.
  tree.SelectItem(name);
  CBATAddBouquetDes modify(tree, ui);
  modify.add = 0;
  modify.OnInitDialog();
  EXPECT_EQ(modify.BouquetNamePage().Text(CBATAddBouquetName::kName), "abcd");
  modify.BouquetNamePage().SetText(CBATAddBouquetName::kName, "abcdef");
  ASSERT_TRUE(modify.OnOK());
  ASSERT_EQ(tree.ChildCount(s.descriptors), 1);
  EXPECT_EQ(PayloadOf<NameDescriptor>(LastChild(s.descriptors)).length, 6);
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 8);
  EXPECT_EQ(TextOf(s.descriptorsLine), "bouquet_descriptors_length: 0x8");

  const BuiltTable built = BuildWellFormed(Table::Bat);
  EXPECT_NE(Hex(built.section).find("F0 08 47 06 61 62 63 64 65 66 F0 00"), std::string::npos);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  DecodeWith(decoded.first.at(0), dvbpsi_DecodeBouquetNameDr, [](const dvbpsi_bouquet_name_dr_t* b) {
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b->i_char), b->i_name_length), "abcdef");
  });
#endif
}

TEST_F(BatDialogsTest, BouquetNameModifyShowsTheDecodedName) {
  SetTextCode(10);
  const auto s = AddBatSection();
  ASSERT_TRUE(AddBouquetDescriptor(s.descriptors, CBATAddBouquetDes::kBouquetNamePage, [](CBATAddBouquetDes& d) {
    d.BouquetNamePage().SetText(CBATAddBouquetName::kName, "ab");
  }));
  EXPECT_EQ(Hex(PayloadOf<NameDescriptor>(LastChild(s.descriptors)).name.data(), 5), "14 00 61 00 62");
  tree.SelectItem(LastChild(s.descriptors));
  CBATAddBouquetDes modify(tree, ui);
  modify.add = 0;
  modify.OnInitDialog();
  EXPECT_EQ(modify.BouquetNamePage().Text(CBATAddBouquetName::kName), "ab");
}

TEST_F(BatDialogsTest, BouquetNameRefusals) {
  const auto s = AddBatSection();
  const std::string before = Snapshot();
  EXPECT_FALSE(AddBouquetDescriptor(s.descriptors, CBATAddBouquetDes::kBouquetNamePage, [](CBATAddBouquetDes&) {}));
  EXPECT_EQ(ui.LastText(), "bouquet_name can not be null!");
  EXPECT_FALSE(AddBouquetDescriptor(s.descriptors, CBATAddBouquetDes::kBouquetNamePage, [](CBATAddBouquetDes& d) {
    d.BouquetNamePage().SetText(CBATAddBouquetName::kName, std::string(256, 'x'));
  }));
  EXPECT_EQ(ui.LastText(), "bouquet_name can't be longer than 255 bytes!");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(BatDialogsTest, OtherDescriptorInTheBouquetLoop) {
  const auto s = AddBatSection();
  ASSERT_TRUE(AddBouquetDescriptor(s.descriptors, CBATAddBouquetDes::kOtherPage,
                                   [](CBATAddBouquetDes& d) { FillHex(d.OtherPage(), "0x5f", "2", "0a0b"); }));
  const ItemHandle d = LastChild(s.descriptors);
  EXPECT_EQ(Lines(d), "descriptor_tag: 0x5f\n  descriptor_length: 0x2\n  data: 0a 0b \n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::BatDescriptor);
  EXPECT_EQ(TextOf(s.descriptorsLine), "bouquet_descriptors_length: 0x4");

  // Modify through the stream dialog: the page runs in bouquet-loop mode.
  tree.SelectItem(d);
  CBATAddStreamDes modify(tree, ui);
  modify.otherModify = 1;
  modify.OnInitDialog();
  EXPECT_EQ(modify.Sheet().GetCurSel(), CBATAddStreamDes::kOtherPage);
  EXPECT_EQ(modify.OtherPage().loopMode, CBATAddUndefDes::kBouquetLoop);
  EXPECT_EQ(modify.OtherPage().Text(HexDescriptorPage::kTag), "0x5f");
  EXPECT_EQ(modify.OtherPage().Text(HexDescriptorPage::kLength), "0x2");
  EXPECT_EQ(modify.OtherPage().Text(HexDescriptorPage::kData), " 0a 0b");
  modify.OtherPage().SetText(HexDescriptorPage::kLength, "1");
  ASSERT_TRUE(modify.OnOK());
  ASSERT_EQ(tree.ChildCount(s.descriptors), 1);
  EXPECT_EQ(Hex(PayloadOf<GenericDescriptor>(LastChild(s.descriptors)).data), "0A");
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 3);
  EXPECT_EQ(TextOf(s.descriptorsLine), "bouquet_descriptors_length: 0x3");
  BuildWellFormed(Table::Bat);
}

TEST_F(BatDialogsTest, StreamDescriptorsAddAndModify) {
  const auto s = AddBatSection();
  const auto ts = AddStream(s, 0x0002, 0x3001);
  tree.SelectItem(ts.item);
  {
    CBATAddStreamDes dlg(tree, ui);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.title, "Add Stream Descriptor");
    EXPECT_STREQ(dlg.Sheet().Title(0), "Other Descriptor");
    EXPECT_STREQ(dlg.Sheet().Title(1), "ServiceList");
    EXPECT_EQ(dlg.Sheet().TemplateIdOf(0), 4043u);
    EXPECT_EQ(dlg.Sheet().TemplateIdOf(1), 4031u);
    EXPECT_EQ(dlg.ServiceListPage().familyMode, CDlgNITAddServiceList::kBatMode);
    FillHex(dlg.OtherPage(), "0x5f", "3", "010203");
    ASSERT_TRUE(dlg.OnOK());
  }
  const ItemHandle holder = LastChild(ts.item);
  EXPECT_EQ(tree.KindOf(holder), NodeKind::BatTransportDescriptorList);
  EXPECT_EQ(Entry(ts.item).transport_descriptors_length.get(), 5);
  EXPECT_EQ(TextOf(ts.lengthLine), "transport_descriptors_length: 0x5");
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 11);
  EXPECT_EQ(TextOf(s.loopLine), "transport_stream_loop_length: 0xb");

  // A service list beside it, then modified to two services.
  tree.SelectItem(ts.item);
  {
    CBATAddStreamDes dlg(tree, ui);
    dlg.OnInitDialog();
    dlg.Sheet().SetCurSel(CBATAddStreamDes::kServiceListPage);
    auto& list = dlg.ServiceListPage();
    list.SetText(EntryListPage::kServiceId, "0x0101");
    list.SetComboIndex(CDlgNITAddServiceList::kServiceType, 1);
    list.OnCommand(EntryListPage::kAddRow);
    ASSERT_TRUE(dlg.OnOK());
  }
  tree.SelectItem(LastChild(holder));
  {
    CBATAddStreamDes dlg(tree, ui);
    dlg.serviceListModify = 1;
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.Sheet().GetCurSel(), CBATAddStreamDes::kServiceListPage);
    auto& list = dlg.ServiceListPage();
    ASSERT_EQ(list.Rows(EntryListPage::kList).size(), 1u);
    list.SetText(EntryListPage::kServiceId, "0x0102");
    list.OnCommand(EntryListPage::kAddRow);
    ASSERT_TRUE(dlg.OnOK());
  }
  EXPECT_EQ(Entry(ts.item).transport_descriptors_length.get(), 13);
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 19);

  // The hex descriptor modified in the transport loop.
  tree.SelectItem(Child(holder, 0));
  {
    CBATAddStreamDes dlg(tree, ui);
    dlg.otherModify = 1;
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.OtherPage().loopMode, CBATAddUndefDes::kTransportLoop);
    FillHex(dlg.OtherPage(), "0x5f", "5", "0102030405");
    ASSERT_TRUE(dlg.OnOK());
  }
  EXPECT_EQ(tree.ChildCount(holder), 2);
  EXPECT_EQ(Entry(ts.item).transport_descriptors_length.get(), 15);
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 21);

  const BuiltTable built = BuildWellFormed(Table::Bat);
  EXPECT_NE(Hex(built.section).find("00 02 30 01 F0 0F 41 06 01 01 01 01 02 00 5F 05 01 02 03 04 05"),
            std::string::npos);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  ASSERT_EQ(decoded.streams.size(), 1u);
  EXPECT_EQ(decoded.streams[0].tsid, 0x0002);
  ASSERT_EQ(decoded.streams[0].descriptors.size(), 2u);
  DecodeWith(decoded.streams[0].descriptors[0], dvbpsi_DecodeServiceListDr, [](const dvbpsi_service_list_dr_t* l) {
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->i_service_count, 2);
    EXPECT_EQ(l->i_service[1].i_service_id, 0x0102);
  });
#endif
}

TEST_F(BatDialogsTest, WholeBatFromTheDialogs) {
  tree.SelectItem(tree.Root(1, Table::Bat));
  CAddBat add(tree, ui);
  add.SetText(CAddBat::kBouquetId, "4097");
  add.SetText(CAddBat::kVersionNumber, "2");
  ASSERT_TRUE(add.OnOK());
  const ItemHandle s = tree.GetSelectedItem();
  CBATAddGather gather(tree, ui);
  ASSERT_TRUE(gather.OnOK());
  const ItemHandle streams = tree.GetSelectedItem();
  CNITAddTranStream ts(tree, ui);
  ts.familyMode = CNITAddTranStream::kBatMode;
  ts.SetText(CNITAddTranStream::kTransportStreamId, "7");
  ts.SetText(CNITAddTranStream::kOriginalNetworkId, "0x3001");
  ASSERT_TRUE(ts.OnOK());
  EXPECT_EQ(TextOf(tree.GetPrevSiblingItem(streams)), "stransport_stream_loop_length: 0x6");
  EXPECT_EQ(Header(s).transport_stream_loop_length.get(), 6);
  const BuiltTable built = BuildWellFormed(Table::Bat);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  EXPECT_EQ(decoded.id, 4097);
  EXPECT_EQ(decoded.version, 2);
  ASSERT_EQ(decoded.streams.size(), 1u);
  EXPECT_EQ(decoded.streams[0].tsid, 7);
  EXPECT_EQ(decoded.streams[0].onid, 0x3001);
#endif
}

}  // namespace
}  // namespace quorvelin::test
