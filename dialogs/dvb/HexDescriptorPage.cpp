#include "dialogs/dvb/HexDescriptorPage.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "sections/LoopSections.h"
#include "sections/descriptors/EditableKinds.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::hex_descriptor;

namespace {

// The kind of a transport stream's descriptor loop holder; None for an item that is no stream.
NodeKind StreamDescriptorsKind(NodeKind stream) {
  for (const LoopFamily* f : {&kNitFamily, &kBatFamily})
    if (f->stream == stream) return f->streamDescriptors;
  return NodeKind::None;
}

}  // namespace

void HexDescriptorPage::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  if (add) return;
  const ItemHandle selected = tree_.GetSelectedItem();
  const NodeRecord* r = tree_.RecordOf(selected);
  if (!r || r->kind != HexDescriptorKind(tree_.KindOf(tree_.GetParentItem(selected)))) return;
  if (const auto* d = r->As<GenericDescriptor>()) {
    SetText(kTag, Format("0x%x", d->tag));
    SetText(kLength, Format("0x%x", d->length));
    std::string hex;
    BytesToHexText(hex, d->data.data(), static_cast<int>(d->data.size()));
    SetText(kData, hex);
  }
}

bool HexDescriptorPage::AddUnderGivenHolder(HexDescriptorInput typed) {
  const NodeKind kind = HexDescriptorKind(tree_.KindOf(holder_));
  if (kind == NodeKind::None) return true;
  const int size = typed.descriptor.length + 2;
  const ItemHandle item = AddLoopDescriptor(tree_, holder_, *MakeRecord(kind, std::move(typed.descriptor)));
  tree_.SelectItem(item);
  tree_.Expand(item, ExpandCode::Expand);
  added_ = size;
  return true;
}

bool HexDescriptorPage::AddDesc() {
  added_ = 0;
  auto typed = ReadTypedDescriptor();
  if (!typed) return false;
  if (holder_) return AddUnderGivenHolder(std::move(*typed));

  // The loop: the selected holder, the selected stream's descriptor loop, or the loop of the
  // selected descriptor that is replaced.
  ItemHandle target = tree_.GetSelectedItem();
  ReplacedDescriptor old;
  if (!add) {
    const NodeKind kind = HexDescriptorKind(tree_.KindOf(tree_.GetParentItem(target)));
    const auto found = DescriptorToReplace(tree_, target, kind);
    if (!found || !IsModifiedInPlace(kind)) return false;
    old = *found;
    const ItemHandle stream = tree_.GetParentItem(old.holder);
    target = StreamDescriptorsKind(tree_.KindOf(stream)) == NodeKind::None ? old.holder : stream;
  }
  const NodeKind holderKind = StreamDescriptorsKind(tree_.KindOf(target));
  const bool inStream = holderKind != NodeKind::None;
  const NodeKind kind = HexDescriptorKind(inStream ? holderKind : tree_.KindOf(target));
  if (kind == NodeKind::None) return false;

  const int delta = typed->descriptor.length + 2 - old.size;
  std::optional<StreamPlace> stream;
  if (inStream) {
    stream = StreamWithRoom(target, tree_.KindOf(target), delta, kData);
    if (!stream) return false;
  } else {
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(target));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, delta)) return Refuse(kSectionFullMessage, kData);
  }

  const auto record = MakeRecord(kind, std::move(typed->descriptor));
  ItemHandle holder = target, item = kNoItem;
  if (stream) {
    const auto added = AppendStreamDescriptor(tree_, *stream, holderKind, *record, old);
    holder = added.holder, item = added.item;
    tree_.Expand(stream->stream, ExpandCode::Expand);
  } else {
    item = PutDescriptor(tree_, holder, *record, old);
    GrowLoop(tree_, holder, delta);
  }
  tree_.Expand(holder, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
