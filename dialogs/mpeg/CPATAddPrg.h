// Adds a program entry to a PAT section (Add on "programs:%d") or changes one (Modify on an entry).
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPATAddPrg : public Form {
 public:
  CPATAddPrg(TableTreeCtrl& tree, Ui& ui, bool add);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  // Carries a changed program number and PID over to the matching program of the PMT branch of
  // the PAT's own port.
  void FollowInPmt(int port, uint16_t oldNumber, const PatProgram& program);

  TableTreeCtrl& tree_;
  bool add_;
};

}  // namespace quorvelin
