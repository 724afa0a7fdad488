// Adds one of the two loop holders of the selected BAT section: "bouquet_descriptors" or
// "transport_streams", each directly after its length line.
#pragma once

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CBATAddGather : public Form {
 public:
  // Opened by Add on a `BatSection` item. No entry is chosen at start: Ok alone adds the
  // transport-stream holder.
  CBATAddGather(TableTreeCtrl& tree, Ui& ui) : Form(dvb_ids::bat_gather::kTemplate, ui), tree_(tree) {}

  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
