// The "Other Descriptor" page of CSDTAddDesc: any descriptor typed as hexadecimal.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"

namespace quorvelin {

class CSheetSdtAddDes2 : public HexDescriptorPage {
 public:
  CSheetSdtAddDes2(TableTreeCtrl& tree, Ui& ui);
  // The service's "descriptors" holder that the descriptor goes under.
  void SetHolder(ItemHandle holder) { holder_ = holder; }
  bool AddDesc() override;
  // Bytes of the descriptor last added (descriptor_length + 2).
  int AddedBytes() const { return added_; }

 private:
  ItemHandle holder_ = kNoItem;
  int added_ = 0;
};

}  // namespace quorvelin
