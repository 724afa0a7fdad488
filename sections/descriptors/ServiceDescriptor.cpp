#include "sections/descriptors/ServiceDescriptor.h"

#include <algorithm>
#include <vector>

#include "sections/descriptors/Names.h"
#include "util/Number.h"

namespace quorvelin {

std::optional<SdtServiceDescriptor> ReadServiceDescriptor(const DescriptorBytes& d) {
  const SectionBytes b = d.Bytes();
  SdtServiceDescriptor s;
  s.tag = d.tag;
  s.length = d.length();
  if (s.length < 3) return std::nullopt;
  s.service_type = b.U8(0);
  s.provider_name_length = b.U8(1);
  const size_t serviceLengthAt = 2u + s.provider_name_length;
  if (serviceLengthAt >= s.length) return std::nullopt;
  s.service_name_length = b.U8(serviceLengthAt);
  if (3u + s.provider_name_length + s.service_name_length != s.length) return std::nullopt;
  std::copy_n(b.Pointer(2), s.provider_name_length, s.provider_name.begin());
  std::copy_n(b.Pointer(serviceLengthAt + 1), s.service_name_length, s.service_name.begin());
  return s;
}

void WriteServiceDescriptor(SectionWriter& w, const SdtServiceDescriptor& d) {
  std::vector<uint8_t> body;
  body.push_back(d.service_type);
  body.push_back(d.provider_name_length);
  body.insert(body.end(), d.provider_name.begin(), d.provider_name.begin() + d.provider_name_length);
  body.push_back(d.service_name_length);
  body.insert(body.end(), d.service_name.begin(), d.service_name.begin() + d.service_name_length);
  w.U8(d.tag);
  w.U8(d.length);
  w.Padded(body, d.length);
}

ItemHandle AddServiceDescriptor(TableTreeCtrl& tree, ItemHandle holder, const SdtServiceDescriptor& d,
                                ItemHandle after) {
  const ItemHandle item = AddDescriptorItem(tree, holder, Format("descriptor_tag: 0x%x", d.tag), d.length,
                                            MakeRecord(NodeKind::SdtServiceDescriptor, d), after);
  const ItemHandle data = tree.InsertLine("descriptor_data", item);
  const int type = d.service_type;
  tree.InsertLine(type == 1 ? Format("service_type: 0x%x => digital television service", type)
                            : Format("service_type: 0x%x => ", type),
                  data);
  tree.InsertLine(Format("service_provider_name_length: %d", d.provider_name_length), data);
  tree.InsertLine("service_provider_name: " + DisplayName({d.provider_name.data(), d.provider_name_length}), data);
  tree.InsertLine(Format("service_name_length: %d", d.service_name_length), data);
  tree.InsertLine("service_name: " + DisplayName({d.service_name.data(), d.service_name_length}), data);
  return item;
}

}  // namespace quorvelin
