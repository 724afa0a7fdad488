// The bouquet_name_descriptor page (tag 0x47) of a BAT section's bouquet loop: adds a name, or
// replaces the selected one.
#pragma once

#include <optional>
#include <string>

#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

class CBATAddBouquetName : public DescriptorPage {
 public:
  static constexpr int kTemplate = 4044;
  static constexpr int kTag = 4015;
  static constexpr int kName = 4019;

  CBATAddBouquetName(TableTreeCtrl& tree, Ui& ui) : DescriptorPage(kTemplate, tree, ui) {}

  // Tag "0x47"; in modify mode the stored name, decoded for display.
  void OnInitDialog() override;
  bool AddDesc() override;

  // 1 add (a `BatBouquetDescriptorList` is selected), 0 modify (the `BatBouquetName` to replace).
  uint8_t add = 1;

 private:
  // Modify mode: the stored name and the text shown for it. A name left as shown goes out with
  // the bytes it came with (decoding then encoding is no round trip).
  std::optional<NameDescriptor> stored_;
  std::string shown_;
};

}  // namespace quorvelin
