// Asks for the device channel (port) that a single-port editor works on, 1 to 32.
#pragma once

#include <functional>

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

// The SetChannel command: runs CSetChannel with the tree's channel number; on Ok the confirmed
// number becomes the tree's channel number and `refresh` rereads the device. True on Ok.
bool RunSetChannel(TableTreeCtrl& tree, Ui& ui, DialogRunner& runner, const std::function<void()>& refresh);

}  // namespace quorvelin
