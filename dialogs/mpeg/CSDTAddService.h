// Adds a service to an SDT section (Add on "services") or changes one (Modify on a service).
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CSDTAddService : public Form {
 public:
  CSDTAddService(TableTreeCtrl& tree, Ui& ui, bool add);
  void OnInitDialog() override;
  bool OnOK() override;

  // The three check boxes, 0 or 1.
  int eitSchedule = 0;
  int eitPresentFollowing = 0;
  int freeCaMode = 0;

 private:
  TableTreeCtrl& tree_;
  bool add_;
};

}  // namespace quorvelin
