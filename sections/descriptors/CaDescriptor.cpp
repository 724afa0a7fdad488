#include "sections/descriptors/CaDescriptor.h"

#include <algorithm>

#include "util/Number.h"

namespace quorvelin {

CaDescriptor ReadCa(const DescriptorBytes& d) {
  const SectionBytes b = d.Bytes();
  CaDescriptor c;
  c.tag = d.tag;
  c.length = d.length();
  c.ca_system_id = b.U16(0);
  c.ca_pid.set(b.U13(2));
  if (c.length > kCaFixedLength) c.private_data = b.Copy(kCaFixedLength, c.length - kCaFixedLength);
  return c;
}

void WriteCa(SectionWriter& w, const CaDescriptor& d) {
  const uint8_t length = std::max(d.length, kCaFixedLength);
  w.U8(d.tag);
  w.U8(length);
  w.U16(d.ca_system_id);
  w.Pid13(d.ca_pid.get());
  w.Padded(d.private_data, length - kCaFixedLength);
}

ItemHandle AddCa(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d, ItemHandle after) {
  CaDescriptor c = ReadCa(d);
  const uint16_t systemId = c.ca_system_id;
  const uint16_t caPid = c.ca_pid.get();
  std::string privateText;
  BytesToHexText(privateText, c.private_data.data(), static_cast<int>(c.private_data.size()));
  const int length = c.length;

  const ItemHandle item =
      tree.InsertRecordItem(Format("descriptor_tag: 0x%x", c.tag), kImageLine, holder, MakeRecord(kind, std::move(c)), after);
  tree.InsertLine(Format("descriptor_length: 0x%x", length), item);
  const ItemHandle data = tree.InsertLine("descriptor_data", item);
  tree.InsertLine(Format("CA_system_ID: 0x%x", systemId), data);
  tree.InsertLine(Format("CA_PID: 0x%x", caPid), data);
  if (length > kCaFixedLength) tree.InsertLine("descriptor_data(hex):" + privateText, data);
  return item;
}

}  // namespace quorvelin
