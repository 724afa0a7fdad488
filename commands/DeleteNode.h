// Delete of the selected node, keeping the loop lengths it took part in and their lines right.
#pragma once

#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

// Asks "Delete this item and everything under it?" (not for the TDT and TOT roots), fixes the
// length fields and lines, releases the records of the node's subtree and deletes it. Returns
// true when something was deleted.
bool DeleteSelectedNode(TableTreeCtrl& tree, Ui& ui);

}  // namespace quorvelin
