// Changes the transport_stream_id and original_network_id of the selected SDT section, both read
// as hexadecimal.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifySdtSection : public Form {
 public:
  CDlgModifySdtSection(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
