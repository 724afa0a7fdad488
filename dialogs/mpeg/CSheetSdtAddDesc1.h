// The "Service Descriptor" page of CSDTAddDesc: a service_descriptor (tag 0x48) with both names
// encoded by the text code; in modify mode it starts with the stored descriptor's values and
// replaces it where it stands.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dialogs/dvb/DescriptorPage.h"
#include "dialogs/mpeg/SdtLoopPage.h"

namespace quorvelin {

class CSheetSdtAddDesc1 : public SdtLoopPage<DescriptorPage> {
 public:
  CSheetSdtAddDesc1(TableTreeCtrl& tree, Ui& ui);
  void OnInitDialog() override;
  bool AddDesc() override;
  // Modify mode: the descriptor to replace, set before the page starts.
  void SetReplaced(const ReplacedDescriptor& old) { replaced_ = old; }

 private:
  static std::span<const uint8_t> NoName() { return {}; }
  // Modify mode: the stored name of field `id` shows empty.
  bool KeptEmpty(int id) const;
  std::optional<std::vector<uint8_t>> EncodeName(int id, const std::string& typed, std::span<const uint8_t> stored);

  std::optional<ReplacedDescriptor> replaced_;
  std::optional<SdtServiceDescriptor> stored_;
};

// Both names of a service_descriptor share its length byte with service_type and the two name
// lengths: together they hold at most 255 - 3 bytes.
inline constexpr int kMaxServiceNamesBytes = 252;

}  // namespace quorvelin
