// The tree lines of two dumps compared as a unified diff: removed lines "-", added lines "+",
// and in front of each run of changes the lines of the items that hold it (" "), so that a
// changed field names its place.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/Flows.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// The diff lines turning `a` into `b`; empty when they are equal.
std::vector<std::string> DiffLines(const std::vector<std::string>& a, const std::vector<std::string>& b);

// The lines of one table of a port as the tree shows them, root included; left out are the
// CRC_32 lines of sections whose CRC_32 checks (they follow from the other lines) and the
// UTC_time lines of the TDT and TOT, which each device keeps from its own clock.
std::vector<std::string> TableLines(const TableTreeCtrl& tree, int port, Table table);

// "NIT,BAT" to the set of tables named; nothing for an unknown name.
std::optional<TableSet> ParseTableList(const std::string& text);

}  // namespace quorvelin
