// Asks for the identity of a new NIT section; the creation command builds the section from it.
#pragma once

#include <cstdint>

#include "dialogs/common/Form.h"
#include "resources/DvbDialogIds.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CNITAdd : public Form {
 public:
  explicit CNITAdd(Ui& ui) : Form(dvb_ids::nit_add::kTemplate, ui) {}
  // The tree is not touched; accepted for the callers that open every dialog with it.
  CNITAdd(TableTreeCtrl& /*tree*/, Ui& ui) : CNITAdd(ui) {}

  void OnInitDialog() override;
  bool OnOK() override;

  // After Ok.
  uint16_t NetworkId() const { return networkId_; }
  uint8_t SectionNumber() const { return sectionNumber_; }

 private:
  uint16_t networkId_ = 0;
  uint8_t sectionNumber_ = 0;
};

}  // namespace quorvelin
