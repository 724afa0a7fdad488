#include "sections/descriptors/Descriptor.h"

#include <utility>

#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

DescriptorBytes DescriptorAt(const SectionBytes& s, size_t at) {
  const uint8_t length = s.U8(at + 1);
  return {s.U8(at), std::span<const uint8_t>(s.Pointer(at + 2), length)};
}

void VisitDescriptors(const SectionBytes& s, size_t from, size_t length,
                      const std::function<void(const DescriptorBytes&)>& add) {
  ForEachDescriptor(s, from, from + length, [&](size_t at, uint8_t, uint8_t) { add(DescriptorAt(s, at)); });
}

std::string NamedTagText(uint8_t tag, const char* name) { return Format("descriptor_tag: 0x%x =>%s", tag, name); }

ItemHandle AddDescriptorItem(TableTreeCtrl& tree, ItemHandle holder, std::string text, uint8_t length,
                             std::unique_ptr<NodeRecord> record, ItemHandle after) {
  const ItemHandle item = tree.InsertRecordItem(std::move(text), kImageLine, holder, std::move(record), after);
  AddLengthLine(tree, item, kDescriptorLengthLine, length);
  return item;
}

}  // namespace quorvelin
