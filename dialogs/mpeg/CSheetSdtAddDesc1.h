// The "Service Descriptor" page of CSDTAddDesc: a service_descriptor (tag 0x48) with both names
// encoded by the text code.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

class CSheetSdtAddDesc1 : public DescriptorPage {
 public:
  CSheetSdtAddDesc1(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  // The service's "descriptors" holder that the descriptor goes under.
  void SetHolder(ItemHandle holder) { holder_ = holder; }
  bool AddDesc() override;
  // Bytes of the descriptor last added (descriptor_length + 2).
  int AddedBytes() const { return added_; }

 private:
  ItemHandle holder_ = kNoItem;
  int added_ = 0;
};

// Both names of a service_descriptor share its length byte with service_type and the two name
// lengths: together they hold at most 255 - 3 bytes.
inline constexpr int kMaxServiceNamesBytes = 252;

}  // namespace quorvelin
