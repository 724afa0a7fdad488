// Asks for the device channel (port) that a single-port editor works on, 1 to 32.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CSetChannel : public Form {
 public:
  CSetChannel(TableTreeCtrl& tree, Ui& ui, int channel);
  void OnInitDialog() override;
  bool OnOK() override;

  int channel;  // given by the caller, the confirmed number after Ok
};

inline constexpr int kFirstChannel = 1;
inline constexpr int kLastChannel = 32;

}  // namespace quorvelin
