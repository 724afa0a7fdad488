#include "dialogs/mpeg/CPATAddPrg.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/PmtSections.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::pat_program;

CPATAddPrg::CPATAddPrg(TableTreeCtrl& tree, Ui& ui, bool add) : Form(kTemplate, ui), tree_(tree), add_(add) {}

void CPATAddPrg::OnInitDialog() {
  Form::OnInitDialog();
  SetText(kProgramNumberLabel, "ProgramNumber:");
  SetText(kPidLabel, "ProgramPID:");
  SetButtonsOkCancel();
  if (add_) {
    title = "Add Program";
    return;
  }
  title = "Modify Program";
  if (const auto* p = SelectedPayload<PatProgram>(tree_, NodeKind::PatProgram)) {
    SetText(kProgramNumber, Format("0x%x", p->program_number));
    SetText(kPid, Format("0x%x", p->pid.get()));
  }
}

bool CPATAddPrg::OnOK() {
  const std::string numberText = TrimmedText(kProgramNumber);
  if (numberText.empty()) return Refuse("ProgramNumber can not be null!", kProgramNumber);
  const std::string pidText = TrimmedText(kPid);
  if (pidText.empty()) return Refuse("ProgramPID can not be null!", kPid);
  const auto number = ReadField(*this, kProgramNumber, kIdField);
  if (!number) return false;
  const auto pid = ReadField(*this, kPid, kPidField);
  if (!pid) return false;

  const ItemHandle target = tree_.GetSelectedItem();
  PatProgram program;
  uint16_t oldNumber = 0;
  if (!add_) {
    const auto* current = SelectedPayload<PatProgram>(tree_, NodeKind::PatProgram);
    if (!current) return true;  // nothing to modify
    program = *current;
    oldNumber = current->program_number;
  } else if (tree_.KindOf(target) != NodeKind::PatProgramList) {
    return true;  // nothing to add to
  }
  program.program_number = static_cast<uint16_t>(*number);
  program.pid.set(*pid);
  const std::string line = Format("program_number: 0x%x (%d) => PID: 0x%x (%d)", program.program_number,
                                  program.program_number, program.pid.get(), program.pid.get());

  if (add_) {
    const ItemHandle item = tree_.InsertRecordItem(line, kImageLine, target, MakeRecord(NodeKind::PatProgram, program));
    tree_.SelectItem(item);
    tree_.SetItemText(target, Format("programs:%d", tree_.ChildCount(target)));
  } else {
    *SelectedPayload<PatProgram>(tree_, NodeKind::PatProgram) = program;
    tree_.SetItemText(target, line);
    FollowInPmt(tree_.PortOf(target), oldNumber, program);
  }
  return true;
}

void CPATAddPrg::FollowInPmt(int port, uint16_t oldNumber, const PatProgram& program) {
  const ItemHandle pmtRoot = tree_.Root(port, Table::Pmt);
  if (pmtRoot == kNoItem) return;
  for (ItemHandle item = tree_.GetChildItem(pmtRoot); item != kNoItem; item = tree_.GetNextSiblingItem(item)) {
    NodeRecord* section = tree_.RecordOf(tree_.GetChildItem(item));
    auto* header = section ? section->As<PmtSectionHeader>() : nullptr;
    if (!header || header->program_number() != oldNumber) continue;
    header->program_number() = program.program_number;
    header->pmt_pid.set(program.pid.get());
    tree_.SetItemText(item, PmtProgramText(program.program_number, program.pid.get()));
    RewriteChild(tree_, tree_.GetChildItem(item), 3, Format("program_number: 0x%x", program.program_number));
    return;
  }
}

}  // namespace quorvelin
