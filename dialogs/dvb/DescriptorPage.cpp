#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

std::string DescriptorPage::EntryText(int controlId, int index) const {
  const DialogTemplate* t = Template();
  const ControlTemplate* c = t ? t->Control(controlId) : nullptr;
  if (!c || index < 0 || static_cast<size_t>(index) >= c->entries.size()) return {};
  return c->entries[static_cast<size_t>(index)];
}

std::optional<StreamPlace> DescriptorPage::StreamWithRoom(ItemHandle stream, NodeKind streamKind, int growth,
                                                          int focus) {
  if (tree_.KindOf(stream) != streamKind) return std::nullopt;
  auto place = LocateStream(tree_, stream);
  if (!place) return std::nullopt;
  if (!LoopSectionHasRoom(*place->header, growth)) {
    Refuse(kSectionFullMessage, focus);
    return std::nullopt;
  }
  return place;
}

std::optional<DescriptorPage::StreamTarget> DescriptorPage::TargetStream(std::optional<NodeKind> replaced, int size,
                                                                         int focus) {
  ReplacedDescriptor old;
  ItemHandle stream = tree_.GetSelectedItem();
  if (replaced) {
    const auto found = DescriptorToReplace(tree_, stream, *replaced);
    if (!found) return std::nullopt;
    old = *found;
    stream = tree_.GetParentItem(old.holder);
  }
  const auto place = StreamWithRoom(stream, NodeKind::NitTransportStream, size - old.size, focus);
  if (!place) return std::nullopt;
  return StreamTarget{*place, old};
}

}  // namespace quorvelin
