#include "commands/DeleteNode.h"

#include "util/Number.h"

namespace quorvelin {
namespace {

using K = NodeKind;

// The length fields and display lines of the branch around the deleted node.
class FixUp {
 public:
  FixUp(TableTreeCtrl& tree, ItemHandle item) : tree_(tree), item_(item) {}

  // Line standing directly before `holder` among its siblings.
  void RewriteLineBefore(ItemHandle holder, const char* format, unsigned value, bool twice = false) {
    const ItemHandle line = tree_.GetPrevSiblingItem(holder);
    if (line == kNoItem) return;
    tree_.SetItemText(line, twice ? Format(format, value, value) : Format(format, value));
  }

  template <class T>
  T* PayloadOf(ItemHandle h) {
    NodeRecord* r = tree_.RecordOf(h);
    return r ? r->As<T>() : nullptr;
  }

  // program_info_length of the PMT section holding the program-info loop `holder`.
  void ProgramInfoLength(ItemHandle holder, int size, const char* format, bool twice) {
    auto* sec = PayloadOf<PmtSectionHeader>(tree_.GetParentItem(holder));
    if (!sec) return;
    sec->program_info_length.add(-size);
    RewriteLineBefore(holder, format, sec->program_info_length.get(), twice);
  }

  // ES_info_length of the component holding the descriptor loop `holder`.
  void EsInfoLength(ItemHandle holder, int size) {
    auto* comp = PayloadOf<PmtComponent>(tree_.GetParentItem(holder));
    if (!comp) return;
    comp->es_info_length.add(-size);
    RewriteLineBefore(holder, "es_info_length: 0x%x", comp->es_info_length.get());
  }

  void ServiceLoopLength(ItemHandle holder, int size) {
    auto* service = PayloadOf<SdtService>(tree_.GetParentItem(holder));
    if (!service) return;
    service->descriptors_loop_length.add(-size);
    RewriteLineBefore(holder, "descriptor_loop_length: 0x%x", service->descriptors_loop_length.get());
  }

  // network_descriptors_length / bouquet_descriptors_length of the section above `holder`.
  void FirstLoopLength(ItemHandle holder, K sectionKind, int size, bool setZero, const char* format) {
    auto* sec = PayloadOf<LoopSectionHeader>(tree_.FindAncestorOfKind(holder, sectionKind));
    if (!sec) return;
    if (setZero)
      sec->descriptors_length.set(0);
    else
      sec->descriptors_length.add(-size);
    RewriteLineBefore(holder, format, sec->descriptors_length.get());
  }

  // transport_stream_loop_length of the section above the stream list holder `streams`.
  void StreamLoopLength(ItemHandle streams, K sectionKind, int size, bool setZero) {
    auto* sec = PayloadOf<LoopSectionHeader>(tree_.FindAncestorOfKind(streams, sectionKind));
    if (!sec) return;
    if (setZero)
      sec->transport_stream_loop_length.set(0);
    else
      sec->transport_stream_loop_length.add(-size);
    RewriteLineBefore(streams, "transport_stream_loop_length: 0x%x", sec->transport_stream_loop_length.get());
  }

  TransportStreamEntry* StreamOf(ItemHandle holder) { return PayloadOf<TransportStreamEntry>(tree_.GetParentItem(holder)); }

  // A descriptor of a NIT or BAT transport stream: both lengths drop by its size.
  void TransportDescriptor(ItemHandle holder, K sectionKind, K streamListKind, int size, const char* lineFormat,
                           bool lineIsSecondChild) {
    const ItemHandle stream = tree_.GetParentItem(holder);
    if (auto* ts = StreamOf(holder)) {
      ts->transport_descriptors_length.add(-size);
      const unsigned value = ts->transport_descriptors_length.get();
      if (lineIsSecondChild) {
        const ItemHandle second = tree_.GetNextSiblingItem(tree_.GetChildItem(stream));
        if (second != kNoItem) tree_.SetItemText(second, Format(lineFormat, value));
      } else {
        RewriteLineBefore(holder, lineFormat, value);
      }
    }
    StreamLoopLength(tree_.FindAncestorOfKind(stream, streamListKind), sectionKind, size, false);
  }

