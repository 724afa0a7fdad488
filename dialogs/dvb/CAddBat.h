// Creates a BAT section under the selected BAT root from a bouquet_id and a version number.
#pragma once

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CAddBat : public Form {
 public:
  // Opened by Add on a `BatRoot` item.
  CAddBat(TableTreeCtrl& tree, Ui& ui) : Form(dvb_ids::bat_add::kTemplate, ui), tree_(tree) {}

  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
