// Creates a BAT section under the selected BAT root from a bouquet_id and a version number.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CAddBat : public Form {
 public:
  static constexpr int kTemplate = 4040;
  static constexpr int kBouquetId = 4048;
  static constexpr int kVersionNumber = 4027;

  // Opened by Add on a `BatRoot` item.
  CAddBat(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
