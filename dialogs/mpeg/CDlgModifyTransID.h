// Changes the transport_stream_id of the selected PAT (or SDT) section, read as hexadecimal.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifyTransID : public Form {
 public:
  CDlgModifyTransID(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  PatSectionHeader* SelectedHeader();

  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
