#include "sections/descriptors/GenericHex.h"

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
                            const HexLines& lines) {
  std::string data = "descriptor_data(hex):";
  for (const uint8_t b : d.data) data += Format(lines.byte, b);
  const ItemHandle item =
      tree.InsertRecordItem(Format(lines.tag, d.tag), kImageLine, holder, MakeRecord(kind, ReadDescriptor(d)));
  AddLengthLine(tree, item, lines.length, d.length());
  tree.InsertLine(data, item);
  return item;
}

}  // namespace quorvelin
