// Adds one of the two loop holders of the selected NIT section: "network_descriptors" or
// "transport_streams", each directly after its length line.
#pragma once

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CNITAddGather : public Form {
 public:
  // Opened by Add on a `NitSection` item.
  CNITAddGather(TableTreeCtrl& tree, Ui& ui) : Form(dvb_ids::nit_gather::kTemplate, ui), tree_(tree) {}

  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
