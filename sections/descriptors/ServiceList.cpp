#include "sections/descriptors/ServiceList.h"

#include "util/Number.h"

namespace quorvelin {

EntryListDescriptor ReadEntryList(const DescriptorBytes& d) {
  EntryListDescriptor list;
  list.tag = d.tag;
  list.length = d.length();
  list.entries.assign(d.data.begin(), d.data.end());
  return list;
}

void WriteEntryList(SectionWriter& w, const EntryListDescriptor& d) {
  w.U8(d.tag);
  w.U8(d.length);
  w.Padded(d.entries, d.length);
}

ItemHandle AddServiceList(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                          ItemHandle after) {
  const ItemHandle item = AddDescriptorItem(tree, holder, NamedTagText(d.tag, "network_service_list_descriptor"),
                                            d.length(), MakeRecord(kind, ReadEntryList(d)), after);
  const SectionBytes b = d.Bytes();
  for (size_t pos = 0; b.Has(pos, 3); pos += 3) {
    const ItemHandle entry = tree.InsertTextItem("Service_list", item);
    tree.InsertLine(Format("service_id: 0x%x", b.U16(pos)), entry);
    tree.InsertLine(Format("service_type: 0x%x", b.U8(pos + 2)), entry);
  }
  return item;
}

}  // namespace quorvelin
