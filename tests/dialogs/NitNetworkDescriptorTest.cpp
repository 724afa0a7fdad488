// The NIT network descriptor dialog and its pages: network name (both loops), hex descriptor,
// linkage (NIT and SDT types, add and modify).
#include "NitBatFixture.h"
#include "dialogs/dvb/CNITAddNWDes.h"

namespace quorvelin::test {
namespace {

class NitNetworkDescriptorTest : public NitBatTest {
 protected:
  // The dialog opened on the section's network descriptor holder, on page `page`.
  CNITAddNWDes& Open(const LoopSection& s, int page) {
    tree.SelectItem(s.descriptors);
    dialog.OnInitDialog();
    dialog.Sheet().SetCurSel(page);
    return dialog;
  }

  CNITAddNWDes dialog{tree, ui};
};

TEST_F(NitNetworkDescriptorTest, DialogHasThreePagesInTabOrder) {
  const auto s = AddNitSection();
  Open(s, 0);
  EXPECT_EQ(dialog.title, "Add Descriptor");
  EXPECT_EQ(dialog.okText, "Ok");
  CTabSheet& sheet = dialog.Sheet();
  ASSERT_EQ(sheet.PageCount(), 3);
  EXPECT_STREQ(sheet.Title(0), "Network_name Descriptor");
  EXPECT_STREQ(sheet.Title(1), "Network Descriptor");
  EXPECT_STREQ(sheet.Title(2), "Link_age");
  EXPECT_EQ(sheet.TemplateIdOf(0), 4017u);
  EXPECT_EQ(sheet.TemplateIdOf(1), 4019u);
  EXPECT_EQ(sheet.TemplateIdOf(2), 4032u);
  EXPECT_EQ(dialog.TabSheetOf(4013), &sheet);
  EXPECT_EQ(dialog.NetworkNamePage().Text(CNITAddNetworkName::kTag), "0x40");
  // The user may switch pages.
  sheet.OnLButtonDown(2);
  EXPECT_EQ(sheet.GetCurSel(), 2);
}

// --- network name page ---

TEST_F(NitNetworkDescriptorTest, NetworkNameInNetworkLoop) {
  const auto s = AddNitSection();
  auto& page = Open(s, 0).NetworkNamePage();
  page.SetText(CNITAddNetworkName::kName, "abc");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = LastChild(s.descriptors);
  EXPECT_EQ(Lines(d), "descriptor_tag: 0x40\n  descriptor_length: 0x3\n  network_name: abc\n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitNetworkName);
  const auto& name = PayloadOf<NameDescriptor>(d);
  EXPECT_EQ(name.length, 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(name.name.data())), "abc");
  EXPECT_EQ(Header(s.item).descriptors_length.word, 0xF005);
  EXPECT_EQ(TextOf(s.descriptorsLine), "network_descriptors_length: 0x5");
  EXPECT_TRUE(tree.IsExpanded(s.descriptors));
  EXPECT_TRUE(tree.IsExpanded(d));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(NitNetworkDescriptorTest, NetworkNameInTransportLoopCreatesHolder) {
  const auto s = AddNitSection();
  const auto ts = AddStream(s);
  CNITAddNetworkName page(tree, ui);
  page.loopMode = CNITAddNetworkName::kTransportLoop;
  page.OnInitDialog();
  page.SetText(CNITAddNetworkName::kName, "Net1");
  tree.SelectItem(ts.item);
  ASSERT_TRUE(page.AddDesc());
  const ItemHandle holder = LastChild(ts.item);
  EXPECT_EQ(TextOf(holder), "transport_descriptors");
  EXPECT_EQ(tree.KindOf(holder), NodeKind::NitTransportDescriptorList);
  EXPECT_EQ(tree.GetItemImage(holder), kImageLine);
  EXPECT_EQ(tree.KindOf(LastChild(holder)), NodeKind::NitTransportNetworkName);
  EXPECT_EQ(Entry(ts.item).transport_descriptors_length.get(), 6);
  EXPECT_EQ(TextOf(ts.lengthLine), "transport_descriptors_length: 0x6");
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 12);
  EXPECT_EQ(TextOf(s.loopLine), "transport_stream_loop_length: 0xc");

  // A second name goes into the same holder.
  page.SetText(CNITAddNetworkName::kName, "N");
  ASSERT_TRUE(page.AddDesc());
  EXPECT_EQ(tree.ChildCount(ts.item), 3);
  EXPECT_EQ(tree.ChildCount(holder), 2);
  EXPECT_EQ(Entry(ts.item).transport_descriptors_length.get(), 9);
  EXPECT_EQ(Header(s.item).transport_stream_loop_length.get(), 15);
}

TEST_F(NitNetworkDescriptorTest, NetworkNameEncodedWithSelectorByte) {
  SetTextCode(10);
  const auto s = AddNitSection();
  auto& page = Open(s, 0).NetworkNamePage();
  page.SetText(CNITAddNetworkName::kName, "ab");
  ASSERT_TRUE(dialog.OnOK());
  const auto& name = PayloadOf<NameDescriptor>(LastChild(s.descriptors));
  EXPECT_EQ(Hex(name.name.data(), name.length), "14 00 61 00 62");
  EXPECT_EQ(TextOf(Child(LastChild(s.descriptors), 0)), "descriptor_length: 0x5");
  EXPECT_EQ(TextOf(Child(LastChild(s.descriptors), 1)), "network_name: ab");
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 7);
}

TEST_F(NitNetworkDescriptorTest, NetworkNameLengthLimit) {
  const auto s = AddNitSection();
  auto& page = Open(s, 0).NetworkNamePage();
  page.SetText(CNITAddNetworkName::kName, std::string(255, 'n'));
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(PayloadOf<NameDescriptor>(LastChild(s.descriptors)).length, 255);

  const std::string before = Snapshot();
  page.SetText(CNITAddNetworkName::kName, std::string(256, 'n'));
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "network_name can't be longer than 255 bytes!");
  EXPECT_EQ(page.focusId, CNITAddNetworkName::kName);
  EXPECT_EQ(Snapshot(), before);

