// Table data files ("*.data"): the NIT, BAT or CAT of a port as 4106 bytes of transport packets,
// saved from and loaded into the branch of the selected table root.
#pragma once

#include <cstddef>
#include <string>

#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

// 21 whole packets (3948 bytes) and a tail of 158 bytes that never holds a whole packet.
inline constexpr size_t kTableFileSize = 4106;

// The file dialog of both commands.
FileDialogRequest TableFileDialog(bool save);

// Command 32787: builds the table of the selected NIT, BAT or CAT root and writes it to the file
// the user chooses, filler 0xFF (NIT, BAT) or 0x00 (CAT) behind the packets. What was done for
// the status line ("Saved the NIT of PortA to nit.data: 1 table, 3 packets"); empty when nothing was.
std::string SaveCurrentTable(TableTreeCtrl& tree, Ui& ui);
// Command 32788: adds the sections of a chosen file to the selected NIT, BAT or CAT root (the
// NIT: every section; the BAT and CAT: the first), behind what the branch already holds. What
// was done ("Loaded nit.data into the NIT of PortB: 1 table, 3 packets"); empty when nothing was.
std::string LoadCurrentTable(TableTreeCtrl& tree, Ui& ui);

}  // namespace quorvelin
