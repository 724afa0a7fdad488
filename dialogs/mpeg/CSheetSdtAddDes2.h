// The "Other Descriptor" page of CSDTAddDesc: any descriptor typed as hexadecimal.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"
#include "dialogs/mpeg/SdtLoopPage.h"

namespace quorvelin {

class CSheetSdtAddDes2 : public SdtLoopPage<HexDescriptorPage> {
 public:
  CSheetSdtAddDes2(TableTreeCtrl& tree, Ui& ui);
  bool AddDesc() override;
};

}  // namespace quorvelin
