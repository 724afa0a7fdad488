#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

std::string DescriptorPage::EntryText(int controlId, int index) const {
  const DialogTemplate* t = Template();
  const ControlTemplate* c = t ? t->Control(controlId) : nullptr;
  if (!c || index < 0 || static_cast<size_t>(index) >= c->entries.size()) return {};
  return c->entries[static_cast<size_t>(index)];
}

std::optional<StreamPlace> DescriptorPage::SelectedStream(NodeKind streamKind, int growth, int focus) {
  return StreamWithRoom(tree_.GetSelectedItem(), streamKind, growth, focus);
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

}  // namespace quorvelin
