// The bouquet_name_descriptor page (tag 0x47) of a BAT section's bouquet loop: adds a name, or
// replaces the selected one.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"
#include "dialogs/dvb/NameDescriptorText.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CBATAddBouquetName : public DescriptorPage {
 public:
  CBATAddBouquetName(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(dvb_ids::bouquet_name::kTemplate, tree, ui) {}

  // Tag "0x47"; in modify mode the stored name, decoded for display.
  void OnInitDialog() override;
  bool AddDesc() override;

  // 1 add (a `BatBouquetDescriptorList` is selected), 0 modify (the `BatBouquetName` to replace).
  uint8_t add = 1;

 private:
  ShownName shown_;  // modify mode
};

}  // namespace quorvelin