  // 128 characters fit as typed but not as UCS-2.
  SetTextCode(1);
  page.SetText(CNITAddNetworkName::kName, std::string(128, 'n'));
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(NitNetworkDescriptorTest, NetworkNameEmptyFieldsRefused) {
  const auto s = AddNitSection();
  auto& page = Open(s, 0).NetworkNamePage();
  const std::string before = Snapshot();
  page.SetText(CNITAddNetworkName::kName, "   ");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "network_name can not be null!");
  EXPECT_EQ(ui.messages.back().caption, "SystemInfo");
  EXPECT_EQ(ui.messages.back().icon, MsgIcon::Information);
  EXPECT_EQ(page.focusId, CNITAddNetworkName::kName);
  page.SetText(CNITAddNetworkName::kTag, "");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "descriptor_tag can not be null!");
  EXPECT_EQ(page.focusId, CNITAddNetworkName::kTag);
  EXPECT_EQ(Snapshot(), before);
}

// --- hex descriptor page ---

TEST_F(NitNetworkDescriptorTest, HexDescriptorTakesTheTypedLength) {
  const auto s = AddNitSection();
  auto& page = Open(s, 1).NetworkDescriptorPage();
  page.SetText(HexDescriptorPage::kTag, "0x5f");
  page.SetText(HexDescriptorPage::kLength, "3");
  page.SetText(HexDescriptorPage::kData, "01 02");
  const std::string before = Snapshot();
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "The data is error!");
  EXPECT_EQ(ui.messages.back().caption, kApplicationTitle);
  EXPECT_EQ(page.focusId, HexDescriptorPage::kData);
  EXPECT_EQ(Snapshot(), before);

  page.SetText(HexDescriptorPage::kData, "010203FF");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = LastChild(s.descriptors);
  EXPECT_EQ(Lines(d), "descriptor_tag: 0x5f\n  descriptor_length: 0x3\n  data: 01 02 03 \n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitNetworkDescriptor);
  EXPECT_EQ(Hex(PayloadOf<GenericDescriptor>(d).data), "01 02 03");
  EXPECT_EQ(TextOf(s.descriptorsLine), "network_descriptors_length: 0x5");
}

