// What the NIT and the BAT share (ETSI EN 300 468, 5.2.1 and 5.2.2): the section header with its
// own version and current_next bytes, a first descriptor loop, and the transport stream loop whose
// entries carry descriptor loops of their own. Parsing, the reading walk and building live here;
// the families add their descriptors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sections/SectionReader.h"
#include "sections/SectionWriter.h"
#include "sections/descriptors/Descriptor.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// A NIT or BAT section longer than this is not parsed.
inline constexpr size_t kLoopParseBufferSize = 1024;
// section_length of a section with both loops empty: 16 bytes in all.
inline constexpr size_t kLoopSectionMinLength = 13;

// Kinds and line formats by which the NIT and the BAT differ.
struct LoopFamily {
  const char* name;  // "NIT", "BAT"
  uint8_t tableId;
  Table table;
  NodeKind section, firstList, streamList, stream, streamDescriptors;
  const char* idLabel;          // "network_id"
  const char* firstLengthLine;  // kNetworkDescriptorsLengthLine
  const char* firstListLine;    // "network_descriptors:"
};

extern const LoopFamily kNitFamily;
extern const LoopFamily kBatFamily;

// Where the parts of a NIT or BAT section lie. Loops keep only whole items: a loop length that
// runs past its section, or ends inside an item, is cut back, and the header's loop lengths say so.
struct LoopSectionLayout {
  struct Stream {
    TransportStreamEntry entry;  // transport_descriptors_length cut to whole descriptors
    size_t descriptors = 0;      // offset of its first descriptor
  };
  SectionFields fields;
  LoopSectionHeader header;
  size_t firstLoop = 10;  // offset of the first descriptor loop; header.descriptors_length bytes
  std::vector<Stream> streams;
};

// Nothing when byte 0 is not `tableId`, or the section is shorter than 16 bytes, longer than the
// parse buffer or longer than the bytes given.
std::optional<LoopSectionLayout> LayOutLoopSection(const SectionBytes& s, uint8_t tableId);

// A transport stream entry's item of `kind` with its record, its original_network_id and length
// lines, as the last child of `list`; and its text.
ItemHandle AddStreamItem(TableTreeCtrl& tree, ItemHandle list, NodeKind kind, const TransportStreamEntry& e);
std::string StreamText(const TransportStreamEntry& e);
std::string OriginalNetworkLine(const TransportStreamEntry& e);

// Descriptors are drawn by their loop's kinds (sections/descriptors/EditableKinds.h).
struct LoopParser {
  const LoopFamily* family;
  std::string (*sectionText)(const LoopSectionHeader& header);
};

// Adds the branch of the section at the start of `section` under the port's table root.
bool ParseLoopSection(TableTreeCtrl& tree, const SectionBytes& section, int port, const LoopParser& parser);

// The walk of ReadNit and ReadBat: from byte 0 (which must hold `tableId`), each section is copied
// into a zeroed parse buffer and handed to `parse`; after a section the next is searched byte by
// byte. With `untilLast` the walk ends after a section whose last_section_number is not above its
// section_number (one table); without, it goes on to the end of the buffer (a BAT of several
// bouquets).
void WalkSections(std::span<const uint8_t> buffer, uint8_t tableId,
                  const std::function<void(std::span<const uint8_t>)>& parse, bool untilLast = true);

// --- building ---
// Ten packets of 188 bytes fit the packet store of a NIT or BAT section.
inline constexpr size_t kLoopPacketStoreSize = 2048;
// section_number is 8 bits wide.
inline constexpr int kMaxLoopSections = 256;

// Descriptor records are written by WriteLoopDescriptor.
struct LoopBuilder {
  const LoopFamily* family;
};

// Writes the section of `section` (loop lengths as its records hold them) as packets of `pid`
// at the start of `area`, which is cleared first. Not ok, without a message, when the item is not
// a section of the family; with a message when the section passes the packet store.
BuildResult BuildLoopSection(TableTreeCtrl& tree, ItemHandle section, const LoopBuilder& builder, uint8_t sectionNumber,
                             uint8_t lastSectionNumber, uint16_t pid, uint8_t* area, size_t areaSize);

// Builds one section into a packet store of kLoopPacketStoreSize bytes; `count` and `index`
// place it among the sections of the table's root.
using SectionBuild = std::function<BuildResult(ItemHandle section, int count, int index, uint8_t* store, size_t size)>;
// Every section item of the port's table in tree order, their packets one after the other from the
// start of `area`. Not ok without a section; not ok with a message naming the table `name`, and
// `area` untouched, when a section fails or the packets do not fit `areaSize`.
BuildResult BuildTableSections(TableTreeCtrl& tree, int port, Table table, const char* name, uint8_t* area,
                               size_t areaSize, const SectionBuild& build);
// "NIT has 257 sections, at most 256 can be numbered; the table was not written."
BuildResult TooManySections(const std::string& table, int count);

}  // namespace quorvelin
