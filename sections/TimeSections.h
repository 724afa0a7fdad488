// Time and Date Table (table_id 0x70) and Time Offset Table (table_id 0x73) of ETSI EN 300 468
// 5.2.5 and 5.2.6, both on PID 0x0014. The tree keeps one stored UTC time per port; the TOT
// section item carries a TotRecord.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kTimeReadBuffer = 4096;
// In the received bytes of PID 0x0014 the TOT follows the TDT's packet: offset 184 is the
// table_id behind the second packet's pointer_field.
inline constexpr size_t kTotOffset = 184;

// Adds the four TDT lines under the port's TDT root for the section at the start of `bytes` and
// stores its UTC time as the first port's stored time. False, nothing added, unless byte 0 is 0x70.
bool ParseTdtSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);
bool ReadTdt(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Adds "Section 0:" with a TotRecord and the TOT lines for the section at the start of `bytes`
// (the first region of the first descriptor in the record's fields, the further regions and
// descriptors kept as received, each further region shown in the same lines); expands the
// branch. False, nothing added, unless byte 0 is 0x73.
bool ParseTotSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port);
// Reads PID 0x0014 and parses the TOT found at kTotOffset of the received bytes.
bool ReadTot(TableTreeCtrl& tree, TableExchange& exchange, int port);

// Rebuild the TDT branch from the port's stored UTC time, and the TOT branch from `state`
// (a fresh copy is attached; the CRC_32 line shows 0xffffff until the TOT is read again).
void ShowTdt(TableTreeCtrl& tree, ItemHandle tdtRoot);
void ShowTot(TableTreeCtrl& tree, ItemHandle totRoot, const TotRecord& state);

// One TDT packet carrying the UTC time `utc`, which becomes the first port's stored time; the
// rest of the area keeps the caller's filler. count = 1; not ok when the area is shorter than
// the packet.
BuildResult BuildTdtAt(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize, const DateTime& utc);

// The record's descriptor_length, descriptors_loop_length and section_length for its first
// region and what it keeps behind it.
void SetTotLengths(TotRecord& t);

// One TOT packet from the TotRecord of the port's TOT section, with the port's stored UTC
// time (written into the record too): its first region from the record's fields, then the
// further regions and descriptors it keeps, the lengths counted from them. Without a TOT
// section only the packet header and pointer_field are written. count = 1; not ok when the
// port has no TOT root or the area is shorter than a packet, and with a message when the
// section does not fit one packet (the section is then not written).
BuildResult BuildTot(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
