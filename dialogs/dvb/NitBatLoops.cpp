#include "dialogs/dvb/NitBatLoops.h"

#include "util/Number.h"

namespace quorvelin {

LoopSectionHeader* LoopHeaderOf(const TableTreeCtrl& tree, ItemHandle section) {
  NodeRecord* r = tree.RecordOf(section);
  if (!r || (r->kind != NodeKind::NitSection && r->kind != NodeKind::BatSection)) return nullptr;
  return r->As<LoopSectionHeader>();
}

int LoopSectionBytes(const LoopSectionHeader& header) {
  return kEmptyLoopSectionBytes + header.descriptors_length.get() + header.transport_stream_loop_length.get();
}

bool LoopSectionHasRoom(const LoopSectionHeader& header, int growth) {
  return growth <= 0 || LoopSectionBytes(header) + growth <= kMaxLoopSectionBytes;
}

std::optional<StreamPlace> LocateStream(const TableTreeCtrl& tree, ItemHandle stream) {
  NodeRecord* r = tree.RecordOf(stream);
  if (!r || (r->kind != NodeKind::NitTransportStream && r->kind != NodeKind::BatTransportStream)) return std::nullopt;
  StreamPlace place;
  place.stream = stream;
  place.entry = r->As<TransportStreamEntry>();
  const ItemHandle holder = tree.GetParentItem(stream);
  place.loopLine = tree.GetPrevSiblingItem(holder);
  place.section = place.loopLine != kNoItem ? tree.GetParentItem(place.loopLine) : tree.GetParentItem(holder);
  place.header = LoopHeaderOf(tree, place.section);
  if (!place.entry || !place.header) return std::nullopt;
  return place;
}

ItemHandle FindDescriptorHolder(const TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind) {
  return tree.FindDirectChildOfKind(stream, holderKind);
}

ItemHandle EnsureDescriptorHolder(TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind) {
  if (const ItemHandle holder = FindDescriptorHolder(tree, stream, holderKind)) return holder;
  return tree.InsertRecordItem("transport_descriptors", kImageLine, stream, MakeHolder(holderKind));
}

std::optional<ReplacedDescriptor> DescriptorToReplace(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind) {
  const NodeRecord* r = tree.RecordOf(item);
  if (!r || r->kind != kind) return std::nullopt;
  return ReplacedDescriptor{item, tree.GetParentItem(item), SectionSize(*r)};
}

void RemoveItem(TableTreeCtrl& tree, ItemHandle item) {
  if (item == kNoItem) return;
  tree.ReleaseItemRecords(item);
  tree.DeleteItem(item);
}

void RewriteLine(TableTreeCtrl& tree, ItemHandle line, const char* format, unsigned value) {
  if (line != kNoItem) tree.SetItemText(line, Format(format, value));
}

void GrowStreamDescriptors(TableTreeCtrl& tree, const StreamPlace& place, int delta, ItemHandle lengthLine,
                           const char* lengthFormat) {
  place.entry->transport_descriptors_length.add(delta);
  RewriteLine(tree, lengthLine, lengthFormat, place.entry->transport_descriptors_length.get());
  place.header->transport_stream_loop_length.add(delta);
  RewriteLine(tree, place.loopLine, "transport_stream_loop_length: 0x%x",
              place.header->transport_stream_loop_length.get());
}

void GrowSectionDescriptors(TableTreeCtrl& tree, ItemHandle holder, int delta, const char* lineFormat) {
  LoopSectionHeader* header = LoopHeaderOf(tree, tree.GetParentItem(holder));
  if (!header) return;
  header->descriptors_length.add(delta);
  RewriteLine(tree, tree.GetPrevSiblingItem(holder), lineFormat, header->descriptors_length.get());
}

void GrowStreamLoop(TableTreeCtrl& tree, ItemHandle streamHolder, int delta, const char* lineFormat) {
  LoopSectionHeader* header = LoopHeaderOf(tree, tree.GetParentItem(streamHolder));
  if (!header) return;
  header->transport_stream_loop_length.add(delta);
  RewriteLine(tree, tree.GetPrevSiblingItem(streamHolder), lineFormat, header->transport_stream_loop_length.get());
}

AppendedDescriptor AppendStreamDescriptor(TableTreeCtrl& tree, const StreamPlace& place, NodeKind holderKind,
                                          const std::string& text, std::unique_ptr<NodeRecord> record,
                                          const std::vector<std::string>& lines) {
  AppendedDescriptor out;
  const int size = SectionSize(*record);
  out.holder = EnsureDescriptorHolder(tree, place.stream, holderKind);
  out.item = InsertItemWithLines(tree, out.holder, text, std::move(record), lines);
  GrowStreamDescriptors(tree, place, size, tree.GetPrevSiblingItem(out.holder), "transport_descriptors_length: 0x%x");
  return out;
}

ItemHandle InsertItemWithLines(TableTreeCtrl& tree, ItemHandle parent, const std::string& text,
                               std::unique_ptr<NodeRecord> record, const std::vector<std::string>& lines) {
  const ItemHandle item = tree.InsertRecordItem(text, kImageLine, parent, std::move(record));
  for (const std::string& line : lines) tree.InsertLine(line, item);
  return item;
}

}  // namespace quorvelin

#include "dialogs/common/Form.h"

namespace quorvelin {

bool AddLoopHolder(Form& form, TableTreeCtrl& tree, ItemHandle section, const LoopHolderSpec& holderSpec, int focus) {
  if (tree.FindDirectChildOfKind(section, holderSpec.kind) != kNoItem) return form.Refuse(holderSpec.existsMessage, focus);
  for (ItemHandle line = tree.GetChildItem(section); line != kNoItem; line = tree.GetNextSiblingItem(line)) {
    if (tree.GetItemText(line).find(holderSpec.lengthText) == std::string::npos) continue;
    const ItemHandle holder = tree.InsertRecordItem(holderSpec.itemText, kImageLine, section, MakeHolder(holderSpec.kind), line);
    tree.SelectItem(holder);
    return true;
  }
  return true;
}

}  // namespace quorvelin
