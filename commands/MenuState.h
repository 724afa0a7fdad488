// Which commands of the context menu the selected item allows.
#pragma once

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// The six flags for an item of this kind (Submit always set); an item without a NodeRecord
// passes hasRecord false and gets Submit only.
MenuFlags MenuFlagsFor(NodeKind kind, bool hasRecord);

}  // namespace quorvelin
