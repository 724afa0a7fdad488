#include "sections/descriptors/ServiceList.h"

#include "tree/LoopLengths.h"
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

// The entries' lines are made when the descriptor's lines are first asked for (a large NIT or
// BAT holds hundreds of thousands of them, few of which are ever looked at).
ItemHandle AddServiceList(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                          ItemHandle after) {
  const ItemHandle item =
      tree.InsertRecordItem(NamedTagText(d.tag, "network_service_list_descriptor"), kImageLine, holder,
                            MakeRecord(kind, ReadEntryList(d)), after);
  tree.SetLazyChildren(item, [&tree, length = d.length(), bytes = std::vector<uint8_t>(d.data.begin(), d.data.end())](
                                 ItemHandle at) {
    AddLengthLine(tree, at, kDescriptorLengthLine, length);
    const SectionBytes b(bytes.data(), bytes.size());
    for (size_t pos = 0; b.Has(pos, 3); pos += 3) {
      const ItemHandle entry = tree.InsertTextItem("Service_list", at);
      tree.InsertLine(Format("service_id: 0x%x", b.U16(pos)), entry);
      tree.InsertLine(Format("service_type: 0x%x", b.U8(pos + 2)), entry);
    }
  });
  return item;
}

}  // namespace quorvelin
