// Loop bookkeeping shared by the NIT and BAT dialogs: where a transport stream sits in its
// section, its descriptor holder, and the 12-bit loop lengths with the lines that show them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// A NIT or BAT section is at most 1024 bytes long (section_length at most 1021, EN 300 468 5.2).
inline constexpr int kMaxLoopSectionBytes = 1024;
// Header, the two loop length fields and the CRC_32 of a section with empty loops.
inline constexpr int kEmptyLoopSectionBytes = 16;
inline constexpr const char* kSectionFullMessage = "The section can't be longer than 1024 bytes!";

// The `LoopSectionHeader` of a NIT or BAT section item, or nullptr.
LoopSectionHeader* LoopHeaderOf(const TableTreeCtrl& tree, ItemHandle section);

// Bytes the section takes on the wire according to its stored loop lengths.
int LoopSectionBytes(const LoopSectionHeader& header);
// True when the section stays within 1024 bytes after growing by `growth` bytes.
bool LoopSectionHasRoom(const LoopSectionHeader& header, int growth);

// Where a transport stream sits: stream -> its holder -> the loop length line before the
// holder -> that line's parent, the section.
struct StreamPlace {
  ItemHandle stream = kNoItem;
  TransportStreamEntry* entry = nullptr;
  ItemHandle loopLine = kNoItem;
  ItemHandle section = kNoItem;
  LoopSectionHeader* header = nullptr;
};
std::optional<StreamPlace> LocateStream(const TableTreeCtrl& tree, ItemHandle stream);

// The stream's descriptor holder (a direct child of `holderKind`), or kNoItem.
ItemHandle FindDescriptorHolder(const TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind);
// The holder, or a new "transport_descriptors" holder inserted as the stream's last child.
ItemHandle EnsureDescriptorHolder(TableTreeCtrl& tree, ItemHandle stream, NodeKind holderKind);

// The stream's transport_descriptors_length grows by `delta` and `lengthLine` is rewritten with
// `lengthFormat`; the section's transport_stream_loop_length grows by `delta` and its line is
// rewritten "transport_stream_loop_length: 0x%x". Both in their low 12 bits only.
void GrowStreamDescriptors(TableTreeCtrl& tree, const StreamPlace& place, int delta, ItemHandle lengthLine,
                           const char* lengthFormat);

// The section that holds `holder` (its parent) grows its descriptors_length by `delta`
// (network or bouquet descriptors, 12 bits); the holder's previous sibling is rewritten
// with `lineFormat`.
void GrowSectionDescriptors(TableTreeCtrl& tree, ItemHandle holder, int delta, const char* lineFormat);

// The section's transport_stream_loop_length grows by `delta`; the line before the stream
// holder is rewritten with `lineFormat`.
void GrowStreamLoop(TableTreeCtrl& tree, ItemHandle streamHolder, int delta, const char* lineFormat);

// Appends a descriptor to the stream's descriptor holder (made when missing) and grows the
// stream's and the section's loop lengths by its size; the holder's previous sibling is
// rewritten "transport_descriptors_length: 0x%x". The caller has checked the section's room.
struct AppendedDescriptor {
  ItemHandle item = kNoItem, holder = kNoItem;
};
AppendedDescriptor AppendStreamDescriptor(TableTreeCtrl& tree, const StreamPlace& place, NodeKind holderKind,
                                          const std::string& text, std::unique_ptr<NodeRecord> record,
                                          const std::vector<std::string>& lines);

// The descriptor that a modify run replaces: its bytes in the section and its holder.
struct ReplacedDescriptor {
  ItemHandle item = kNoItem, holder = kNoItem;
  int size = 0;
};
// Nothing when the item is not a descriptor of `kind`.
std::optional<ReplacedDescriptor> DescriptorToReplace(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind);
// Releases the records of the item and its subtree, and deletes it.
void RemoveItem(TableTreeCtrl& tree, ItemHandle item);

// Rewrites a line with a format of one unsigned value; nothing for kNoItem.
void RewriteLine(TableTreeCtrl& tree, ItemHandle line, const char* format, unsigned value);

// Inserts an item with its record as the last child of `parent`, its lines under it.
ItemHandle InsertItemWithLines(TableTreeCtrl& tree, ItemHandle parent, const std::string& text,
                               std::unique_ptr<NodeRecord> record, const std::vector<std::string>& lines);

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
