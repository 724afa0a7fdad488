#include "sections/descriptors/GenericHex.h"

#include <utility>

#include "sections/descriptors/DescriptorRegistry.h"
#include "util/Number.h"

namespace quorvelin {

GenericDescriptor ReadDescriptor(const DescriptorBytes& d) {
  GenericDescriptor g;
  g.tag = d.tag;
  g.length = d.length();
  g.data.assign(d.data.begin(), d.data.end());
  return g;
}

void WriteDescriptor(SectionWriter& w, const GenericDescriptor& d) {
  w.U8(d.tag);
  w.U8(d.length);
  w.Padded(d.data, d.length);
}

ItemHandle AddHexDescriptor(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                            const HexLines& lines, ItemHandle after) {
  std::string data;
  data.reserve(21 + 3 * d.data.size());
  data = "descriptor_data(hex):";
  AppendHexBytes(data, d.data, lines.bytePad);
  const ItemHandle item =
      tree.InsertRecordItem(Format(lines.tag, d.tag), kImageLine, holder, MakeRecord(kind, ReadDescriptor(d)), after);
  AddLengthLine(tree, item, lines.length, d.length());
  tree.InsertLine(std::move(data), item);
  AddDecodedLines(tree, item, d);
  return item;
}

}  // namespace quorvelin
