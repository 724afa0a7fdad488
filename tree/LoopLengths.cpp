#include "tree/LoopLengths.h"

#include "util/Number.h"

namespace quorvelin {

std::string LengthLineText(const char* format, unsigned value) { return Format(format, value, value); }

ItemHandle AddLengthLine(TableTreeCtrl& tree, ItemHandle parent, const char* format, unsigned value) {
  return tree.InsertLine(LengthLineText(format, value), parent);
}

void RewriteLine(TableTreeCtrl& tree, ItemHandle line, const char* format, unsigned value) {
  if (line != kNoItem) tree.SetItemText(line, LengthLineText(format, value));
}

void RewriteChild(TableTreeCtrl& tree, ItemHandle parent, int index, const std::string& text) {
  if (const ItemHandle line = tree.ChildAt(parent, index)) tree.SetItemText(line, text);
}

void AppendLines(TableTreeCtrl& tree, ItemHandle parent, std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) tree.InsertLine(line, parent);
}

Word12* LoopLengthOf(const TableTreeCtrl& tree, ItemHandle holder) {
  const ItemHandle owner = tree.GetParentItem(holder);
  switch (tree.KindOf(holder)) {
    case NodeKind::PmtProgramInfoList:
      if (auto* h = PayloadOf<PmtSectionHeader>(tree, owner)) return &h->program_info_length;
      break;
    case NodeKind::PmtEsDescriptorList:
      if (auto* c = PayloadOf<PmtComponent>(tree, owner)) return &c->es_info_length;
      break;
    case NodeKind::SdtServiceDescriptorList:
      if (auto* s = PayloadOf<SdtService>(tree, owner)) return &s->descriptors_loop_length;
      break;
    case NodeKind::NitNetworkDescriptorList:
    case NodeKind::BatBouquetDescriptorList:
      if (auto* h = LoopHeaderOf(tree, owner)) return &h->descriptors_length;
      break;
    case NodeKind::NitTransportStreamList:
    case NodeKind::BatTransportStreamList:
      if (auto* h = LoopHeaderOf(tree, owner)) return &h->transport_stream_loop_length;
      break;
    case NodeKind::NitTransportDescriptorList:
    case NodeKind::BatTransportDescriptorList:
      if (auto* e = PayloadOf<TransportStreamEntry>(tree, owner)) return &e->transport_descriptors_length;
      break;
    default:
      break;
  }
  return nullptr;
}

const char* LoopLengthFormat(NodeKind holderKind) {
  switch (holderKind) {
    case NodeKind::PmtProgramInfoList:
      return kProgramInfoLengthLine;
    case NodeKind::PmtEsDescriptorList:
      return kEsInfoLengthLine;
    case NodeKind::SdtServiceDescriptorList:
      return kServiceLoopLengthLine;
    case NodeKind::NitNetworkDescriptorList:
      return kNetworkDescriptorsLengthLine;
    case NodeKind::BatBouquetDescriptorList:
      return kBouquetDescriptorsLengthLine;
    case NodeKind::NitTransportStreamList:
    case NodeKind::BatTransportStreamList:
      return kTransportStreamLoopLengthLine;
    default:
      return kTransportDescriptorLengthLine;
  }
}

bool GrowLoop(TableTreeCtrl& tree, ItemHandle holder, int delta, ItemHandle line) {
  Word12* length = LoopLengthOf(tree, holder);
  if (!length) return false;
  length->add(delta);
  RewriteLine(tree, line, LoopLengthFormat(tree.KindOf(holder)), length->get());
  return true;
}

bool GrowLoop(TableTreeCtrl& tree, ItemHandle holder, int delta) {
  return GrowLoop(tree, holder, delta, tree.GetPrevSiblingItem(holder));
}

bool CountLoop(TableTreeCtrl& tree, ItemHandle holder, ItemHandle line) {
  const Word12* length = LoopLengthOf(tree, holder);
  return length && GrowLoop(tree, holder, tree.LoopBytes(holder) - length->get(), line);
}

bool CountLoop(TableTreeCtrl& tree, ItemHandle holder) { return CountLoop(tree, holder, tree.GetPrevSiblingItem(holder)); }

LoopSectionHeader* LoopHeaderOf(const TableTreeCtrl& tree, ItemHandle section) {
  const NodeKind kind = tree.KindOf(section);
  if (kind != NodeKind::NitSection && kind != NodeKind::BatSection) return nullptr;
  return PayloadOf<LoopSectionHeader>(tree, section);
}

int LoopSectionBytes(const LoopSectionHeader& header) {
  return kEmptyLoopSectionBytes + header.descriptors_length.get() + header.transport_stream_loop_length.get();
}

bool LoopSectionHasRoom(const LoopSectionHeader& header, int growth) {
  return growth <= 0 || LoopSectionBytes(header) + growth <= kMaxLoopSectionBytes;
}

std::optional<StreamPlace> LocateStream(const TableTreeCtrl& tree, ItemHandle stream) {
  const NodeKind kind = tree.KindOf(stream);
  if (kind != NodeKind::NitTransportStream && kind != NodeKind::BatTransportStream) return std::nullopt;
  StreamPlace place;
  place.stream = stream;
  place.entry = PayloadOf<TransportStreamEntry>(tree, stream);
  const ItemHandle holder = tree.GetParentItem(stream);
  place.loopLine = tree.GetPrevSiblingItem(holder);
  place.section = place.loopLine != kNoItem ? tree.GetParentItem(place.loopLine) : tree.GetParentItem(holder);
  place.header = LoopHeaderOf(tree, place.section);
  if (!place.entry || !place.header) return std::nullopt;
  return place;
}

void GrowStreamDescriptors(TableTreeCtrl& tree, ItemHandle stream, int delta, ItemHandle lengthLine) {
  if (auto* entry = PayloadOf<TransportStreamEntry>(tree, stream)) {
    entry->transport_descriptors_length.add(delta);
    RewriteLine(tree, lengthLine, kTransportDescriptorLengthLine, entry->transport_descriptors_length.get());
  }
  GrowLoop(tree, tree.GetParentItem(stream), delta);
}

}  // namespace quorvelin
