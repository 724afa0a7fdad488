#include "dialogs/mpeg/CSheetSdtAddDes2.h"

#include "resources/MpegDialogIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

CSheetSdtAddDes2::CSheetSdtAddDes2(TableTreeCtrl& tree, Ui& ui)
    : SdtLoopPage(mpeg_ids::sdt_other::kTemplate, tree, ui) {}

bool CSheetSdtAddDes2::AddDesc() {
  added_ = 0;
  std::optional<HexDescriptorInput> input = ReadTypedDescriptor();
  if (!input) return false;
  if (!holder_) return true;
  const GenericDescriptor& d = input->descriptor;
  const ItemHandle item = AddLoopDescriptor(tree_, holder_, *MakeRecord(NodeKind::SdtDescriptor, d));
  tree_.SelectItem(item);
  tree_.Expand(item, ExpandCode::Expand);
  added_ = d.length + 2;
  return true;
}

}  // namespace quorvelin
