// The branch's main invariant: every stored loop length equals the bytes of the records in its
// loop, and the line that shows it says so. Parsers show the lengths with these lines; dialogs
// and Delete grow the fields and rewrite the lines here, by the kind of the loop holder.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// Line formats of the length fields; a format may show the value twice ("0x%x (%d)").
inline constexpr const char* kDescriptorLengthLine = "descriptor_length(byte): %d";
inline constexpr const char* kNetworkDescriptorsLengthLine = "network_descriptors_length: 0x%x";
inline constexpr const char* kBouquetDescriptorsLengthLine = "bouquet_descriptors_length: 0x%x";
inline constexpr const char* kTransportStreamLoopLengthLine = "transport_stream_loop_length: 0x%x";
inline constexpr const char* kTransportDescriptorLengthLine = "transport_descriptors_length: 0x%x";
inline constexpr const char* kProgramInfoLengthLine = "program_info_length: 0x%x (%d)";
inline constexpr const char* kEsInfoLengthLine = "ES_info_length: 0x%x (%d)";
inline constexpr const char* kServiceLoopLengthLine = "descriptors_loop_length: 0x%x";

// `format` with `value` for each of its conversions.
std::string LengthLineText(const char* format, unsigned value);
// Appends the length line under `parent`.
ItemHandle AddLengthLine(TableTreeCtrl& tree, ItemHandle parent, const char* format, unsigned value);
// Rewrites `line` with `format` and `value`; nothing for kNoItem.
void RewriteLine(TableTreeCtrl& tree, ItemHandle line, const char* format, unsigned value);
// Rewrites the parent's child number `index` (from 0) when the parent has that many children.
void RewriteChild(TableTreeCtrl& tree, ItemHandle parent, int index, const std::string& text);
// Appends plain lines (image 2, no record) under `parent`, in order.
void AppendLines(TableTreeCtrl& tree, ItemHandle parent, std::initializer_list<std::string> lines);

// The length field that counts the bytes of the loop below `holder`, found in the record of the
// holder's parent by the holder's kind: program_info_length, ES_info_length,
// descriptors_loop_length, network/bouquet descriptors_length, transport_stream_loop_length,
// transport_descriptors_length. nullptr for any other item.
Word12* LoopLengthOf(const TableTreeCtrl& tree, ItemHandle holder);
// The format a read shows the length of the loop below a holder of `holderKind` with.
const char* LoopLengthFormat(NodeKind holderKind);
// The loop's field grows by `delta` (in its 12 bits) and the line before the holder, its length
// line, is rewritten as a read shows it. False, and nothing changed, when the holder has no field.
bool GrowLoop(TableTreeCtrl& tree, ItemHandle holder, int delta);
// The same, the value shown on `line` (nothing shown for kNoItem).
bool GrowLoop(TableTreeCtrl& tree, ItemHandle holder, int delta, ItemHandle line);
// The loop's field := the bytes of the records in the loop, shown as GrowLoop does.
bool CountLoop(TableTreeCtrl& tree, ItemHandle holder);
bool CountLoop(TableTreeCtrl& tree, ItemHandle holder, ItemHandle line);

// --- NIT and BAT sections ---
// A NIT or BAT section is at most 1024 bytes long (section_length at most 1021, EN 300 468 5.2).
inline constexpr int kMaxLoopSectionBytes = 1024;
// Header, the two loop length fields and the CRC_32 of a section with empty loops.
inline constexpr int kEmptyLoopSectionBytes = 16;

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

// A transport stream's descriptor loop changes by `delta` bytes: the stream's
// transport_descriptors_length grows by `delta` and `lengthLine` shows it; the
// transport_stream_loop_length of the stream list holding it grows by `delta` too, shown on its
// line. Both in their low 12 bits only.
void GrowStreamDescriptors(TableTreeCtrl& tree, ItemHandle stream, int delta, ItemHandle lengthLine);

}  // namespace quorvelin
