// Service Description Table (ETSI EN 300 468 5.2.3): table_id 0x42 (actual transport stream)
// on PID 0x0011.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sections/SectionReader.h"
#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kSdtReadBuffer = kTableReadBuffer;

// Adds "Section %d:" (`sectionIndex`) with the SDT branch for the section at the start of
// `bytes`: header lines, "original_network_id", "services" with one item per service and its
// descriptors, "CRC_32". Names of service_descriptors are shown decoded with the process text
// code. False, nothing added, when byte 0 is not 0x42. `fields` receives the common header.
bool ParseSdtSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, int sectionIndex,
                     SectionFields* fields = nullptr);
// Reads the port's SDT, dumping each receive to tables/sdt%d.bin, until every section
// 0..last_section_number is in or a turn of receives adds nothing, then adds the sections in
// section_number order. False when a read fails (what was read before is added) or the first
// receive does not start with 0x42.
bool ReadSdt(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Writes every SDT section of the port (always as table_id 0x42), section_number as each record
// holds it and last_section_number = sections - 1, packets one after the other from the start of
// `area`. Not ok without an SDT section; without the "services" holder of a section the area is
// cleared; not ok with an error text when a section passes 1024 bytes or the area.
BuildResult BuildSdt(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
