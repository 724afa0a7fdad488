#include "dialogs/dvb/CDlgNITAddServiceList.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::service_list;

CDlgNITAddServiceList::CDlgNITAddServiceList(TableTreeCtrl& tree, Ui& ui, Table family)
    : EntryListPage(kTemplate, tree, ui,
                    {0x41, 3, "network_service_list_descriptor", "The service list can not be empty!",
                     "The service list can't hold more than 85 services!"}),
      family_(family) {}

NodeKind CDlgNITAddServiceList::StreamKind() const {
  return family_ == Table::Bat ? NodeKind::BatTransportStream : NodeKind::NitTransportStream;
}
NodeKind CDlgNITAddServiceList::HolderKind() const {
  return family_ == Table::Bat ? NodeKind::BatTransportDescriptorList : NodeKind::NitTransportDescriptorList;
}
NodeKind CDlgNITAddServiceList::RecordKind() const {
  return family_ == Table::Bat ? NodeKind::BatServiceList : NodeKind::NitServiceList;
}

void CDlgNITAddServiceList::AddRow() {
  const std::string serviceId = Field(kServiceId);
  if (serviceId.empty()) {
    RefuseApp("Service_ID can't be NULL", kServiceId);
    return;
  }
  if (!HasRoomForRow()) return;
  const int index = ComboIndex(kServiceType);
  const std::string typeText = index >= 0 ? EntryText(kServiceType, index) : Text(kServiceType);
  const auto type = index >= 0 ? std::optional<uint32_t>(index) : ReadFieldOrZero(*this, kServiceType, kByteField);
  if (!type) return;
  std::vector<std::string> row{serviceId, Format("%u", *type), typeText};
  if (CheckRow(row)) Rows(kList).push_back(std::move(row));
}

bool CDlgNITAddServiceList::CheckRow(const std::vector<std::string>& row) {
  return ReadTextOf(*this, kServiceId, Column(row, 0), kIdField) &&
         ReadTextOf(*this, kServiceType, Column(row, 1), kByteField);
}

void CDlgNITAddServiceList::EncodeRow(const std::vector<std::string>& row, std::vector<uint8_t>& entries) {
  const auto serviceId = static_cast<uint16_t>(RowNumber(row, 0));
  entries.push_back(static_cast<uint8_t>(serviceId >> 8));
  entries.push_back(static_cast<uint8_t>(serviceId));
  entries.push_back(static_cast<uint8_t>(RowNumber(row, 1)));
}

std::vector<std::string> CDlgNITAddServiceList::DecodeEntry(const uint8_t* entry) {
  return {Format("%d", entry[0] << 8 | entry[1]), Format("%d", entry[2]), EntryText(kServiceType, entry[2])};
}

}  // namespace quorvelin
