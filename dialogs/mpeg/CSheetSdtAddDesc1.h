// The "Service Descriptor" page of CSDTAddDesc: a service_descriptor (tag 0x48) with both names
// encoded by the text code.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"
#include "dialogs/mpeg/SdtLoopPage.h"

namespace quorvelin {

class CSheetSdtAddDesc1 : public SdtLoopPage<DescriptorPage> {
 public:
  CSheetSdtAddDesc1(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool AddDesc() override;
};

// Both names of a service_descriptor share its length byte with service_type and the two name
// lengths: together they hold at most 255 - 3 bytes.
inline constexpr int kMaxServiceNamesBytes = 252;

}  // namespace quorvelin
