// CPATAdd, CPATAddPrg and CDlgModifyTransID on a two-port tree.
#include "MpegFixture.h"
#include "dialogs/mpeg/CDlgModifyTransID.h"
#include "dialogs/mpeg/CPATAdd.h"
#include "dialogs/mpeg/CPATAddPrg.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

namespace prg = mpeg_ids::pat_program;

TEST(CPATAdd, KeepsTheTrimmedTextOrRefusesAnEmptyOne) {
  MpegTree t;
  CPATAdd blank(t.tree, t.ui);
  blank.SetText(mpeg_ids::pat_add::kTransportStreamId, "   ");
  EXPECT_FALSE(InitAndOk(blank));
  ExpectRefusal(t.ui, blank, "transprot_stream_id can not be null!", mpeg_ids::pat_add::kTransportStreamId);
  EXPECT_EQ(blank.title, "Add PAT");
  EXPECT_EQ(blank.okText, "Ok");
  EXPECT_EQ(blank.cancelText, "Cancel");

  CPATAdd typed(t.tree, t.ui);
  typed.OnInitDialog();
  typed.SetText(mpeg_ids::pat_add::kTransportStreamId, " 0x10 ");
  EXPECT_TRUE(typed.OnOK());
  EXPECT_EQ(typed.transportStreamId, "0x10");
}

TEST(CPATAddPrg, AddAppendsTheEntryCountsItAndSelectsIt) {
  MpegTree t;
  const ItemHandle section = t.AddPat(1, 1, {});
  const ItemHandle list = t.Select(t.At(section, {8}));
  CPATAddPrg dlg(t.tree, t.ui, true);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Program");
  EXPECT_EQ(dlg.Text(prg::kProgramNumber), "");
  dlg.SetText(prg::kProgramNumber, "0x10");
  dlg.SetText(prg::kPid, "0x100");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_TRUE(t.ui.messages.empty());
  EXPECT_EQ(t.tree.GetItemText(list), "programs:1");
  const ItemHandle entry = t.tree.GetChildItem(list);
  EXPECT_EQ(t.tree.GetItemText(entry), "program_number: 0x10 (16) => pid: 0x100 (256)");
  EXPECT_EQ(t.tree.GetItemImage(entry), kImageLine);
  EXPECT_EQ(t.tree.GetSelectedItem(), entry);
  const PatProgram* p = t.Record(entry).As<PatProgram>();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->program_number, 0x10);
  EXPECT_EQ(p->pid.get(), 0x100);
}

TEST(CPATAddPrg, DecimalAndHexadecimalAndCutToTheFieldWidths) {
  MpegTree t;
  const ItemHandle list = t.Select(t.At(t.AddPat(1, 1, {{1, 0x100}}), {8}));
  CPATAddPrg dlg(t.tree, t.ui, true);
  dlg.OnInitDialog();
  dlg.SetText(prg::kProgramNumber, "65537");  // cut to 16 bits: 1
  dlg.SetText(prg::kPid, "100");              // decimal 100
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(t.tree.GetItemText(t.tree.ChildAt(list, 1)), "program_number: 0x1 (1) => pid: 0x64 (100)");
  EXPECT_EQ(t.tree.GetItemText(list), "programs:2");

  t.Select(list);
  CPATAddPrg wide(t.tree, t.ui, true);
  wide.OnInitDialog();
  wide.SetText(prg::kProgramNumber, "2");
  wide.SetText(prg::kPid, "0xffff");  // 13 bits of it
  EXPECT_TRUE(wide.OnOK());
  EXPECT_EQ(t.Record(t.tree.ChildAt(list, 2)).As<PatProgram>()->pid.get(), 0x1fff);
}

TEST(CPATAddPrg, RefusalsLeaveTheTreeAsItWas) {
  struct Case {
    bool add;
    const char* number;
    const char* pid;
    const char* message;
    int focus;
  } cases[] = {
      {true, " ", "0x100", "ProgramNumber can not be null!", prg::kProgramNumber},
      {true, "1", "\t", "ProgramPID can not be null!", prg::kPid},
      {false, "", "", "ProgramNumber can not be null!", prg::kProgramNumber},
      {false, "7", "  ", "ProgramPID can not be null!", prg::kPid},
  };
  for (const Case& c : cases) {
    MpegTree t;
    const ItemHandle section = t.AddPat(1, 1, {{1, 0x100}});
    t.Select(c.add ? t.At(section, {8}) : t.At(section, {8, 0}));
    const std::string before = t.Snapshot();
    CPATAddPrg dlg(t.tree, t.ui, c.add);
    dlg.OnInitDialog();
    dlg.SetText(prg::kProgramNumber, c.number);
    dlg.SetText(prg::kPid, c.pid);
    EXPECT_FALSE(dlg.OnOK());
    ExpectRefusal(t.ui, dlg, c.message, c.focus);
    EXPECT_EQ(t.Snapshot(), before);
  }
}

