#include "dialogs/dvb/NitBatLoops.h"

#include "sections/descriptors/EditableKinds.h"
#include "util/Number.h"

namespace quorvelin {

ItemHandle FindDescriptorHolder(const TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind) {
  return tree.FindDirectChildOfKind(stream, holderKind);
}

ItemHandle EnsureDescriptorHolder(TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind) {
  if (const ItemHandle holder = FindDescriptorHolder(tree, stream, holderKind)) return holder;
  return tree.InsertRecordItem("transport_descriptors:", kImageLine, stream, MakeHolder(holderKind));
}

std::optional<ReplacedDescriptor> DescriptorToReplace(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind) {
  const NodeRecord* r = tree.RecordOf(item);
  if (!r || r->kind != kind) return std::nullopt;
  const ItemHandle previous = tree.GetPrevSiblingItem(item);
  return ReplacedDescriptor{item, tree.GetParentItem(item), SectionSize(*r), previous ? previous : kInsertFirst};
}

void RemoveItem(TableTreeCtrl& tree, ItemHandle item) {
  if (item == kNoItem) return;
  tree.ReleaseItemRecords(item);
  tree.DeleteItem(item);
}

AppendedDescriptor AppendStreamDescriptor(TableTreeCtrl& tree, const StreamPlace& place, NodeKind holderKind,
                                          const NodeRecord& record, const ReplacedDescriptor& old) {
  AppendedDescriptor out;
  const int size = SectionSize(record);
  out.holder = old.item ? old.holder : EnsureDescriptorHolder(tree, place.stream, holderKind);
  out.item = PutDescriptor(tree, out.holder, record, old);
  GrowStreamDescriptors(tree, place.stream, size - old.size, tree.GetPrevSiblingItem(out.holder));
  return out;
}

ItemHandle PutDescriptor(TableTreeCtrl& tree, ItemHandle parent, const NodeRecord& record,
                         const ReplacedDescriptor& old) {
  RemoveItem(tree, old.item);
  return AddLoopDescriptor(tree, parent, record, old.after);
}

}  // namespace quorvelin

#include "dialogs/common/Form.h"

namespace quorvelin {

bool AddLoopHolder(Form& form, TableTreeCtrl& tree, ItemHandle section, const LoopHolderSpec& holderSpec, int focus) {
  if (tree.FindDirectChildOfKind(section, holderSpec.kind) != kNoItem)
    return form.Refuse(holderSpec.existsMessage, focus);
  for (ItemHandle line = tree.GetChildItem(section); line != kNoItem; line = tree.GetNextSiblingItem(line)) {
    if (tree.GetItemText(line).find(holderSpec.lengthText) == std::string::npos) continue;
    const ItemHandle holder =
        tree.InsertRecordItem(holderSpec.itemText, kImageLine, section, MakeHolder(holderSpec.kind), line);
    tree.SelectItem(holder);
    return true;
  }
  return true;
}

}  // namespace quorvelin
