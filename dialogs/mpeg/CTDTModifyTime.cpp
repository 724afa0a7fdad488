#include "dialogs/mpeg/CTDTModifyTime.h"

#include "resources/MpegDialogIds.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::tdt;

constexpr int kPartFields[] = {kYear, kMonth, kDay, kHour, kMinute, kSecond};

}  // namespace

CTDTModifyTime::CTDTModifyTime(Ui& ui, DateTime initial, int callerPort)
    : Form(kTemplate, ui), value(initial), port(callerPort) {}

void CTDTModifyTime::OnInitDialog() {
  Form::OnInitDialog();
  SetCheck(kUtcTime, zone == kZoneUtc);
  SetCheck(kLocalTime, zone == kZoneLocal);
  ShowValue();
}

void CTDTModifyTime::ShowValue() {
  const DateParts p = BreakDown(value);
  const int parts[] = {p.year, p.month, p.day, p.hour, p.minute, p.second};
  for (size_t i = 0; i < std::size(kPartFields); ++i) SetText(kPartFields[i], Format("%d", parts[i]));
}

void CTDTModifyTime::OnCommand(int controlId) {
  if (controlId != kUtcTime && controlId != kLocalTime) return;
  zone = controlId == kLocalTime ? kZoneLocal : kZoneUtc;
  SetCheck(kUtcTime, zone == kZoneUtc);
  SetCheck(kLocalTime, zone == kZoneLocal);
  value = zone == kZoneUtc ? LocalToUtc(value) : CurrentLocalDate();
  ShowValue();
}

bool CTDTModifyTime::OnOK() {
  int parts[std::size(kPartFields)];
  for (size_t i = 0; i < std::size(kPartFields); ++i) parts[i] = DecimalNumber(Text(kPartFields[i]));
  value = MakeDate(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
  if (zone == kZoneLocal) value = LocalToUtc(value);
  return true;
}

}  // namespace quorvelin
