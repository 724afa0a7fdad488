#include "dialogs/mpeg/CPMTAddPrg.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/PmtSections.h"
#include "sections/TableIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::pmt_program;

// The header of a new PMT section: version 1, current, one section, no descriptors yet.
PmtSectionHeader NewPmtHeader(uint16_t programNumber, uint32_t pcrPid, uint32_t pmtPid) {
  PmtSectionHeader h;
  h.table_id = kPmtTableId;
  h.section_syntax_indicator = 1;
  h.program_number() = programNumber;
  h.set_version(1);
  h.set_cni(1);
  h.pcr_pid.set(pcrPid);
  h.pmt_pid.set(pmtPid);
  return h;
}

}  // namespace

CPMTAddPrg::CPMTAddPrg(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

void CPMTAddPrg::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Program";
}

bool CPMTAddPrg::OnOK() {
  const ItemHandle root = tree_.GetSelectedItem();
  const int port = tree_.GetItemText(tree_.GetParentItem(root)) == "PortB" ? 2 : 1;
  const std::string numberText = TrimmedText(kProgramNumber);
  if (numberText.empty()) return Refuse("Program number can not be null!", kProgramNumber);
  const std::string pcrText = TrimmedText(kPcrPid);
  if (pcrText.empty()) return Refuse("PCR PID can not be null!", kPcrPid);
  const auto programNumber = ReadField(*this, kProgramNumber, kIdField);
  if (!programNumber) return false;
  const auto pcrPid = ReadField(*this, kPcrPid, kPidField);
  if (!pcrPid) return false;
  const int pmtPid = tree_.PidOfProgram(static_cast<int>(*programNumber), port);
  if (pmtPid < 0) return Refuse("This Program is not in PAT,please Add!", kProgramNumber);
  if (tree_.KindOf(root) != NodeKind::PmtRoot) return true;

  const PmtSectionHeader h =
      NewPmtHeader(static_cast<uint16_t>(*programNumber), *pcrPid, static_cast<uint32_t>(pmtPid));
  const int number = h.program_number();
  const ItemHandle program =
      tree_.InsertRecordItem(PmtProgramText(number, pmtPid), kImageProgram, root, MakeHolder(NodeKind::PmtProgram));
  const ItemHandle section =
      tree_.InsertRecordItem(Format("Section %d:", 0), kImageSection, program, MakeRecord(NodeKind::PmtSection, h));
  AppendLines(
      tree_, section,
      {Format("table_id: 0x%x", h.table_id), Format("section_syntax_indicator: 0x%x", h.section_syntax_indicator),
       Format("section_length: 0x%x", h.section_length.get()), Format("program_number: 0x%x", number),
       Format("version_number: 0x%x", h.version()), Format("current_next_indicator: 0x%x", h.cni()),
       Format("section_number: 0x%x", h.section_number), Format("last_section_number: 0x%x", h.last_section_number),
       Format("PCR_PID: 0x%x", h.pcr_pid.get()), LengthLineText(kProgramInfoLengthLine, 0),
       Format("CRC_32: 0x%x", 0)});
  tree_.SelectItem(section);
  tree_.Expand(section, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
