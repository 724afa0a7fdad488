#include "dialogs/dvb/EntryListPage.h"

#include "sections/descriptors/Descriptor.h"
#include "sections/descriptors/EditableKinds.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::entry_list;

void EntryListPage::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  SetText(kTag, Format("0x%x", layout_.tag));
  if (add) return;
  const EntryListDescriptor* d = SelectedPayload<EntryListDescriptor>(tree_, RecordKind());
  if (!d) return;
  auto& rows = Rows(kList);
  rows.clear();
  const size_t size = static_cast<size_t>(layout_.entrySize);
  for (size_t at = 0; at + size <= d->entries.size(); at += size) rows.push_back(DecodeEntry(&d->entries[at]));
}

void EntryListPage::OnCommand(int controlId) {
  if (controlId == kAddRow) {
    AddRow();
  } else if (controlId == kDeleteRow) {
    ControlValue& list = Value(kList);
    if (list.selectionMark < 0 || static_cast<size_t>(list.selectionMark) >= list.rows.size()) return;
    list.rows.erase(list.rows.begin() + list.selectionMark);
    list.selectionMark = -1;
  }
}

uint32_t EntryListPage::RowNumber(const std::vector<std::string>& row, size_t index) {
  return static_cast<uint32_t>(ReadWholeNumber(Column(row, index), NumberText::Number).value_or(0));
}

bool EntryListPage::HasRoomForRow() {
  if (static_cast<int>(Rows(kList).size()) < MaxRows()) return true;
  return Refuse(layout_.fullMessage, kServiceId);
}

std::unique_ptr<NodeRecord> EntryListPage::BuildRecord(const std::vector<std::vector<std::string>>& rows) {
  EntryListDescriptor d;
  d.tag = layout_.tag;
  for (const auto& row : rows) EncodeRow(row, d.entries);
  d.length = static_cast<uint8_t>(d.entries.size());
  return MakeRecord(RecordKind(), std::move(d));
}

bool EntryListPage::AddDesc() {
  const std::vector<std::vector<std::string>> rows = Rows(kList);
  const int count = static_cast<int>(rows.size());
  if (count > MaxRows()) return Refuse(layout_.fullMessage, kServiceId);
  if (add && count == 0) return Refuse(layout_.emptyMessage, kServiceId);
  for (const auto& row : rows)
    if (!CheckRow(row)) return false;
  const int newSize = count ? count * layout_.entrySize + 2 : 0;

  ItemHandle stream = tree_.GetSelectedItem();
  ReplacedDescriptor old;
  if (!add) {
    const auto replaced = DescriptorToReplace(tree_, stream, RecordKind());
    if (!replaced) return false;
    old = *replaced;
    if (tree_.KindOf(old.holder) == NodeKind::NitNetworkDescriptorList) return ReplaceInNetworkLoop(old);
    stream = tree_.GetParentItem(old.holder);
  }
  const auto place = StreamWithRoom(stream, StreamKind(), newSize - old.size, kServiceId);
  if (!place) return false;

  RemoveItem(tree_, old.item);
  if (count > 0) AddLoopDescriptor(tree_, EnsureDescriptorHolder(tree_, stream, HolderKind()), *BuildRecord(rows));
  GrowStreamDescriptors(tree_, place->stream, newSize - old.size, tree_.ChildAt(stream, 1));
  return true;
}

// A service list that the parser found in the network loop is replaced there.
bool EntryListPage::ReplaceInNetworkLoop(const ReplacedDescriptor& old) {
  const std::vector<std::vector<std::string>> rows = Rows(kList);
  const int newSize = rows.empty() ? 0 : static_cast<int>(rows.size()) * layout_.entrySize + 2;
  const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(old.holder));
  if (!section) return false;
  if (!LoopSectionHasRoom(*section, newSize - old.size)) return Refuse(kSectionFullMessage, kServiceId);
  RemoveItem(tree_, old.item);
  if (!rows.empty()) AddLoopDescriptor(tree_, old.holder, *BuildRecord(rows), old.after);
  GrowLoop(tree_, old.holder, newSize - old.size);
  return true;
}

}  // namespace quorvelin
