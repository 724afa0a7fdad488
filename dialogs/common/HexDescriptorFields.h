// The Descriptor_tag / Descriptor_length / Descriptor_data fields of a descriptor typed as
// hexadecimal, as every "Other Descriptor" page of the PMT, SDT, NIT and BAT dialogs has them.
#pragma once

#include <optional>
#include <string>

#include "dialogs/common/Form.h"
#include "tree/Records.h"

namespace quorvelin {

// What the three fields give once checked: the descriptor and the data as the user sees it back.
struct HexDescriptorInput {
  GenericDescriptor descriptor;
  std::string normalised;  // each typed pair of digits followed by a blank ("01 AB 20 ")
};

struct HexDescriptorFields {
  int tag = 0;
  int length = 0;
  int data = 0;

  // Checks the fields in form order (trimmed-empty tag, length, data; a tag or length outside
  // 0..255; data that is not the length's hexadecimal bytes) and converts them. On a refusal the form shows the
  // message, takes the focus and nothing is returned; the form's fields are left as typed.
  std::optional<HexDescriptorInput> Read(Form& form) const;
};

}  // namespace quorvelin
