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
  static constexpr int kNitMode = 1;
  static constexpr int kBatMode = 2;

  // Opened by Add on a `NitTransportStreamList` item, or with mode 2 on a `BatTransportStreamList`.
  CNITAddTranStream(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

  void OnInitDialog() override;
  bool OnOK() override;

  // 1 NIT, 2 BAT: decides the kind of the new record (set before the dialog runs).
  int familyMode = kNitMode;

 private:
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
