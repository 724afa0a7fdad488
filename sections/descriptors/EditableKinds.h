// The descriptor kinds the dialogs edit, each with the record its loop keeps: one renderer draws
// a descriptor's item and lines whether a parser read its bytes or a dialog made its record, and
// one write puts any such record back as bytes. Adding an editable kind: its file in this folder
// with a read, a write and an add, its `DescriptorKind` in the registry, and one line per loop in
// EditableKinds.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {

struct EditableKind {
  const DescriptorKind* kind = nullptr;  // its tag, name and XML (a private tag whatever the specifier)
  NodeKind holder = NodeKind::None;  // the loop
  NodeKind record = NodeKind::None;  // the kind of its record there
  // The descriptor's item, after `after` under `holder`, with its record and lines; kNoItem, and
  // nothing added, when the bytes do not fit the kind (it is then kept as its bytes).
  ItemHandle (*add)(TableTreeCtrl& tree, ItemHandle holder, NodeKind record, const DescriptorBytes& d,
                    ItemHandle after) = nullptr;
  // Tag, length and data of a record of the kind.
  void (*write)(SectionWriter& w, const NodeRecord& record) = nullptr;
  bool modify = false;  // a dialog page changes it in place
};

// The editable kind of `tag` in the loop `holder`; nullptr for none.
const EditableKind* FindEditableKind(NodeKind holder, uint8_t tag);
// The editable kind whose records are of `record`; nullptr for none.
const EditableKind* FindEditableKind(NodeKind record);
// True for the record kinds of descriptors, editable or kept as bytes.
bool IsDescriptorKind(NodeKind record);
// The record kind the loop `holder` keeps a descriptor of no editable kind as (its bytes in
// hexadecimal); None for an item that is no descriptor loop.
NodeKind HexDescriptorKind(NodeKind holder);
// True for the descriptor record kinds a dialog page changes in place (Modify).
bool IsModifiedInPlace(NodeKind record);

// Draws the descriptor under the loop holder `holder` as its editable kind, or as its bytes in
// hexadecimal (with the decoded lines of a read-only kind) when it has none or does not fit.
ItemHandle AddLoopDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d,
                             ItemHandle after = kInsertLast);
// The same for a record a dialog made: drawn from the bytes it writes, as a read of them draws it.
ItemHandle AddLoopDescriptor(TableTreeCtrl& tree, ItemHandle holder, const NodeRecord& record,
                             ItemHandle after = kInsertLast);

// Tag, length and data of any descriptor record; nothing is written for other records.
void WriteLoopDescriptor(SectionWriter& w, const NodeRecord& record);
// The same as bytes; nothing when the record is no descriptor.
std::optional<std::vector<uint8_t>> LoopDescriptorBytes(const NodeRecord& record);

}  // namespace quorvelin
