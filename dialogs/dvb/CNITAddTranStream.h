// Adds a transport stream to the transport-stream loop of a NIT section (mode 1) or of a BAT
// section (mode 2).
#pragma once

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CNITAddTranStream : public Form {
 public:
  // Opened by Add on a `NitTransportStreamList` item, or for the BAT on a `BatTransportStreamList`;
  // the family decides the kind of the new record.
  CNITAddTranStream(TableTreeCtrl& tree, Ui& ui, Table family = Table::Nit)
      : Form(dvb_ids::transport_stream::kTemplate, ui), tree_(tree), family_(family) {}

  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
  Table family_;
};

}  // namespace quorvelin
