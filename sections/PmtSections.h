// Program Map Tables (ISO/IEC 13818-1 2.4.4.8): table_id 0x02 on the PIDs the PAT lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sections/SectionReader.h"
#include "sections/SectionWriter.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

inline constexpr size_t kPmtReadBuffer = kTableReadBuffer;
// The packets of one PMT section of up to 1024 bytes.
inline constexpr size_t kPmtSlotSize = kPacketsOfLargestSection * 188;

// Image of a component line: video for stream types 1, 2 (MPEG-1/2 video) and 0x1B (AVC), audio
// for 3 and 4 (MPEG-1/2 audio), a plain line otherwise.
int ComponentImage(uint8_t streamType);

// The text of a program's item: "program_number: 0x%x (%d) => PID: 0x%x (%d)", as the PAT shows it.
std::string PmtProgramText(int programNumber, int pmtPid);

// The PMT sections of one program read so far: their count, and which were seen.
struct PmtReadState {
  int sectionCounter = 0;
  SectionTally tally;
  int programNumber = -1;  // the program asked for; -1: any (sections of others are passed over)
};

// Walks the sections of one receive of a program's PMT (`bytes` from offset 0) and adds one
// program item ("program_number: ... => PID: ...") with its "Section %d:" branch per section. The walk
// stops at a byte that is not 0x02, at offset 188, or at a section (program_number and
// section_number) seen before; sections whose program_number or section_length is 0 are passed
// over. Returns the number of sections added.
int ParsePmtSections(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, uint16_t pmtPid,
                     PmtReadState& state);
// Reads the PMT of each of the first `count` programs of the port's PAT branch (the NIT entry
// not counted), dumping each receive to tables/pmt%d.bin, until a section comes again, every
// section 0..last_section_number is in, or a receive adds nothing.
bool ReadPmts(TableTreeCtrl& tree, TableExchange& exchange, int port, int count);

// Writes the first section of each program item of the port into its slot of six packets (slot i
// at kPmtSlotSize * i), on the record's PMT PID, leaving the rest of the slot as it was. Not ok
// without a program item. A program whose section passes 1024 bytes, or whose slot lies beyond the area,
// keeps its slot untouched; the others are still written, and the result is not ok with the
// first such message.
BuildResult BuildPmts(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize);

}  // namespace quorvelin
