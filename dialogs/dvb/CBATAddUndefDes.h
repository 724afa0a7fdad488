// Any descriptor typed as hexadecimal in a BAT section: in the bouquet loop (mode 1) or in a
// transport stream's loop (mode 2); adds one, or replaces the selected `BatDescriptor`.
#pragma once

#include "dialogs/dvb/HexDescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CBATAddUndefDes : public HexDescriptorPage {
 public:
  static constexpr int kBouquetLoop = 1;
  static constexpr int kTransportLoop = 2;

  CBATAddUndefDes(TableTreeCtrl& tree, Ui& ui) : HexDescriptorPage(dvb_ids::hex_descriptor::kBatTemplate, tree, ui) {}

  // In modify mode the fields show the stored descriptor.
  void OnInitDialog() override;
  bool AddDesc() override;

  // Add: mode 1 works on a selected `BatBouquetDescriptorList`, mode 2 on a `BatTransportStream`.
  int loopMode = kBouquetLoop;
  uint8_t add = 1;
};

// The loop mode of a `BatDescriptor` item: 1 in the bouquet loop, 2 in a transport stream's loop,
// 0 for any other item.
int BatDescriptorLoop(const TableTreeCtrl& tree, ItemHandle descriptor);

}  // namespace quorvelin
