// The sections of one table as the device sent them, taken out of the answers to its reads, so
// that a table nobody changed goes back out byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

using Answer = std::vector<uint8_t>;  // section bytes from offset 0, as ReadTable leaves them

// Every section of `tableId` in the answers: from the start of each answer, one after the other
// (0xFF stuffing and a pointer_field of 0 between them skipped); a section already taken (same
// table_id_extension and section_number) is taken once, in the order first received. Nothing
// when a section of the table is cut short or fails its CRC_32.
std::optional<TableTreeCtrl::Sections> SectionsOfAnswers(const std::vector<Answer>& answers, uint8_t tableId);

// The sections that the table's branch shows: a root's sections, or for the PMT the sections
// of its programs.
int SectionItems(const TableTreeCtrl& tree, int port, Table table);

// The sections as packets of `pid` one after the other from the start of `area`, which is
// cleared first; false, with the area cleared, when they do not fit it.
bool PlaceSections(const TableTreeCtrl::Sections& sections, uint16_t pid, uint8_t* area, size_t size);

}  // namespace quorvelin
