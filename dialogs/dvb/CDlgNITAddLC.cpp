#include "dialogs/dvb/CDlgNITAddLC.h"

#include "dialogs/common/FieldRange.h"
#include "sections/descriptors/LogicalChannels.h"
#include "util/Number.h"
#include "util/Settings.h"

namespace quorvelin {

using namespace dvb_ids::logical_channels;

CDlgNITAddLC::CDlgNITAddLC(TableTreeCtrl& tree, Ui& ui)
    : EntryListPage(kTemplate, tree, ui,
                    {0x83, 4, "logical_channel_number_descriptor", "The logical channel list can not be empty!",
                     "The logical channel list can't hold more than 63 channels!"}) {}

void CDlgNITAddLC::OnInitDialog() {
  const bool wide = IsLcn14Bit(ReadLcnFlag());
  SetCheck(k10Bit, wide ? 0 : 1);
  SetCheck(k14Bit, wide ? 1 : 0);
  EntryListPage::OnInitDialog();
}

void CDlgNITAddLC::OnCommand(int controlId) {
  if (controlId == k10Bit || controlId == k14Bit) {
    SetCheck(k10Bit, controlId == k10Bit);
    SetCheck(k14Bit, controlId == k14Bit);
    WriteLcnFlag(Check(k10Bit) ? "10bit" : "14bit");  // a failed write still leaves the choice for this run
    return;
  }
  EntryListPage::OnCommand(controlId);
}

void CDlgNITAddLC::AddRow() {
  const std::string serviceId = Field(kServiceId);
  const std::string channel = Field(kChannelNumber);
  if (serviceId.empty()) {
    RefuseApp("Service_ID can't be NULL", kServiceId);
    return;
  }
  if (channel.empty()) {
    RefuseApp("ChannelNumber can't be NULL", kChannelNumber);
    return;
  }
  if (!HasRoomForRow()) return;
  std::vector<std::string> row{serviceId, channel, Check(kVisible) ? "TRUE" : "FALSE"};
  if (CheckRow(row)) Rows(kList).push_back(std::move(row));
}

bool CDlgNITAddLC::CheckRow(const std::vector<std::string>& row) {
  return ReadTextOf(*this, kServiceId, Column(row, 0), kIdField) &&
         ReadTextOf(*this, kChannelNumber, Column(row, 1), Bits(Is14Bit() ? 14 : 10));
}

// visible_service_flag in bit 7, reserved bits set, then a 10-bit (five reserved bits) or
// 14-bit (one reserved bit) logical_channel_number.
void CDlgNITAddLC::EncodeRow(const std::vector<std::string>& row, std::vector<uint8_t>& entries) {
  const auto serviceId = static_cast<uint16_t>(RowNumber(row, 0));
  const uint32_t channel = RowNumber(row, 1);
  const bool visible = Column(row, 2) == "TRUE";
  const uint8_t high = Is14Bit() ? static_cast<uint8_t>((visible ? 0xC0 : 0x40) | ((channel >> 8) & 0x3F))
                                 : static_cast<uint8_t>((visible ? 0xFC : 0x7C) | ((channel >> 8) & 0x03));
  entries.push_back(static_cast<uint8_t>(serviceId >> 8));
  entries.push_back(static_cast<uint8_t>(serviceId));
  entries.push_back(high);
  entries.push_back(static_cast<uint8_t>(channel));
}

// The stored number whole, whatever the width: Ok refuses one that the chosen width cannot hold.
std::vector<std::string> CDlgNITAddLC::DecodeEntry(const uint8_t* entry) {
  return {Format("%d", entry[0] << 8 | entry[1]),
          Format("%d", LogicalChannelNumber(std::span<const uint8_t, 4>(entry, 4))),
          entry[2] >= 0x80 ? "TRUE" : "FALSE"};
}

}  // namespace quorvelin
