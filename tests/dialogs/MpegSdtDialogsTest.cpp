// CSDTAdd, CDlgModifySdtSection and CSDTAddService.
#include "MpegFixture.h"
#include "dialogs/mpeg/CDlgModifySdtSection.h"
#include "dialogs/mpeg/CSDTAdd.h"
#include "dialogs/mpeg/CSDTAddService.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

namespace ids = mpeg_ids;
namespace svc = mpeg_ids::sdt_service;

TEST(CSDTAdd, KeepsBothTextsForTheCreation) {
  MpegTree t;
  CSDTAdd dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add SDT");
  dlg.SetText(ids::sdt_add::kTransportStreamId, " ");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "transprot_stream_id can not be null!", ids::sdt_add::kTransportStreamId);
  t.ui.messages.clear();
  dlg.SetText(ids::sdt_add::kTransportStreamId, "10 ");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "original_netwrok_id can not be null!", ids::sdt_add::kOriginalNetworkId);
  dlg.SetText(ids::sdt_add::kOriginalNetworkId, "0x20");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(dlg.transportStreamId, "10");  // the creation reads it with ParseNumber: decimal 10
  EXPECT_EQ(dlg.originalNetworkId, "0x20");
}

TEST(CDlgModifySdtSection, ReadsHexadecimalAndRewritesBothLines) {
  MpegTree t;
  const ItemHandle section = t.Select(t.AddSdt(1, 0x11, 0x22));
  CDlgModifySdtSection dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "ModifySection");
  EXPECT_EQ(dlg.Text(ids::sdt_section::kTransportStreamId), "0x11");
  EXPECT_EQ(dlg.Text(ids::sdt_section::kOriginalNetworkId), "0x22");
  EXPECT_EQ(dlg.focusId, ids::sdt_section::kTransportStreamId);

  const std::string before = t.Snapshot();
  dlg.SetText(ids::sdt_section::kOriginalNetworkId, "\t");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Orignal_network_id can't be NULL!", ids::sdt_section::kOriginalNetworkId);
  dlg.SetText(ids::sdt_section::kTransportStreamId, "");
  t.ui.messages.clear();
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Tranport_stream_id can't be NULL!", ids::sdt_section::kTransportStreamId);
  EXPECT_EQ(t.Snapshot(), before);

  dlg.SetText(ids::sdt_section::kTransportStreamId, "10");  // 0x10
  dlg.SetText(ids::sdt_section::kOriginalNetworkId, "0x12345");
  EXPECT_TRUE(dlg.OnOK());
  const SdtSectionHeader* h = t.Record(section).As<SdtSectionHeader>();
  EXPECT_EQ(h->transport_stream_id, 0x10);
  EXPECT_EQ(h->original_network_id, 0x2345);
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {3})), "tranport_stream_id: 0x10");
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {8})), "original_network_id: 0x2345");
}

CSDTAddService& Fill(CSDTAddService& dlg, const char* id, const char* running, int schedule, int pf, int freeCa) {
  dlg.SetText(svc::kServiceId, id);
  dlg.SetText(svc::kRunningStatus, running);
  dlg.SetCheck(svc::kEitSchedule, schedule);
  dlg.SetCheck(svc::kEitPresentFollowing, pf);
  dlg.SetCheck(svc::kFreeCaMode, freeCa);
  return dlg;
}

TEST(CSDTAddService, AddInsertsTheServiceWithItsFiveLines) {
  MpegTree t;
  const ItemHandle services = t.Select(t.At(t.AddSdt(1, 1, 2), {9}));
  CSDTAddService dlg(t.tree, t.ui, true);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Service");
  EXPECT_EQ(dlg.Text(svc::kServiceId), "");
  EXPECT_TRUE(Fill(dlg, "0x1f4", "4", 1, 0, 1).OnOK());
  const ItemHandle service = t.tree.GetChildItem(services);
  EXPECT_EQ(DumpTree(t.tree, service),
            "service_id: 0x01f4 (500)\n"
            "  eit_schedule_flag: 0x1\n"
            "  eit_present_following_flag: 0x0\n"
            "  runing_status: 0x4\n"
            "  free_CA_mode: 0x1\n"
            "  descriptors_loop_length: 0x0\n");
  EXPECT_EQ(t.tree.GetSelectedItem(), service);
  EXPECT_TRUE(t.tree.IsExpanded(service));
  const SdtService* s = t.Record(service).As<SdtService>();
  EXPECT_EQ(s->service_id, 500);
  EXPECT_EQ(s->flags, 0x01 | 4 << 2 | 0x20);
  EXPECT_EQ(s->descriptors_loop_length.get(), 0);
  EXPECT_EQ(dlg.eitSchedule, 1);
  EXPECT_EQ(dlg.freeCaMode, 1);
}

