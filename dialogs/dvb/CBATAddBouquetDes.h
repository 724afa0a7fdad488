// Adds a descriptor to the bouquet loop of a BAT section (bouquet name or any descriptor typed as
// hexadecimal), or modifies the selected bouquet name or bouquet-loop descriptor.
#pragma once

#include "dialogs/dvb/CBATAddBouquetName.h"
#include "dialogs/dvb/CBATAddUndefDes.h"
#include "dialogs/dvb/DescriptorTabDialog.h"

namespace quorvelin {

class CBATAddBouquetDes : public DescriptorTabDialog {
 public:
  static constexpr int kTemplate = 4042;
  enum PageIndex { kBouquetNamePage = 0, kOtherPage = 1 };

  // Add on a `BatBouquetDescriptorList` (add 1); Modify on a `BatBouquetName` (add 0). A
  // bouquet-loop `BatDescriptor` may also be modified here (otherModify 1); CBATAddStreamDes
  // serves it as well.
  CBATAddBouquetDes(TableTreeCtrl& tree, Ui& ui);

  void OnInitDialog() override;

  uint8_t add = 1;
  uint8_t otherModify = 0;

  CBATAddBouquetName& BouquetNamePage() { return name_; }
  CBATAddUndefDes& OtherPage() { return other_; }

 private:
  CBATAddBouquetName name_;
  CBATAddUndefDes other_;
};

}  // namespace quorvelin
