#include "dialogs/mpeg/CDlgModifyPmtSection.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/PmtSections.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::pmt_section;

CDlgModifyPmtSection::CDlgModifyPmtSection(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

void CDlgModifyPmtSection::OnInitDialog() {
  Form::OnInitDialog();
  if (const auto* h = SelectedPayload<PmtSectionHeader>(tree_, NodeKind::PmtSection)) {
    SetText(kProgramNumber, Format("0x%x", h->program_number()));
    SetText(kPcrPid, Format("0x%x", h->pcr_pid.get()));
  }
  focusId = kProgramNumber;
}

bool CDlgModifyPmtSection::OnOK() {
  const std::string numberText = TrimmedText(kProgramNumber);
  if (numberText.empty()) return Refuse("ProgramNumber can't be NULL!", kProgramNumber);
  const std::string pcrText = TrimmedText(kPcrPid);
  if (pcrText.empty()) return Refuse("PCR PID can't be NULL!", kPcrPid);
  const auto number = ReadField(*this, kProgramNumber, kIdField);
  if (!number) return false;
  const auto pcr = ReadField(*this, kPcrPid, kPidField);
  if (!pcr) return false;
  auto* h = SelectedPayload<PmtSectionHeader>(tree_, NodeKind::PmtSection);
  if (!h) return true;
  h->program_number() = static_cast<uint16_t>(*number);
  h->pcr_pid.set(*pcr);
  const ItemHandle section = tree_.GetSelectedItem();
  RewriteChild(tree_, section, 3, Format("program_number: 0x%x", h->program_number()));
  tree_.SetItemText(tree_.GetParentItem(section), PmtProgramText(h->program_number(), h->pmt_pid.get()));
  RewriteChild(tree_, section, 8, Format("PCR_PID: 0x%x", h->pcr_pid.get()));
  return true;
}

}  // namespace quorvelin
