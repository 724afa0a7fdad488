// Network Information Table, actual network (table_id 0x40, ETSI EN 300 468 5.2.1): the branch of
// each section, the read from the device or from a table file, and the build into packets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sections/Packets.h"
#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kNitBufferSize = kTableReadBuffer;
inline constexpr const char* kNitDumpName = "nit.bin";

// Adds the "Section %d:" branch of the section at the start of `bytes`; false (nothing added) when
// byte 0 is not 0x40, the section does not fit the bytes given or the 1024-byte parse buffer.
bool ParseNitSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);

// Reads the port's NIT from the device (PID 0x0010, 5120-byte buffer), dumps the buffer to
// tables/nit.bin and adds every section. False when the read fails.
bool ReadNit(TableTreeCtrl& tree, TableExchange& exchange, int port);
// The same from the transport packets of a table file: false when `size` exceeds 5120 bytes.
bool ParseNitPackets(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);

// The PID of the port's NIT: the PAT's network entry (program_number 0), else 0x0010.
uint16_t NitPid(const TableTreeCtrl& tree, int port);

// Every NIT section of the port, packets one after the other from the start of `area`; `area` is
// left as it was when the result is not ok (no section, or a message why).
BuildResult BuildNit(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
