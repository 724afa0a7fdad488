#include "dialogs/mpeg/CDlgModifyTOT.h"

#include <algorithm>
#include <cstring>

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/TableIds.h"
#include "sections/TimeSections.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::tot;

constexpr size_t kCountryCodeLength = 3;
constexpr uint8_t kLocalTimeOffsetTag = 0x58;

// Inside the 16-bit MJD of UTC_time: 1858-11-17 (MJD 0) to 2038-04-22 (MJD 65535).
bool FitsMjd16(const DateTime& value) {
  const DateParts p = BreakDown(value);
  const long day = (p.year * 100L + p.month) * 100L + p.day;
  return value.valid() && day >= 18581117 && day <= 20380422;
}

}  // namespace

DateTime OffsetOfDay(const DateTime& value) {
  const DateParts p = BreakDown(value);
  return MakeDate(1899, 12, 30, p.hour, p.minute, 0);
}

CDlgModifyTOT::CDlgModifyTOT(TableTreeCtrl& tree, Ui& ui, ItemHandle totRoot, DateTime utcFirstPort,
                             DateTime utcSecondPort)
    : Form(kTemplate, ui), tree_(tree), root_(totRoot), utc_{utcFirstPort, utcSecondPort} {}

void CDlgModifyTOT::OnInitDialog() {
  Form::OnInitDialog();
  const TotRecord* current = tree_.TotRecordOf(tree_.GetChildItem(root_));
  if (!current) {
    // a new TOT: the pickers start, as the controls do, at the current time
    for (int picker : {kLocalTimeOffset, kTimeOfChangeDate, kTimeOfChangeTime, kNextTimeOffset})
      Value(picker).time = CurrentLocalDate();
    return;
  }
  state = *current;
  state.local_time_offset = OffsetOfDay(state.local_time_offset);
  state.next_time_offset = OffsetOfDay(state.next_time_offset);
  // "%c%c%c": the text ends at a zero character
  SetText(kCountryCode, std::string(state.country_code.data(), strnlen(state.country_code.data(), kCountryCodeLength)));
  SetText(kCountryRegionId, Format("%d", state.country_region_id));
  SetText(kPolarity, Format("%d", state.local_time_offset_polarity));
  Value(kLocalTimeOffset).time = state.local_time_offset;
  Value(kTimeOfChangeDate).time = state.time_of_change;
  Value(kTimeOfChangeTime).time = state.time_of_change;
  Value(kNextTimeOffset).time = state.next_time_offset;
}

bool CDlgModifyTOT::OnOK() {
  const std::string country = TrimmedText(kCountryCode);
  if (country.size() != kCountryCodeLength) return Refuse("country_code must be 3 characters!", kCountryCode);
  const auto region = ReadFieldOrZero(*this, kCountryRegionId, Bits(6, NumberText::Decimal));
  if (!region) return false;
  const auto polarity = ReadFieldOrZero(*this, kPolarity, Bits(1, NumberText::Decimal));
  if (!polarity) return false;
  const DateParts day = BreakDown(Value(kTimeOfChangeDate).time);
  const DateParts time = BreakDown(Value(kTimeOfChangeTime).time);
  const DateTime change = MakeDate(day.year, day.month, day.day, time.hour, time.minute, time.second);
  if (!FitsMjd16(change)) return Refuse("time_of_change must be 1858-11-17 to 2038-04-22!", kTimeOfChangeDate);

  if (const ItemHandle section = tree_.GetChildItem(root_)) tree_.DeleteChildren(section);
  std::copy_n(country.begin(), kCountryCodeLength, state.country_code.begin());
  state.country_region_id = static_cast<uint8_t>(*region);
  state.local_time_offset_polarity = static_cast<uint8_t>(*polarity);
  state.local_time_offset = OffsetOfDay(Value(kLocalTimeOffset).time);
  state.time_of_change = change;
  state.next_time_offset = OffsetOfDay(Value(kNextTimeOffset).time);

  state.table_id = kTotTableId;
  state.section_syntax_indicator |= 1;
  const std::string port = tree_.GetItemText(tree_.TopLevelItem(root_));
  if (port == "PortA") state.utc_time = utc_[0];
  if (port == "PortB") state.utc_time = utc_[1];
  state.descriptor_tag = kLocalTimeOffsetTag;
  if (!state.first_region) {  // a region goes in front of the loop as received
    state.first_region = true;
    state.descriptor_tag = 0x58;
  }
  SetTotLengths(state);  // the first region as edited, the rest as received
  return true;
}

}  // namespace quorvelin