  TableTreeCtrl& tree_;
  ItemHandle item_;
};

bool NeverDeleted(K kind) {
  return IsTableRoot(kind) ? (kind != K::TdtRoot && kind != K::TotRoot)
                           : kind == K::PatProgramList || kind == K::PmtSection || kind == K::SdtServiceList ||
                                 kind == K::BatTransportDescriptorList;
}

bool IsKnownDeletable(K kind) {
  switch (kind) {
    case K::PatSection: case K::PatProgram: case K::PmtProgram: case K::PmtComponent: case K::PmtComponentList:
    case K::SdtSection: case K::SdtService: case K::CatSection: case K::CatDescriptorList: case K::CatCaDescriptor:
    case K::NitSection: case K::BatSection: case K::PmtProgramInfoDescriptor: case K::PmtEsDescriptor:
    case K::PmtCaDescriptor: case K::PmtProgramInfoList: case K::PmtEsDescriptorList: case K::SdtServiceDescriptor:
    case K::SdtDescriptor: case K::SdtLinkageDescriptor: case K::SdtServiceDescriptorList: case K::NitNetworkName:
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
  FixUp f(tree, item);
  const ItemHandle parent = tree.GetParentItem(item);
  const K parentKind = tree.KindOf(parent);
  const NodeRecord* rec = tree.RecordOf(item);
  const int size = rec ? SectionSize(*rec) : 0;
  const int sum = HolderSize(tree, item);

  switch (kind) {
    case K::PmtProgramInfoDescriptor:
      if (parentKind == K::PmtProgramInfoList) f.ProgramInfoLength(parent, size, "program_info_length: 0x%x (%d)", true);
      break;
    case K::PmtEsDescriptor:
    case K::PmtCaDescriptor:
      if (parentKind == K::PmtProgramInfoList)
        f.ProgramInfoLength(parent, size, "program_info_length: 0x%x", false);
      else if (parentKind == K::PmtEsDescriptorList)
        f.EsInfoLength(parent, size);
      break;
    case K::PmtProgramInfoList:
      f.ProgramInfoLength(item, sum, "program_info_length: 0x%x (%d)", true);
      break;
    case K::PmtEsDescriptorList:
      f.EsInfoLength(item, sum);
      break;
    case K::SdtServiceDescriptor:
    case K::SdtDescriptor:
    case K::SdtLinkageDescriptor:
      if (parentKind == K::SdtServiceDescriptorList) f.ServiceLoopLength(parent, size);
      break;
    case K::SdtServiceDescriptorList:
      f.ServiceLoopLength(item, sum);
      break;
    case K::NitNetworkName:
    case K::NitNetworkDescriptor:
    case K::NitLinkageDescriptor:
      f.FirstLoopLength(parent, K::NitSection, size, false, "network_descriptors_length: 0x%x");
      break;
    case K::NitServiceList:
      if (parentKind == K::NitNetworkDescriptorList)
        f.FirstLoopLength(parent, K::NitSection, size, false, "network_descriptors_length: 0x%x");
      else if (parentKind == K::NitTransportDescriptorList)
        f.TransportDescriptor(parent, K::NitSection, K::NitTransportStreamList, size,
                              "transport_descriptors_length: 0x%x", true);
      break;
    case K::NitNetworkDescriptorList:
      f.FirstLoopLength(item, K::NitSection, sum, false, "network_descriptors_length: 0x%x");
      break;
    case K::NitTransportStreamList:
      f.StreamLoopLength(item, K::NitSection, 0, true);
      break;
    case K::NitTransportStream:
      f.StreamLoopLength(parent, K::NitSection, size, false);
      break;
    case K::NitTransportDescriptorList: {
      if (auto* ts = f.StreamOf(item)) ts->transport_descriptors_length.set(0);
      f.StreamLoopLength(tree.FindAncestorOfKind(item, K::NitTransportStreamList), K::NitSection, sum, false);
      f.RewriteLineBefore(item, "transport_descriptors: 0x%x", 0);
      break;
    }
    case K::NitTransportDescriptor:
    case K::NitCableDelivery:
    case K::NitTerrestrialDelivery:
      f.TransportDescriptor(parent, K::NitSection, K::NitTransportStreamList, size,
                            "transport_descriptor_length: 0x%x", false);
      break;
    case K::NitSatelliteDelivery:
    case K::NitTransportNetworkName:
    case K::NitLogicalChannels:
      f.TransportDescriptor(parent, K::NitSection, K::NitTransportStreamList, size,
                            "transport_descriptors_length: 0x%x", true);
      break;
    case K::BatBouquetDescriptorList:
      f.FirstLoopLength(item, K::BatSection, 0, true, "bouquet_descriptors_length: 0x%x");
      break;
    case K::BatBouquetName:
      f.FirstLoopLength(parent, K::BatSection, size, false, "bouquet_descriptors_length: 0x%x");
      break;
    case K::BatServiceList:
    case K::BatDescriptor:
      if (parentKind == K::BatBouquetDescriptorList)
        f.FirstLoopLength(parent, K::BatSection, size, false, "bouquet_descriptors_length: 0x%x");
      else if (parentKind == K::BatTransportDescriptorList)
        f.TransportDescriptor(parent, K::BatSection, K::BatTransportStreamList, size,
                              "transport_descriptors_length: 0x%x", false);
      break;
    case K::BatTransportStreamList:
      f.StreamLoopLength(item, K::BatSection, 0, true);
      break;
    case K::BatTransportStream:
      f.StreamLoopLength(parent, K::BatSection, size, false);
      break;
    default:  // sections, programs, components, services, the CAT: nothing to fix
      break;
  }
}

}  // namespace

int HolderSize(const TableTreeCtrl& tree, ItemHandle holder) { return tree.LoopBytes(holder); }

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
  if (ui.MessageBox("Are you sure to delete?", kSystemInfo, MsgIcon::Information, MsgButtons::YesNo) !=
      MsgAnswer::Yes)
    return false;

  FixLengths(tree, item, kind);
  tree.ReleaseItemRecords(item);
  tree.DeleteItem(item);
  return true;
}

}  // namespace quorvelin
