// Editing a real NIT capture through the dialogs: the parsed branch is modified in place and
// still builds into a section whose lengths agree, up to the 1024-byte limit of a section.
#include "NitBatFixture.h"
#include "NitBatOracle.h"
#include "dialogs/dvb/CDlgNITLinkage.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "sections/NitBatSupport.h"

namespace quorvelin::test {
namespace {

class NitSampleEditTest : public NitBatTest {
 protected:
  void SetUp() override {
    NitBatTest::SetUp();
    const std::vector<uint8_t> packets = testing::SamplePackets("nit_tntv23");
    ASSERT_EQ(ReadNit(tree, 1, packets.size(), packets.data()), 1);
    section = tree.GetChildItem(tree.Root(1, Table::Nit));
    ASSERT_EQ(LoopSectionBytes(Header(section)), 977);
  }

  testing::ScratchDirectory scratch;  // tables/nit.bin and setting.ini land here
  ItemHandle section = kNoItem;
};

TEST_F(NitSampleEditTest, LogicalChannelRowRemovedFromAParsedDescriptor) {
  const ItemHandle lcn = tree.FindChildOfKind(tree.GetChildItem(section), NodeKind::NitLogicalChannels);
  ASSERT_NE(lcn, kNoItem);
  const ItemHandle stream = tree.GetParentItem(tree.GetParentItem(lcn));
  const int entries = PayloadOf<EntryListDescriptor>(lcn).length / 4;
  const int streamBefore = Entry(stream).transport_descriptors_length.get();
  const int loopBefore = Header(section).transport_stream_loop_length.get();

  tree.SelectItem(lcn);
  CNITAddStreamDes dlg(tree, ui);
  dlg.logicalChannelModify = 1;
  dlg.OnInitDialog();
  auto& page = dlg.LogicalChannelPage();
  ASSERT_EQ(static_cast<int>(page.Rows(EntryListPage::kList).size()), entries);
  const std::vector<std::string> second = page.Rows(EntryListPage::kList)[1];
  page.Value(EntryListPage::kList).selectionMark = 0;
  page.OnCommand(EntryListPage::kDeleteRow);
  ASSERT_TRUE(dlg.OnOK());

  EXPECT_EQ(Entry(stream).transport_descriptors_length.get(), streamBefore - 4);
  EXPECT_EQ(TextOf(tree.ChildAt(stream, 1)), Format("transport_descriptor_length: 0x%x", streamBefore - 4));
  EXPECT_EQ(Header(section).transport_stream_loop_length.get(), loopBefore - 4);
  const BuiltTable built = BuildWellFormed(Table::Nit);
  EXPECT_EQ(built.section.size(), 973u);
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(built.packets);
  bool found = false;
  for (const OracleStream& s : decoded.streams)
    for (const OracleDescriptor& d : s.descriptors)
      if (d.tag == 0x83 && !found) {
        found = true;
        DecodeWith(d, dvbpsi_DecodeLCNDr, [&](const dvbpsi_lcn_dr_t* l) {
          ASSERT_NE(l, nullptr);
          EXPECT_EQ(l->i_number_of_entries, entries - 1);
          EXPECT_EQ(std::to_string(l->p_entries[0].i_service_id), second[0]);
          EXPECT_EQ(std::to_string(l->p_entries[0].i_logical_channel_number), second[1]);
        });
      }
  EXPECT_TRUE(found);
#endif
}

TEST_F(NitSampleEditTest, DeliveryDescriptorsUpToTheSectionLimit) {
  const ItemHandle stream = tree.FindChildOfKind(tree.GetChildItem(section), NodeKind::NitTransportStream);
  ASSERT_NE(stream, kNoItem);
  tree.SelectItem(stream);
  CNITAddStreamDes dlg(tree, ui);
  dlg.OnInitDialog();
  auto& cable = dlg.CablePage();
  cable.SetText(CNITAddCable::kFrequency, "474");
  cable.SetText(CNITAddCable::kFecOuter, "2");
  cable.SetText(CNITAddCable::kSymbolRate, "6.875");
  cable.SetText(CNITAddCable::kFecInner, "3");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(dlg.OnOK()) << i;  // 977 + 3 x 13 = 1016 bytes
  const std::string before = Snapshot();
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(ui.LastText(), "The section can't be longer than 1024 bytes!");
  EXPECT_EQ(Snapshot(), before);
  const BuiltTable built = BuildWellFormed(Table::Nit);
  EXPECT_EQ(built.section.size(), 1016u);
#ifdef QUORVELIN_HAVE_DVBPSI
  DecodeOne(built.packets);
#endif
}

TEST_F(NitSampleEditTest, ParsedLinkageReplaced) {
  const ItemHandle linkage = tree.FindChildOfKind(tree.GetChildItem(section), NodeKind::NitLinkageDescriptor);
  ASSERT_NE(linkage, kNoItem);
  const ItemHandle holder = tree.GetParentItem(linkage);
  const int count = tree.ChildCount(holder);
  const int expected =
      Header(section).descriptors_length.get() - (PayloadOf<LinkageDescriptor>(linkage).length + 2) + 9;
  tree.SelectItem(linkage);
  CDlgNITLinkage page(tree, ui);
  page.OnInitDialog();
  page.SetModify();
  page.SetText(CDlgNITLinkage::kTransportStreamId, "1");
  page.SetComboIndex(CDlgNITLinkage::kLinkageType, 4);
  ASSERT_TRUE(page.OnBnClickedOk());
  EXPECT_EQ(tree.ChildCount(holder), count);
  EXPECT_EQ(PayloadOf<LinkageDescriptor>(LastChild(holder)).linkage_type, 4);
  EXPECT_EQ(Header(section).descriptors_length.get(), expected);
  EXPECT_EQ(TextOf(tree.GetPrevSiblingItem(holder)), Format("network_descriptors_length: 0x%x", expected));
  BuildWellFormed(Table::Nit);
}

}  // namespace
}  // namespace quorvelin::test
