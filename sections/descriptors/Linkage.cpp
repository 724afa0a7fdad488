#include "sections/descriptors/Linkage.h"

#include <algorithm>

#include "util/Number.h"

namespace quorvelin {

LinkageDescriptor ReadLinkage(const DescriptorBytes& d) {
  const SectionBytes b = d.Bytes();
  LinkageDescriptor l;
  l.tag = d.tag;
  l.length = d.length();
  l.transport_stream_id = b.U16(0);
  l.original_network_id = b.U16(2);
  l.service_id = b.U16(4);
  l.linkage_type = b.U8(6);
  l.private_data = b.Copy(kLinkageFixedLength, d.data.size() - kLinkageFixedLength);
  return l;
}

void WriteLinkage(SectionWriter& w, const LinkageDescriptor& d) {
  const auto length = static_cast<uint8_t>(std::max<size_t>(d.length, kLinkageFixedLength));
  w.U8(d.tag);
  w.U8(length);
  w.U16(d.transport_stream_id);
  w.U16(d.original_network_id);
  w.U16(d.service_id);
  w.U8(d.linkage_type);
  w.Padded(d.private_data, length - kLinkageFixedLength);
}

ItemHandle AddLinkage(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, LinkageDescriptor d,
                      const std::string& privateText, ItemHandle after) {
  const LinkageDescriptor l = d;
  const ItemHandle item = AddDescriptorItem(tree, holder, NamedTagText(l.tag, "linkage_descriptor"), l.length,
                                            MakeRecord(kind, std::move(d)), after);
  tree.InsertLine(Format("transport_stream_id(byte): 0x%x(%d)", l.transport_stream_id, l.transport_stream_id), item);
  tree.InsertLine(Format("original_network_id(byte): 0x%x(%d)", l.original_network_id, l.original_network_id), item);
  tree.InsertLine(Format("service_id(byte): 0x%x(%d)", l.service_id, l.service_id), item);
  tree.InsertLine(Format("linkage_type(byte): 0x%x(%d)", l.linkage_type, l.linkage_type), item);
  if (!l.private_data.empty()) tree.InsertLine(privateText, tree.InsertLine("private_data", item));
  return item;
}

ItemHandle AddLinkage(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                      ItemHandle after) {
  LinkageDescriptor l = ReadLinkage(d);
  std::string hex;
  BytesToHexText(hex, l.private_data.data(), static_cast<int>(l.private_data.size()));
  return AddLinkage(tree, holder, kind, std::move(l), hex, after);
}

}  // namespace quorvelin
