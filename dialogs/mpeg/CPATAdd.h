// Asks for the transport_stream_id of a new PAT; the PAT creation converts and inserts it.
#pragma once

#include <string>

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CPATAdd : public Form {
 public:
  CPATAdd(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool OnOK() override;

  std::string transportStreamId;  // the trimmed field text, for the caller
};

}  // namespace quorvelin
