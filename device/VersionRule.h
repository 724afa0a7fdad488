// A receiver takes a changed table only under a new version_number (ISO/IEC 13818-1 2.4.4.5):
// the sub-tables about to be written whose content differs from what the device holds under
// the same version_number, and raising theirs by one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// At a write of tables: ask (the editor), raise the version_number (--bump) or keep it
// (--keep-version).
enum class VersionRule { Ask, Raise, Keep };

// One sub-table (table_id and table_id_extension) whose content changed under its version_number.
struct StaleVersion {
  Table table;
  uint8_t tableId = 0;
  uint16_t id = 0;
  uint8_t version = 0;  // the one it shares with what the device holds
};

// The sections of `tableId` carried by the run of packets at the start of `area`.
TableTreeCtrl::Sections SectionsOfPackets(const uint8_t* area, size_t size, uint8_t tableId);

// The sub-tables of `sent` that `held` also has, with other bytes and the same version_number.
std::vector<StaleVersion> StaleVersions(Table table, const TableTreeCtrl::Sections& sent,
                                        const TableTreeCtrl::Sections& held);

// "PortA NIT (network_id 0x1, version_number 3)": each sub-table named.
std::string StaleVersionNames(const TableTreeCtrl& tree, int port, const std::vector<StaleVersion>& stale);

// The question put before such a write; Yes raises.
std::string RaiseVersionQuestion(const std::string& names);

// version_number + 1 (mod 32) in every section record of each stale sub-table of the port, and
// the tree lines that show it.
void RaiseVersions(TableTreeCtrl& tree, int port, const std::vector<StaleVersion>& stale);

}  // namespace quorvelin
