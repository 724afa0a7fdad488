#include "sections/descriptors/Names.h"

#include <algorithm>

#include "util/TextCode.h"

namespace quorvelin {

std::string DisplayName(std::span<const uint8_t> name) {
  std::string text = DecodeName(name.data(), name.size(), TextCode());
  if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

std::string NameText(const NameDescriptor& name) {
  return DecodeName(name.name.data(), std::min<size_t>(name.length, name.name.size()), TextCode());
}

NameDescriptor ReadName(const DescriptorBytes& d) {
  NameDescriptor name;
  name.tag = d.tag;
  name.length = d.length();
  std::copy(d.data.begin(), d.data.end(), name.name.begin());
  return name;
}

void WriteName(SectionWriter& w, const NameDescriptor& d) {
  w.U8(d.tag);
  w.U8(d.length);
  w.Bytes(d.name.data(), d.length);
}

ItemHandle AddName(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                   const char* descriptorName, const char* nameLabel, const std::string& shown, ItemHandle after) {
  const ItemHandle item = AddDescriptorItem(tree, holder, NamedTagText(d.tag, descriptorName), d.length(),
                                            MakeRecord(kind, ReadName(d)), after);
  tree.InsertLine(nameLabel + shown, item);
  return item;
}

}  // namespace quorvelin
