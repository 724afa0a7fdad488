// Bouquet Association Table (table_id 0x4A, PID 0x0011, ETSI EN 300 468 5.2.2): the branch of
// each section, the read from the device and the build into packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "sections/TableIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kBatBufferSize = kBatReadBuffer;
inline constexpr const char* kBatDumpName = "bat.bin";

// The text of a BAT section's item ("Section 0: bouquet_id: 0x1, version_number: 0x2").
std::string BatSectionText(const LoopSectionHeader& h);

// Adds the branch of the section at the start of `bytes`; false (nothing added) when byte 0 is
// not 0x4A, the section does not fit the bytes given or the 1024-byte parse buffer.
bool ParseBatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);

// Reads the port's BAT from the device (PID 0x0011 marked as BAT), dumps the buffer to
// tables/bat.bin and adds every section of every bouquet: grouped by bouquet_id in the order the
// bouquets first come, each bouquet's sections by section_number. False when the read fails.
bool ReadBat(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Every BAT section of the port, packets one after the other from the start of `area`; each
// bouquet_id is a table of its own, its sections numbered from 0 by their position among its
// sections, with its own last_section_number. `area` is left as it was when the result is not ok.
BuildResult BuildBat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
