#include "dialogs/dvb/CNITAdd.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::nit_add;

void CNITAdd::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add NIT";
  focusId = kSectionNumber;
}

bool CNITAdd::OnOK() {
  // Network_id is checked first although Section_number stands above it.
  if (Field(kNetworkId).empty()) return Refuse("network_id can not be null!", kNetworkId);
  if (Field(kSectionNumber).empty()) return Refuse("Section number can not be null!", kSectionNumber);
  const auto network = ReadField(*this, kNetworkId, kIdField);
  if (!network) return false;
  const auto section = ReadField(*this, kSectionNumber, kByteField);
  if (!section) return false;
  networkId_ = static_cast<uint16_t>(*network);
  sectionNumber_ = static_cast<uint8_t>(*section);
  return true;
}

}  // namespace quorvelin