// --- linkage page ---

TEST_F(NitNetworkDescriptorTest, LinkageWithoutPrivateData) {
  const auto s = AddNitSection();
  auto& page = Open(s, 2).LinkagePage();
  EXPECT_EQ(page.Text(CDlgNITLinkage::kTag), "0x4A");
  EXPECT_FALSE(page.Value(CDlgNITLinkage::kTag).enabled);
  page.SetText(CDlgNITLinkage::kTransportStreamId, "0x10");
  page.SetText(CDlgNITLinkage::kOriginalNetworkId, "0x3001");
  page.SetText(CDlgNITLinkage::kServiceId, "257");
  page.SetComboIndex(CDlgNITLinkage::kLinkageType, 9);
  page.SetText(CDlgNITLinkage::kDataLength, "0");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = LastChild(s.descriptors);
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x4a =>link_age_descriptor\n"
            "  descriptor_length(byte): 7\n"
            "  transport_stream_id(byte): 0x10(16)\n"
            "  original_network_id(byte): 0x3001(12289)\n"
            "  service_id(byte): 0x101(257)\n"
            "  link_type(byte): 0x9(9)\n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitLinkageDescriptor);
  EXPECT_EQ(RecordText(*tree.RecordOf(d)), "513:4a 7 10 3001 101 9 ");
  EXPECT_EQ(Header(s.item).descriptors_length.word, 0xF009);
  EXPECT_EQ(TextOf(s.descriptorsLine), "network_descriptors_length: 0x9");
  EXPECT_FALSE(tree.IsExpanded(s.descriptors));
}

TEST_F(NitNetworkDescriptorTest, LinkageTypedTypeAndPrivateData) {
  const auto s = AddNitSection();
  auto& page = Open(s, 2).LinkagePage();
  page.SetText(CDlgNITLinkage::kLinkageType, "0x80");
  page.SetText(CDlgNITLinkage::kDataLength, "2");
  page.SetText(CDlgNITLinkage::kPrivateData, "ab\r\ncd");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = LastChild(s.descriptors);
  const auto& l = PayloadOf<LinkageDescriptor>(d);
  EXPECT_EQ(l.linkage_type, 0x80);
  EXPECT_EQ(l.length, 9);
  EXPECT_EQ(Hex(l.private_data), "AB CD");
  EXPECT_EQ(TextOf(Child(d, 4)), "link_type(byte): 0x80(128)");
  EXPECT_EQ(Lines(Child(d, 5)), "private_data\n  ab cd \n");
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 11);
}

TEST_F(NitNetworkDescriptorTest, LinkageRefusalsLeaveTreeUnchanged) {
  const auto s = AddNitSection();
  auto& page = Open(s, 2).LinkagePage();
  const std::string before = Snapshot();
  // Short private data: focus only, no message.
  page.SetText(CDlgNITLinkage::kDataLength, "3");
  page.SetText(CDlgNITLinkage::kPrivateData, "0102");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(page.focusId, CDlgNITLinkage::kPrivateData);
  // More private data than the length byte holds.
  page.SetText(CDlgNITLinkage::kDataLength, "249");
  page.SetText(CDlgNITLinkage::kPrivateData, std::string(498, 'a'));
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "DataLength can't be more than 248!");
  EXPECT_EQ(page.focusId, CDlgNITLinkage::kDataLength);
  page.SetText(CDlgNITLinkage::kDataLength, "-1");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(Snapshot(), before);

  page.SetText(CDlgNITLinkage::kDataLength, "248");
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(PayloadOf<LinkageDescriptor>(LastChild(s.descriptors)).length, 255);
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 257);
}

