// Program Association Table (ISO/IEC 13818-1 2.4.4.3): table_id 0x00 on PID 0x0000.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kPsiReadBuffer = kTableReadBuffer;  // PAT and CAT reads

// Adds the PAT branch ("Section 0:", header lines, "programs:%d" with one line per entry,
// "CRC_32") for the section at the start of `bytes`. Returns the number of entries; 0 and
// nothing added when byte 0 is not 0x00 or bytes 1 to 3 are all 0.
int ParsePatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);
// Reads the port's PAT through the exchange and adds its branch; 0 when the read fails.
int ReadPat(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Writes the port's first PAT section as one packet at the start of `area` (the rest of the
// area cleared), with the transport_stream_id of its own record. count = programs written; not ok
// (count 0, error empty) without a PAT section; not ok with an error text when the programs do
// not fit one packet.
BuildResult BuildPat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
