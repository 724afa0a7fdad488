// Changes the program_number and PCR PID of the selected PMT section.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifyPmtSection : public Form {
 public:
  CDlgModifyPmtSection(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
