// The "Other Descriptor" page of a NIT transport stream: any descriptor typed as hexadecimal.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"

namespace quorvelin {

class CNITAddUndef1 : public HexDescriptorPage {
 public:
  static constexpr int kTemplate = 4022;

  CNITAddUndef1(TableTreeCtrl& tree, Ui& ui) : HexDescriptorPage(kTemplate, tree, ui) {}

  // Works on a selected `NitTransportStream`.
  bool AddDesc() override;
};

}  // namespace quorvelin
