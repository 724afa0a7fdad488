// The CA_descriptor form (tag 9) that the CAT dialog CCATAddDes1 and the PMT page CCatDesPMT
// share: its five fields, their checks, and the descriptor branch it inserts.
#pragma once

#include <optional>
#include <string>

#include "dialogs/dvb/DescriptorPage.h"

namespace quorvelin {

// Most private data bytes a CA_descriptor holds: descriptor_length = private bytes + 4 <= 255.
inline constexpr int kMaxCaPrivateDataLength = 251;

class CaDescriptorForm : public DescriptorPage {
 public:
  // Button texts, title "Add Descriptor", tag "0x09", private data length "0".
  void OnInitDialog() override;

 protected:
  CaDescriptorForm(int templateId, TableTreeCtrl& tree, Ui& ui);

  struct Input {
    CaDescriptor descriptor;
    std::string normalised;  // the private data as typed pairs, each followed by a blank
  };
  // The checks in form order; on a refusal the message is shown, the focus set, nothing returned.
  std::optional<Input> ReadFields();
  // Inserts "descriptor_tag: 0x%x" with its lines as the last child of `holder` and expands the
  // holder, the descriptor and its "descriptor_data" line. Returns the descriptor item.
  ItemHandle InsertDescriptor(ItemHandle holder, NodeKind kind, const Input& input);
};

}  // namespace quorvelin
