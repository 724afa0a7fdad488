// CDlgModifyTranIDNetworkID, CSetChannel and the SetChannel flow.
#include "MpegFixture.h"
#include "dialogs/mpeg/CDlgModifyTranIDNetworkID.h"
#include "dialogs/mpeg/CSetChannel.h"
#include "resources/MpegDialogIds.h"
#include "util/Number.h"

namespace quorvelin::test {
namespace {

namespace tn = mpeg_ids::transport_network_id;
namespace ch = mpeg_ids::channel;

ItemHandle AddNitStream(MpegTree& t, uint16_t tsid, uint16_t onid) {
  const ItemHandle section = t.tree.InsertRecordItem("SECTION:0", kImageLine, t.tree.Root(1, Table::Nit),
                                                     MakeRecord(NodeKind::NitSection, LoopSectionHeader{}));
  const ItemHandle list =
      t.tree.InsertRecordItem("transport_streams", kImageLine, section, MakeHolder(NodeKind::NitTransportStreamList));
  TransportStreamEntry e;
  e.transport_stream_id = tsid;
  e.original_network_id = onid;
  e.transport_descriptors_length.word = 0xF000;
  const ItemHandle stream = t.tree.InsertRecordItem(Format("transport_stream_id: 0x%x", tsid), kImageLine, list,
                                                    MakeRecord(NodeKind::NitTransportStream, e));
  t.tree.InsertLine(Format("original_network_id: 0x%x", onid), stream);
  t.tree.InsertLine("transport_descriptors_length: 0x0", stream);
  return stream;
}

TEST(CDlgModifyTranIDNetworkID, ReadsBothIdsAsHexadecimal) {
  MpegTree t;
  const ItemHandle stream = t.Select(AddNitStream(t, 0x10, 0x20));
  CDlgModifyTranIDNetworkID dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Modify TranID networkID");
  EXPECT_EQ(dlg.Text(tn::kTransportStreamId), "0x10");
  EXPECT_EQ(dlg.Text(tn::kOriginalNetworkId), "0x20");
  EXPECT_EQ(dlg.focusId, tn::kTransportStreamId);
  dlg.SetText(tn::kTransportStreamId, "100");
  dlg.SetText(tn::kOriginalNetworkId, "0x1ffff");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(DumpTree(t.tree, stream),
            "tranport_stream_id: 0x100\n  original_network_id: 0xffff\n  transport_descriptors_length: 0x0\n");
  const TransportStreamEntry* e = t.Record(stream).As<TransportStreamEntry>();
  EXPECT_EQ(e->transport_stream_id, 0x100);
  EXPECT_EQ(e->original_network_id, 0xffff);
  EXPECT_EQ(e->transport_descriptors_length.word, 0xF000);
}

TEST(CDlgModifyTranIDNetworkID, EmptyIdsAreRefused) {
  MpegTree t;
  t.Select(AddNitStream(t, 0x10, 0x20));
  const std::string before = t.Snapshot();
  CDlgModifyTranIDNetworkID dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  dlg.SetText(tn::kOriginalNetworkId, " ");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Orignal_network_id can't be NULL!", tn::kOriginalNetworkId);
  t.ui.messages.clear();
  dlg.SetText(tn::kTransportStreamId, "");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Tranport_stream_id can't be NULL!", tn::kTransportStreamId);
  EXPECT_EQ(t.Snapshot(), before);
}

TEST(CSetChannel, AcceptsOneToThirtyTwo) {
  struct Case {
    const char* typed;
    bool accepted;
    int channel;
  } cases[] = {{"1", true, 1},   {"32", true, 32}, {" 7x", true, 7},  {"0", false, 5},
               {"33", false, 5}, {"", false, 5},   {"0x4", false, 5}, {"-3", false, 5}};
  for (const Case& c : cases) {
    MpegTree t;
    CSetChannel dlg(t.tree, t.ui, 5);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.title, "SetChannel");
    EXPECT_EQ(dlg.Text(ch::kChannel), "5");
    EXPECT_EQ(dlg.focusId, ch::kChannel);
    dlg.SetText(ch::kChannel, c.typed);
    dlg.focusId = 0;
    EXPECT_EQ(dlg.OnOK(), c.accepted) << c.typed;
    EXPECT_EQ(dlg.channel, c.channel);
    if (!c.accepted) {
      ASSERT_EQ(t.ui.messages.size(), 1u);
      EXPECT_EQ(t.ui.messages[0].text, "SetChannel error");
      EXPECT_EQ(t.ui.messages[0].caption, "Error");
      EXPECT_EQ(t.ui.messages[0].icon, MsgIcon::None);
      EXPECT_EQ(dlg.focusId, ch::kChannel);
    }
  }
}

// Plays the user: types `typed` and presses Ok until the dialog closes, or Cancel.
class TypingRunner : public DialogRunner {
 public:
  TypingRunner(const char* typed, bool ok) : typed_(typed), ok_(ok) {}
  bool RunModal(Form& form) override {
    form.OnInitDialog();
    shown = form.Text(ch::kChannel);
    if (!ok_) return false;
    form.SetText(ch::kChannel, typed_);
    return form.OnOK();
  }
  std::string shown;

 private:
  const char* typed_;
  bool ok_;
};

TEST(RunSetChannel, StoresTheConfirmedChannelAndRefreshes) {
  MpegTree t;
  t.tree.channelNumber = 2;
  int refreshes = 0;
  TypingRunner four("4", true);
  EXPECT_TRUE(RunSetChannel(t.tree, t.ui, four, [&] { ++refreshes; }));
  EXPECT_EQ(four.shown, "2");
  EXPECT_EQ(t.tree.channelNumber, 4);
  EXPECT_EQ(refreshes, 1);

  TypingRunner cancel("9", false);
  EXPECT_FALSE(RunSetChannel(t.tree, t.ui, cancel, [&] { ++refreshes; }));
  TypingRunner refused("40", true);
  EXPECT_FALSE(RunSetChannel(t.tree, t.ui, refused, [&] { ++refreshes; }));
  EXPECT_EQ(t.tree.channelNumber, 4);
  EXPECT_EQ(refreshes, 1);
}

}  // namespace
}  // namespace quorvelin::test
