#include "dialogs/dvb/CNITAddTDS.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::terrestrial;

namespace {

constexpr int kLists[] = {kBandwidth,  kConstellation, kHierarchy,       kCodeRateHp,
                          kCodeRateLp, kGuardInterval, kTransmissionMode};

}  // namespace

void CNITAddTDS::OnInitDialog() {
  DeliveryPage::OnInitDialog();
  SetText(kTag, "0x5A");
  for (int list : kLists) SetComboIndex(list, 0);
  for (int bit : {kPriority, kTimeSlicing, kMpeFec}) SetCheck(bit, 1);
  if (add) return;
  const auto* d = SelectedPayload<TerrestrialDelivery>(tree_, NodeKind::NitTerrestrialDelivery);
  if (!d) return;
  SetText(kTag, Format("0x%x", d->tag));
  SetText(kCentreFrequency, std::to_string(d->centre_frequency));
  const int values[] = {d->bandwidth(),    d->constellation(),  d->hierarchy(),        d->code_rate_hp(),
                        d->code_rate_lp(), d->guard_interval(), d->transmission_mode()};
  for (size_t i = 0; i < std::size(kLists); ++i) ShowListCode(kLists[i], values[i]);
  SetCheck(kOtherFrequency, d->other_frequency_flag());
  SetCheck(kPriority, d->priority);
  SetCheck(kTimeSlicing, d->time_slicing_indicator);
  SetCheck(kMpeFec, d->mpe_fec_indicator);
}

bool CNITAddTDS::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  if (Field(kCentreFrequency).empty()) return Refuse("centre_frequency can not be null!", kCentreFrequency);

  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  const auto centreFrequency = ReadField(*this, kCentreFrequency, Bits(32));  // units of 10 Hz
  if (!centreFrequency) return false;
  TerrestrialDelivery d;
  d.tag = static_cast<uint8_t>(*tag);
  d.length = kDeliveryLength;
  d.centre_frequency = *centreFrequency;
  const int bandwidth = ListIndex(kBandwidth), constellation = ListIndex(kConstellation),
            hierarchy = ListIndex(kHierarchy), hp = ListIndex(kCodeRateHp), lp = ListIndex(kCodeRateLp),
            guard = ListIndex(kGuardInterval), mode = ListIndex(kTransmissionMode);
  const int otherFrequency = Check(kOtherFrequency) ? 1 : 0;
  d.a = static_cast<uint8_t>((bandwidth & 7) | (constellation & 3) << 3 | (hierarchy & 7) << 5);
  d.b = static_cast<uint8_t>((hp & 7) | (lp & 7) << 3 | (guard & 3) << 6);
  d.c = static_cast<uint8_t>((mode & 3) | otherFrequency << 2);
  d.priority = Check(kPriority) ? 1 : 0;
  d.time_slicing_indicator = Check(kTimeSlicing) ? 1 : 0;
  d.mpe_fec_indicator = Check(kMpeFec) ? 1 : 0;

  return AddDelivery(*MakeRecord(NodeKind::NitTerrestrialDelivery, d));
}

}  // namespace quorvelin
