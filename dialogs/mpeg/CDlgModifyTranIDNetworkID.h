// Changes the transport_stream_id and original_network_id of the selected transport-stream
// entry of a NIT (or BAT), both read as hexadecimal.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifyTranIDNetworkID : public Form {
 public:
  CDlgModifyTranIDNetworkID(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TransportStreamEntry* SelectedEntry();

  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