TEST_F(NitNetworkDescriptorTest, LinkageModifyReplacesAndAdjustsByDifference) {
  const auto s = AddNitSection();
  CDlgNITLinkage add(tree, ui);
  add.OnInitDialog();
  tree.SelectItem(s.descriptors);
  add.SetText(CDlgNITLinkage::kDataLength, "1");
  add.SetText(CDlgNITLinkage::kPrivateData, "01");
  ASSERT_TRUE(add.OnBnClickedOk());
  ASSERT_EQ(Header(s.item).descriptors_length.get(), 10);

  CDlgNITLinkage modify(tree, ui);
  modify.OnInitDialog();
  modify.SetModify();
  tree.SelectItem(LastChild(s.descriptors));
  modify.SetText(CDlgNITLinkage::kDataLength, "4");
  modify.SetText(CDlgNITLinkage::kPrivateData, "01020304");
  ASSERT_TRUE(modify.OnOK());
  EXPECT_EQ(tree.ChildCount(s.descriptors), 1);
  EXPECT_EQ(PayloadOf<LinkageDescriptor>(LastChild(s.descriptors)).length, 11);
  EXPECT_EQ(Header(s.item).descriptors_length.get(), 13);
  EXPECT_EQ(TextOf(s.descriptorsLine), "network_descriptors_length: 0xd");
}

TEST_F(NitNetworkDescriptorTest, LinkageForSdtServiceReportsItsSize) {
  const ItemHandle holder = tree.InsertRecordItem("descriptors", kImageLine, tree.Root(1, Table::Sdt),
                                                  MakeHolder(NodeKind::SdtServiceDescriptorList));
  CDlgNITLinkage page(tree, ui);
  page.OnInitDialog();
  page.SetType(CDlgNITLinkage::kSdtServiceLoop);
  page.SetCurItem(holder);
  page.SetText(CDlgNITLinkage::kDataLength, "2");
  page.SetText(CDlgNITLinkage::kPrivateData, "0102");
  ASSERT_TRUE(page.AddDesc());
  EXPECT_EQ(page.GetLength(), 11);
  EXPECT_EQ(tree.KindOf(LastChild(holder)), NodeKind::SdtLinkageDescriptor);

  page.SetText(CDlgNITLinkage::kPrivateData, "01");
  EXPECT_FALSE(page.AddDesc());
  EXPECT_EQ(page.GetLength(), 0);
  EXPECT_EQ(tree.ChildCount(holder), 1);
}

TEST_F(NitNetworkDescriptorTest, FullSectionRefusesEveryPage) {
  const auto s = AddNitSection();
  Header(s.item).transport_stream_loop_length.set(1008 - 9);
  auto& linkage = Open(s, 2).LinkagePage();
  ASSERT_TRUE(dialog.OnOK());  // exactly 1024 bytes
  const std::string before = Snapshot();
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "The section can't be longer than 1024 bytes!");
  EXPECT_EQ(linkage.focusId, CDlgNITLinkage::kDataLength);
  dialog.Sheet().SetCurSel(0);
  dialog.NetworkNamePage().SetText(CNITAddNetworkName::kName, "a");
  EXPECT_FALSE(dialog.OnOK());
  dialog.Sheet().SetCurSel(1);
  auto& hex = dialog.NetworkDescriptorPage();
  hex.SetText(HexDescriptorPage::kTag, "0x5f");
  hex.SetText(HexDescriptorPage::kLength, "0");
  hex.SetText(HexDescriptorPage::kData, "-");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "The section can't be longer than 1024 bytes!");
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace quorvelin::test
