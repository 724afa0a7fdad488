#include "sections/CaDescriptorLines.h"

#include "util/Number.h"

namespace quorvelin {

ItemHandle AddCaDescriptor(TableTreeCtrl& tree, ItemHandle parent, const SectionBytes& s, size_t at, NodeKind kind) {
  CaDescriptor d = ReadCaDescriptor(s, at);
  const uint16_t systemId = d.ca_system_id;
  const uint16_t caPid = d.ca_pid.get();
  std::string privateText;
  if (d.length >= 5) BytesToHexText(privateText, d.private_data.data(), static_cast<int>(d.private_data.size()));
  const int length = d.length;

  const ItemHandle item =
      tree.InsertRecordItem(Format("descriptor_tag: 0x%x", d.tag), kImageLine, parent, MakeRecord(kind, std::move(d)));
  tree.InsertLine(Format("descriptor_length: 0x%x", length), item);
  const ItemHandle data = tree.InsertLine("descriptor_data", item);
  tree.InsertLine(Format("CA_system_ID: 0x%x", systemId), data);
  tree.InsertLine(Format("CA_PID: 0x%x", caPid), data);
  if (length >= 5) tree.InsertLine("descriptor_data(hex):" + privateText, data);
  return item;
}

}  // namespace quorvelin
