// The dialog page that changes a descriptor record of one kind in place (Modify), one line per
// kind in ModifyPages.cpp; the registry's `modify` flag says which kinds have one.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/NodeKind.h"
#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

struct ModifyPage {
  NodeKind record = NodeKind::None;
  // Runs the page alone on the selected record, filled with its values; true on Ok.
  bool (*modify)(DialogRunner& runner, TableTreeCtrl& tree, Ui& ui) = nullptr;
  // A double-click on the item still expands or collapses it after the page (the BAT's pages).
  bool expands = false;
};

// The page of the descriptor record kind `record`; nullptr when none changes it in place.
const ModifyPage* FindModifyPage(NodeKind record);

}  // namespace quorvelin
