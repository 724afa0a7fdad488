// What the NIT and BAT dialogs share around the loops: a transport stream's descriptor holder,
// the descriptor a modify run replaces, and the loop holders of the gather dialogs. The lengths
// themselves are kept by tree/LoopLengths.h.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tree/LoopLengths.h"

namespace quorvelin {

inline constexpr const char* kSectionFullMessage = "The section can't be longer than 1024 bytes!";

// The stream's descriptor holder (a direct child of `holderKind`), or kNoItem.
ItemHandle FindDescriptorHolder(const TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind);
// The holder, or a new "transport_descriptors" holder inserted as the stream's last child.
ItemHandle EnsureDescriptorHolder(TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind);

// The descriptor that a modify run replaces: its bytes in the section, its holder and the item
// it follows there (kInsertFirst for the first); an add run replaces nothing and goes last.
struct ReplacedDescriptor {
  ItemHandle item = kNoItem, holder = kNoItem;
  int size = 0;
  ItemHandle after = kInsertLast;
};
// Nothing when the item is not a descriptor of `kind`.
std::optional<ReplacedDescriptor> DescriptorToReplace(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind);

// Puts a descriptor into the stream's descriptor holder (made when missing), in the place of
// `old` when it replaces one, drawn as a read of its bytes draws it, and grows the stream's and
// the section's loop lengths by the difference in size, their lines rewritten. The caller has
// checked the section's room.
struct AppendedDescriptor {
  ItemHandle item = kNoItem, holder = kNoItem;
};
AppendedDescriptor AppendStreamDescriptor(TableTreeCtrl& tree, const StreamPlace& place, NodeKind holderKind,
                                          const NodeRecord& record, const ReplacedDescriptor& old = {});
// Puts a descriptor under the loop holder `parent` in the place of `old` (last when it replaces
// none), drawn as a read of its bytes draws it.
ItemHandle PutDescriptor(TableTreeCtrl& tree, ItemHandle parent, const NodeRecord& record,
                         const ReplacedDescriptor& old = {});
// Releases the records of the item and its subtree, and deletes it.
void RemoveItem(TableTreeCtrl& tree, ItemHandle item);

}  // namespace quorvelin

namespace quorvelin {

class Form;

// One of the two loop holders of a NIT or BAT section, as the gather dialogs add them.
struct LoopHolderSpec {
  NodeKind kind;
  const char* existsMessage;  // "network_descriptors is exist!"
  const char* lengthText;     // the length line the holder follows: "network_descriptors_length"
  const char* itemText;       // "network_descriptors"
};

// Adds the holder directly after the section's first child whose text contains the length
// text, and selects it. Refused (false, message, focus) when the section has one already; true
// without a change when the section has no such line.
bool AddLoopHolder(Form& form, TableTreeCtrl& tree, ItemHandle section, const LoopHolderSpec& holderSpec, int focus);

}  // namespace quorvelin
