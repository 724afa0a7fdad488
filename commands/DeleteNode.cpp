#include "commands/DeleteNode.h"

#include "tree/LoopLengths.h"

namespace quorvelin {
namespace {

using K = NodeKind;

// A descriptor of a NIT or BAT transport stream's loop `holder`: the stream's length, shown on
// `line`, and the section's stream loop length drop by its size.
void DropTransportDescriptor(TableTreeCtrl& tree, ItemHandle holder, int size, const char* format, ItemHandle line) {
  GrowStreamDescriptors(tree, tree.GetParentItem(holder), -size, line, format);
}

// The stream's line after original_network_id.
ItemHandle SecondLine(const TableTreeCtrl& tree, ItemHandle holder) { return tree.ChildAt(tree.GetParentItem(holder), 1); }

bool NeverDeleted(K kind) {
  return IsTableRoot(kind) ? (kind != K::TdtRoot && kind != K::TotRoot)
                           : kind == K::PatProgramList || kind == K::PmtSection || kind == K::SdtServiceList ||
                                 kind == K::BatTransportDescriptorList;
}

bool IsKnownDeletable(K kind) {
  switch (kind) {
    case K::PatSection: case K::PatProgram: case K::PmtProgram: case K::PmtComponent: case K::PmtComponentList:
    case K::SdtSection: case K::SdtService: case K::CatSection: case K::CatDescriptorList: case K::CatCaDescriptor:
    case K::CatDescriptor: case K::NitSection: case K::BatSection: case K::PmtProgramInfoDescriptor:
    case K::PmtEsDescriptor: case K::PmtCaDescriptor: case K::PmtProgramInfoList: case K::PmtEsDescriptorList:
    case K::SdtServiceDescriptor: case K::SdtDescriptor: case K::SdtLinkageDescriptor:
    case K::SdtServiceDescriptorList: case K::NitNetworkName:
    case K::NitNetworkDescriptor: case K::NitLinkageDescriptor: case K::NitServiceList:
    case K::NitNetworkDescriptorList: case K::NitTransportStreamList: case K::NitTransportStream:
    case K::NitTransportDescriptorList: case K::NitTransportDescriptor: case K::NitCableDelivery:
    case K::NitTerrestrialDelivery: case K::NitSatelliteDelivery: case K::NitTransportNetworkName:
    case K::NitLogicalChannels: case K::BatBouquetDescriptorList: case K::BatBouquetName: case K::BatServiceList:
    case K::BatDescriptor: case K::BatTransportStreamList: case K::BatTransportStream:
      return true;
    default:
      return false;
  }
}

void FixLengths(TableTreeCtrl& tree, ItemHandle item, K kind) {
  const ItemHandle parent = tree.GetParentItem(item);
  const K parentKind = tree.KindOf(parent);
  const NodeRecord* rec = tree.RecordOf(item);
  const int size = rec ? SectionSize(*rec) : 0;
  const int sum = tree.LoopBytes(item);

  switch (kind) {
    case K::PmtProgramInfoDescriptor:
      if (parentKind == K::PmtProgramInfoList) GrowLoop(tree, parent, -size, kProgramInfoLengthLine);
      break;
    case K::PmtEsDescriptor:
    case K::PmtCaDescriptor:
      if (parentKind == K::PmtProgramInfoList)
        GrowLoop(tree, parent, -size, "program_info_length: 0x%x");
      else if (parentKind == K::PmtEsDescriptorList)
        GrowLoop(tree, parent, -size, "ES_info_length: 0x%x");
      break;
    case K::PmtProgramInfoList:
      GrowLoop(tree, item, -sum, kProgramInfoLengthLine);
      break;
    case K::PmtEsDescriptorList:
      GrowLoop(tree, item, -sum, "ES_info_length: 0x%x");
      break;
    case K::SdtServiceDescriptor:
    case K::SdtDescriptor:
    case K::SdtLinkageDescriptor:
      if (parentKind == K::SdtServiceDescriptorList) GrowLoop(tree, parent, -size, kServiceLoopLengthLine);
      break;
    case K::SdtServiceDescriptorList:
      GrowLoop(tree, item, -sum, kServiceLoopLengthLine);
      break;
    case K::NitNetworkName:
    case K::NitNetworkDescriptor:
    case K::NitLinkageDescriptor:
      GrowLoop(tree, parent, -size, kNetworkDescriptorsLengthLine);
      break;
    case K::NitServiceList:
      if (parentKind == K::NitNetworkDescriptorList)
        GrowLoop(tree, parent, -size, kNetworkDescriptorsLengthLine);
      else if (parentKind == K::NitTransportDescriptorList)
        DropTransportDescriptor(tree, parent, size, kTransportDescriptorsLengthLine, SecondLine(tree, parent));
      break;
    case K::NitNetworkDescriptorList:
      GrowLoop(tree, item, -sum, kNetworkDescriptorsLengthLine);
      break;
    case K::NitTransportStreamList:
    case K::BatTransportStreamList:
      SetLoop(tree, item, 0, kTransportStreamLoopLengthLine);
      break;
    case K::NitTransportStream:
    case K::BatTransportStream:
      GrowLoop(tree, parent, -size, kTransportStreamLoopLengthLine);
      break;
    case K::NitTransportDescriptorList:
      SetLoop(tree, item, 0, kTransportDescriptorsLengthLine);
      GrowLoop(tree, tree.GetParentItem(parent), -sum, kTransportStreamLoopLengthLine);
      break;
    case K::NitTransportDescriptor:
    case K::NitCableDelivery:
    case K::NitTerrestrialDelivery:
      DropTransportDescriptor(tree, parent, size, kTransportDescriptorLengthLine, tree.GetPrevSiblingItem(parent));
      break;
    case K::NitSatelliteDelivery:
    case K::NitTransportNetworkName:
    case K::NitLogicalChannels:
      DropTransportDescriptor(tree, parent, size, kTransportDescriptorsLengthLine, SecondLine(tree, parent));
      break;
    case K::BatBouquetDescriptorList:
      SetLoop(tree, item, 0, kBouquetDescriptorsLengthLine);
      break;
    case K::BatBouquetName:
      GrowLoop(tree, parent, -size, kBouquetDescriptorsLengthLine);
      break;
    case K::BatServiceList:
    case K::BatDescriptor:
      if (parentKind == K::BatBouquetDescriptorList)
        GrowLoop(tree, parent, -size, kBouquetDescriptorsLengthLine);
      else if (parentKind == K::BatTransportDescriptorList)
        DropTransportDescriptor(tree, parent, size, kTransportDescriptorsLengthLine, tree.GetPrevSiblingItem(parent));
      break;
    default:  // sections, programs, components, services, the CAT: nothing to fix
      break;
  }
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
  FixLengths(tree, item, kind);
  tree.ReleaseItemRecords(item);
  tree.DeleteItem(item);
  if (tree.IsValid(next)) tree.SelectItem(next);
  return true;
}

}  // namespace quorvelin
