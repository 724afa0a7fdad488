// Creates the PMT of a program that the port's PAT lists (Add on a port's "PMT" root).
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPMTAddPrg : public Form {
 public:
  CPMTAddPrg(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
