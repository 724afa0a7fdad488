// Adds a descriptor to the bouquet loop of a BAT section (bouquet name or any descriptor typed as
// hexadecimal), or modifies the selected bouquet name or bouquet-loop descriptor.
#pragma once

#include "dialogs/dvb/CBATAddBouquetName.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CBATAddBouquetDes : public DescriptorTabDialog {
 public:
  enum PageIndex { kBouquetNamePage = 0, kOtherPage = 1 };

  // Add on a `BatBouquetDescriptorList`; Modify on a `BatBouquetName` (a bouquet-loop
  // `BatDescriptor` is modified through CBATAddStreamDes).
  enum class Mode { Add, ModifyName };
  CBATAddBouquetDes(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);

  void OnInitDialog() override;

  HexDescriptorPage& OtherPage() { return other_; }

 private:
  CBATAddBouquetName name_;
  HexDescriptorPage other_;
  Mode mode_;
};

}  // namespace quorvelin
