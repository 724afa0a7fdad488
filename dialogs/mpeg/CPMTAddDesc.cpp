#include "dialogs/mpeg/CPMTAddDesc.h"

#include "dialogs/common/HexDescriptorFields.h"
#include "dialogs/mpeg/PmtDescriptorLoops.h"
#include "resources/MpegDialogIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::pmt_other;

CPMTAddDesc::CPMTAddDesc(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(kTemplate, tree, ui) {}

bool CPMTAddDesc::AddDesc() {
  const std::optional<HexDescriptorInput> input = HexDescriptorFields{kTag, kLength, kData}.Read(*this);
  if (!input) return false;
  const ItemHandle selected = tree_.GetSelectedItem();
  const ItemHandle holder = PmtDescriptorHolder(tree_, selected);
  if (!holder) return true;
  const bool programInfo = holder == selected;

  const GenericDescriptor& d = input->descriptor;
  const NodeKind kind = programInfo ? NodeKind::PmtProgramInfoDescriptor : NodeKind::PmtEsDescriptor;
  const ItemHandle item = AddLoopDescriptor(tree_, holder, *MakeRecord(kind, d));
  tree_.Expand(holder, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);

  ItemHandle lengthLine = kNoItem;
  if (programInfo) {  // the section's program_info_length := the bytes of the loop
    if (CountLoop(tree_, holder)) lengthLine = tree_.GetPrevSiblingItem(holder);
  } else {
    lengthLine = UpdateEsInfoLength(tree_, selected, holder);
  }
  if (lengthLine) tree_.SelectItem(lengthLine);
  return true;
}

}  // namespace quorvelin
