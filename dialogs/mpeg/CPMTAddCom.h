// Adds an elementary-stream component to a PMT section (Add on "components") or changes one
// (Modify on a component).
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPMTAddCom : public Form {
 public:
  CPMTAddCom(TableTreeCtrl& tree, Ui& ui, bool add);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
  bool add_;
};

}  // namespace quorvelin
