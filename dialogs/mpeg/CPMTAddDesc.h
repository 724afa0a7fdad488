// The "Other" page of CPmtAddComDes: adds a descriptor typed as hexadecimal to a PMT
// program-info loop or to a component's loop.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPMTAddDesc : public Form {
 public:
  CPMTAddDesc(TableTreeCtrl& tree, Ui& ui);
  // The page's add operation; false (the dialog stays open) on a refused field.
  bool AddDesc();

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
