// Adds one of the two loop headings of a PMT section: "program_info_descriptors" or "components".
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPMTAddDescType : public Form {
 public:
  CPMTAddDescType(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
