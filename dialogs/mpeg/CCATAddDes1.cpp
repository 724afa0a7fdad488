#include "dialogs/mpeg/CCATAddDes1.h"

#include "resources/MpegDialogIds.h"

namespace quorvelin {

CCATAddDes1::CCATAddDes1(TableTreeCtrl& tree, Ui& ui) : CaDescriptorForm(mpeg_ids::ca_form::kCatTemplate, tree, ui) {}

bool CCATAddDes1::AddDesc() {
  const std::optional<Input> input = ReadFields();
  if (!input) return false;
  const ItemHandle section = tree_.GetSelectedItem();
  if (tree_.KindOf(section) != NodeKind::CatSection) return true;
  ItemHandle holder = tree_.FindChildOfKind(tree_.GetChildItem(section), NodeKind::CatDescriptorList);
  if (!holder) {
    // just before the last line, "CRC_32: 0x%x"
    const ItemHandle last = tree_.ChildAt(section, tree_.ChildCount(section) - 1);
    const ItemHandle after = last ? tree_.GetPrevSiblingItem(last) : kInsertLast;
    holder = tree_.InsertRecordItem("descriptors", kImageLine, section, MakeHolder(NodeKind::CatDescriptorList),
                                    after ? after : kInsertFirst);
  }
  InsertDescriptor(holder, NodeKind::CatCaDescriptor, *input);
  return true;
}

}  // namespace quorvelin
