#include "dialogs/mpeg/CPMTAddCom.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/PmtSections.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::pmt_component;

CPMTAddCom::CPMTAddCom(TableTreeCtrl& tree, Ui& ui, bool add) : Form(kTemplate, ui), tree_(tree), add_(add) {}

void CPMTAddCom::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = add_ ? "Add Components" : "Modify Component";
  if (add_) return;
  if (const auto* c = SelectedPayload<PmtComponent>(tree_, NodeKind::PmtComponent)) {
    SetText(kStreamType, Format("0x%x", c->stream_type));
    SetText(kElementaryPid, Format("0x%x", c->elementary_pid.get()));
  }
}

bool CPMTAddCom::OnOK() {
  const std::string typeText = TrimmedText(kStreamType);
  if (typeText.empty()) return Refuse("StreamType can not be null!", kStreamType);
  const std::string pidText = TrimmedText(kElementaryPid);
  if (pidText.empty()) return Refuse("Elementary_Pid can not be null!", kElementaryPid);
  const auto streamType = ReadField(*this, kStreamType, kByteField);
  if (!streamType) return false;
  const auto pid = ReadField(*this, kElementaryPid, kPidField);
  if (!pid) return false;

  const ItemHandle target = tree_.GetSelectedItem();
  PmtComponent component;
  if (!add_) {
    const auto* current = SelectedPayload<PmtComponent>(tree_, NodeKind::PmtComponent);
    if (!current) return true;
    component = *current;  // its descriptors and es_info_length stay
  } else if (tree_.KindOf(target) != NodeKind::PmtComponentList) {
    return true;
  }
  component.stream_type = static_cast<uint8_t>(*streamType);
  component.elementary_pid.set(*pid);

  const std::string line = Format("stream_type: 0x%x", component.stream_type);
  const std::string pidLine =
      Format("elementary_PID: 0x%x (%d)", component.elementary_pid.get(), component.elementary_pid.get());
  const int image = ComponentImage(component.stream_type);
  if (add_) {
    const ItemHandle item = tree_.InsertRecordItem(line, image, target, MakeRecord(NodeKind::PmtComponent, component));
    AppendLines(tree_, item, {pidLine, LengthLineText(kEsInfoLengthLine, 0)});
    tree_.SelectItem(item);
  } else {
    *SelectedPayload<PmtComponent>(tree_, NodeKind::PmtComponent) = component;
    tree_.SetItemText(target, line);
    tree_.SetItemImage(target, image, image);
    RewriteChild(tree_, target, 0, pidLine);
  }
  return true;
}

}  // namespace quorvelin