TEST(CPATAddPrg, ModifyShowsTheEntryAndCarriesTheChangeToTheFirstPortsPmt) {
  MpegTree t;
  const ItemHandle pat = t.AddPat(1, 1, {{0, 0x10}, {1, 0x100}, {2, 0x200}});
  const ItemHandle pmt1 = t.AddPmt(1, 1, 0x100, 0x101, {}, {});
  const ItemHandle pmt2 = t.AddPmt(1, 2, 0x200, 0x201, {}, {});
  const ItemHandle entry = t.Select(t.At(pat, {8, 2}));
  t.Record(entry).As<PatProgram>()->pid.word |= 0xE000;  // reserved bits of the word
  CPATAddPrg dlg(t.tree, t.ui, false);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Modify Program");
  EXPECT_EQ(dlg.Text(prg::kProgramNumber), "0x2");
  EXPECT_EQ(dlg.Text(prg::kPid), "0x200");  // the 13 bits, not the reserved ones
  dlg.SetText(prg::kProgramNumber, "0x22");
  dlg.SetText(prg::kPid, "0x222");
  EXPECT_TRUE(dlg.OnOK());

  EXPECT_EQ(t.tree.GetItemText(entry), "program_number: 0x22 (34) => pid: 0x222 (546)");
  const PatProgram* p = t.Record(entry).As<PatProgram>();
  EXPECT_EQ(p->program_number, 0x22);
  EXPECT_EQ(p->pid.word, 0xE222);  // the reserved bits kept
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetParentItem(pmt2)), "program: 0x22 (34) => pid: 0x222 (546)");
  const PmtSectionHeader* h = t.Record(pmt2).As<PmtSectionHeader>();
  EXPECT_EQ(h->program_number(), 0x22);
  EXPECT_EQ(h->pmt_pid.get(), 0x222);
  EXPECT_EQ(t.tree.GetItemText(t.At(pmt2, {3})), "program_number: 0x2");  // the section's lines stay
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetParentItem(pmt1)), "program: 0x1 (1) => pid: 0x100 (256)");
  EXPECT_EQ(t.tree.GetItemText(t.At(pat, {8})), "programs:3");
}

TEST(CPATAddPrg, ModifyWithoutAMatchingPmtChangesOnlyThePat) {
  MpegTree t;
  const ItemHandle pat = t.AddPat(2, 1, {{5, 0x500}});
  t.AddPmt(1, 6, 0x600, 0x601, {}, {});
  t.AddPmt(2, 5, 0x500, 0x501, {}, {});  // the second port's PMT is not followed
  const ItemHandle entry = t.Select(t.At(pat, {8, 0}));
  std::string before = t.Snapshot();
  CPATAddPrg dlg(t.tree, t.ui, false);
  dlg.OnInitDialog();
  dlg.SetText(prg::kProgramNumber, "9");
  EXPECT_TRUE(dlg.OnOK());
  const std::string oldLine = "program_number: 0x5 (5) => pid: 0x500 (1280)";
  const std::string newLine = "program_number: 0x9 (9) => pid: 0x500 (1280)";
  before.replace(before.find(oldLine), oldLine.size(), newLine);
  before.replace(before.find("prog=5 pid=1280"), 15, "prog=9 pid=1280");
  EXPECT_EQ(t.Snapshot(), before);
  EXPECT_EQ(t.tree.GetItemText(entry), newLine);
}

TEST(CDlgModifyTransID, ReadsHexadecimalAndRewritesTheFourthLine) {
  for (const char* typed : {"1000", "0x1000"}) {
    MpegTree t;
    const ItemHandle section = t.Select(t.AddPat(1, 0x22, {}));
    CDlgModifyTransID dlg(t.tree, t.ui);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.title, "ModifySection");
    EXPECT_EQ(dlg.Text(mpeg_ids::transport_id::kTransportStreamId), "0x22");
    EXPECT_EQ(dlg.focusId, mpeg_ids::transport_id::kTransportStreamId);
    dlg.SetText(mpeg_ids::transport_id::kTransportStreamId, typed);
    EXPECT_TRUE(dlg.OnOK());
    EXPECT_EQ(t.Record(section).As<PatSectionHeader>()->transport_stream_id, 0x1000);
    EXPECT_EQ(t.tree.GetItemText(t.At(section, {3})), "transport_stream_id: 0x1000");
  }
  MpegTree t;
  t.Select(t.AddPat(1, 0x22, {}));
  const std::string before = t.Snapshot();
  CDlgModifyTransID dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  dlg.SetText(mpeg_ids::transport_id::kTransportStreamId, " ");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Transport_Stream_id can't be NULL!", mpeg_ids::transport_id::kTransportStreamId);
  EXPECT_EQ(t.Snapshot(), before);
}

}  // namespace
}  // namespace quorvelin::test
