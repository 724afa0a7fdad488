// Adds a transport stream to the transport-stream loop of a NIT section (mode 1) or of a BAT
// section (mode 2).
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CNITAddTranStream : public Form {
 public:
  static constexpr int kTemplate = 4020;
  static constexpr int kTransportStreamId = 4020;
  static constexpr int kOriginalNetworkId = 4021;

  // Opened by Add on a `NitTransportStreamList` item, or for the BAT on a `BatTransportStreamList`;
  // the family decides the kind of the new record.
  CNITAddTranStream(TableTreeCtrl& tree, Ui& ui, Table family = Table::Nit)
      : Form(kTemplate, ui), tree_(tree), family_(family) {}

  void OnInitDialog() override;
  bool OnOK() override;

 private:
  TableTreeCtrl& tree_;
  Table family_;
};

}  // namespace quorvelin
