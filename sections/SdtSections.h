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

inline constexpr size_t kSdtReadBuffer = 4096;

// Adds "Section %d:" (`sectionIndex`) with the SDT branch for the section at the start of
// `bytes`: header lines, "original_network_id", "services" with one item per service and its
// descriptors, "crc_32". Names of service_descriptors are shown decoded with the process text
// code. False, nothing added, when byte 0 is not 0x42. `fields` receives the common header.
bool ParseSdtSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, int sectionIndex,
                     SectionFields* fields = nullptr);
// Adds every SDT section of one receive that `tally` has not seen ("Section %d:" numbered from
// `sectionIndex` on, which counts up); the walk ends at a section seen before or at a byte that
// starts no section. Returns the number of sections added.
int ParseSdtSections(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, SectionTally& tally,
                     int& sectionIndex);
// Reads the port's SDT, dumping each receive to tables/sdt%d.bin, until a section_number comes
// again, every section 0..last_section_number is in, or a receive adds nothing. False when a
// read fails or a receive does not start with 0x42 (what was added before stays).
bool ReadSdt(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Clears `area` and writes the port's first SDT section (always as table_id 0x42) as packets
// at its start. Not ok without an SDT section or without its "services" holder (the area is
// then left cleared); not ok with an error text when the section passes 919 bytes.
BuildResult BuildSdt(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
