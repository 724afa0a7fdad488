// Conditional Access Table (ISO/IEC 13818-1 2.4.4.6): table_id 0x01 on PID 0x0001.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// Adds the CAT branch ("Section 0:", header lines without identifier, "descriptors" with one
// CA_descriptor each when section_length > 9, "CRC_32") for the section at the start of
// `bytes`. False, nothing added, when byte 0 is not 0x01.
bool ParseCatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);
// Reads the port's CAT through the exchange and parses it.
bool ReadCat(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Clears `area` and writes the port's first CAT section as packets at its start (every
// descriptor written as a CA_descriptor). Not ok without a CAT section; not ok with an error
// text when the section passes 919 bytes or its packets do not fit the area.
BuildResult BuildCat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
