#include "commands/DeleteNode.h"

#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"

namespace quorvelin {
namespace {

using K = NodeKind;

bool NeverDeleted(K kind) {
  return IsTableRoot(kind) ? (kind != K::TdtRoot && kind != K::TotRoot)
                           : kind == K::PatProgramList || kind == K::PmtSection || kind == K::SdtServiceList ||
                                 kind == K::BatTransportDescriptorList;
}

bool IsKnownDeletable(K kind) {
  if (IsDescriptorKind(kind)) return true;
  switch (kind) {
    case K::PatSection: case K::PatProgram: case K::PmtProgram: case K::PmtComponent: case K::PmtComponentList:
    case K::SdtSection: case K::SdtService: case K::CatSection: case K::CatDescriptorList: case K::NitSection:
    case K::BatSection: case K::PmtProgramInfoList: case K::PmtEsDescriptorList: case K::SdtServiceDescriptorList:
    case K::NitNetworkDescriptorList: case K::NitTransportStreamList: case K::NitTransportStream:
    case K::NitTransportDescriptorList: case K::BatBouquetDescriptorList: case K::BatTransportStreamList:
    case K::BatTransportStream:
      return true;
    default:
      return false;
  }
}

// The loop below `holder` loses `size` bytes: its length field and line, and for a transport
// stream's descriptors the section's transport_stream_loop_length as well.
void ShrinkLoop(TableTreeCtrl& tree, ItemHandle holder, int size) {
  const K kind = tree.KindOf(holder);
  if (kind == K::NitTransportDescriptorList || kind == K::BatTransportDescriptorList)
    GrowStreamDescriptors(tree, tree.GetParentItem(holder), -size, tree.GetPrevSiblingItem(holder));
  else
    GrowLoop(tree, holder, -size);
}

// An item of a loop takes its bytes out of the loop's length; a loop holder empties its loop.
void FixLengths(TableTreeCtrl& tree, ItemHandle item) {
  const NodeRecord* rec = tree.RecordOf(item);
  if (rec && rec->HasPayload())
    ShrinkLoop(tree, tree.GetParentItem(item), SectionSize(*rec));
  else if (LoopLengthOf(tree, item))
    ShrinkLoop(tree, item, tree.LoopBytes(item));
}

}  // namespace

bool DeleteSelectedNode(TableTreeCtrl& tree, Ui& ui) {
  const ItemHandle item = tree.GetSelectedItem();
  const NodeRecord* rec = tree.RecordOf(item);
  if (!rec) return false;
  const K kind = rec->kind;

  if (kind == K::TdtRoot) {
    tree.DeleteChildren(item);
    return true;
  }
  if (kind == K::TotRoot) {
    const ItemHandle section = tree.GetChildItem(item);
    if (section == kNoItem) return false;
    tree.ReleaseRecords(section);
    tree.DeleteItem(section);
    return true;
  }
  if (NeverDeleted(kind) || !IsKnownDeletable(kind)) return false;
  if (ui.MessageBox("Delete this item and everything under it?", kSystemInfo, MsgIcon::Information,
                    MsgButtons::YesNo) != MsgAnswer::Yes)
    return false;

  // The selection moves on to the next sibling, else the previous one, else the parent.
  ItemHandle next = tree.GetNextSiblingItem(item);
  if (next == kNoItem) next = tree.GetPrevSiblingItem(item);
  if (next == kNoItem) next = tree.GetParentItem(item);
  FixLengths(tree, item);
  tree.ReleaseItemRecords(item);
  tree.DeleteItem(item);
  if (tree.IsValid(next)) tree.SelectItem(next);
  return true;
}

}  // namespace quorvelin