TEST(CSDTAddService, RunningStatusLimitLooksAtTheLow16Bits) {
  struct Case {
    const char* running;
    bool accepted;
    int stored;
  } cases[] = {{"7", true, 7}, {"8", false, 0}, {"0x10000", true, 0}, {"0x10007", true, 7}, {"-1", false, 0}};
  for (const Case& c : cases) {
    MpegTree t;
    const ItemHandle services = t.Select(t.At(t.AddSdt(1, 1, 2), {9}));
    const std::string before = t.Snapshot();
    CSDTAddService dlg(t.tree, t.ui, true);
    dlg.OnInitDialog();
    EXPECT_EQ(Fill(dlg, "1", c.running, 0, 0, 0).OnOK(), c.accepted) << c.running;
    if (c.accepted) {
      EXPECT_EQ(t.Record(t.tree.GetChildItem(services)).As<SdtService>()->running_status(), c.stored);
    } else {
      ExpectRefusal(t.ui, dlg, "runing_status's max value is 0x7!", svc::kRunningStatus);
      EXPECT_EQ(t.Snapshot(), before);
    }
  }
}

TEST(CSDTAddService, EmptyFieldsAreRefusedInOrder) {
  for (bool add : {true, false}) {
    MpegTree t;
    const ItemHandle section = t.AddSdt(1, 1, 2, {{7, 4, {}}});
    t.Select(add ? t.At(section, {9}) : t.At(section, {9, 0}));
    const std::string before = t.Snapshot();
    CSDTAddService dlg(t.tree, t.ui, add);
    dlg.OnInitDialog();
    EXPECT_FALSE(Fill(dlg, " ", "", 0, 0, 0).OnOK());
    ExpectRefusal(t.ui, dlg, "service_id can not be null!", svc::kServiceId);
    t.ui.messages.clear();
    EXPECT_FALSE(Fill(dlg, "1", " ", 0, 0, 0).OnOK());
    ExpectRefusal(t.ui, dlg, "runing_status can not be null!", svc::kRunningStatus);
    EXPECT_EQ(t.Snapshot(), before);
  }
}

TEST(CSDTAddService, ModifyRewritesIdAndFlagsAndKeepsTheLoop) {
  MpegTree t;
  const ItemHandle service = t.Select(t.At(t.AddSdt(1, 1, 2, {{0x20, 4, {Descriptor(0x5f, {0, 0, 0, 1})}}}), {9, 0}));
  CSDTAddService dlg(t.tree, t.ui, false);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Modify Service");
  EXPECT_EQ(dlg.Text(svc::kServiceId), "0x0020");
  EXPECT_EQ(dlg.Text(svc::kRunningStatus), "0x4");
  EXPECT_EQ(dlg.Check(svc::kEitSchedule), 0);
  EXPECT_EQ(dlg.Check(svc::kEitPresentFollowing), 1);
  EXPECT_EQ(dlg.Check(svc::kFreeCaMode), 0);
  EXPECT_TRUE(Fill(dlg, "33", "1", 1, 0, 1).OnOK());
  EXPECT_EQ(DumpTree(t.tree, service),
            "service_id: 0x0021 (33)\n"
            "  eit_schedule_flag: 0x1\n"
            "  eit_present_following_flag: 0x0\n"
            "  runing_status: 0x1\n"
            "  free_CA_mode: 0x1\n"
            "  descriptors_loop_length: 0x6\n"
            "  descriptors\n"
            "    descriptor_tag: 0x5f\n"
            "      descriptor_length(byte): 4\n"
            "      descriptor_data(hex): 00 00 00 01\n");
  const SdtService* s = t.Record(service).As<SdtService>();
  EXPECT_EQ(s->service_id, 33);
  EXPECT_EQ(s->flags, 0x01 | 1 << 2 | 0x20);
  EXPECT_EQ(s->descriptors_loop_length.get(), 6);
}

}  // namespace
}  // namespace quorvelin::test
