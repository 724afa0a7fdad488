// Changes version_number, network_id and current_next_indicator of the selected NIT section.
#pragma once

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifyNIT : public Form {
 public:
  static constexpr uint32_t kMaxNetworkId = 65531;

  // Opened by "Modify NIT" on a `NitSection` item.
  CDlgModifyNIT(TableTreeCtrl& tree, Ui& ui) : Form(dvb_ids::nit_modify::kTemplate, ui), tree_(tree) {}

  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
