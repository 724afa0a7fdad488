// Asks for the two ids of a new SDT; the SDT creation converts them and inserts the section.
#pragma once

#include <string>

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CSDTAdd : public Form {
 public:
  CSDTAdd(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

  // The trimmed field texts, for the caller.
  std::string transportStreamId;
  std::string originalNetworkId;
};

}  // namespace quorvelin
