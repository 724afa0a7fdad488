#include "dialogs/dvb/CNITAddSatellite.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::satellite;

void CNITAddSatellite::OnInitDialog() {
  DeliveryPage::OnInitDialog();
  SetText(kTag, "0x43");
  SetComboIndex(kModulation, 0);
  SetComboIndex(kPolarization, 0);
  if (add) return;
  const auto* d = SelectedPayload<SatelliteDelivery>(tree_, NodeKind::NitSatelliteDelivery);
  if (!d) return;
  SetText(kTag, Format("0x%x", d->tag));
  ShowDigits(kFrequency, d->frequency, 3, 5);
  ShowDigits(kOrbitalPosition, d->orbital_position, 4, 0);
  SetText(kWestEastFlag, Format("%d", d->flags & 1));
  ShowListCode(kPolarization, (d->flags >> 1) & 3);
  ShowListCode(kModulation, d->modulation);  // flag bits and all
  ShowDigits(kSymbolRate, d->symbol_rate, 3, 4);
  SetText(kFecInner, Format("0x%x", d->fec_inner));
}

bool CNITAddSatellite::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  if (Field(kFrequency).empty()) return Refuse("frequency can not be null!", kFrequency);
  if (Field(kOrbitalPosition).empty()) return Refuse("Orbital_position can not be null!", kOrbitalPosition);
  if (Field(kWestEastFlag).empty()) return Refuse("west_east_flage can not be null!", kWestEastFlag);
  if (Field(kSymbolRate).empty()) return Refuse("symbol_rate can not be null!", kSymbolRate);
  if (Field(kFecInner).empty()) return Refuse("FEC_inner can not be null!", kFecInner);

  SatelliteDelivery d;
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  // XXX.XXXXX GHz in 8 digits.
  const auto frequency = ReadDecimalDigits(kFrequency, 3, 5, d.frequency);
  if (!frequency) return false;
  // Four digits in tenths of a degree, read with the point after the third (192: 19.2 degrees).
  const bool orbitalKept = KeepsShown(kOrbitalPosition, d.orbital_position);
  const auto orbital =
      orbitalKept ? std::optional<uint32_t>(0) : ReadField(*this, kOrbitalPosition, {0, 9999, NumberText::Decimal});
  if (!orbital) return false;
  const auto westEast = ReadField(*this, kWestEastFlag, Bits(1));
  if (!westEast) return false;
  const auto symbolRate = ReadDecimalDigits(kSymbolRate, 3, 4, d.symbol_rate);
  if (!symbolRate) return false;
  const auto fecInner = ReadField(*this, kFecInner, Bits(4));
  if (!fecInner) return false;
  if (!orbitalKept)
    DigitsToBcd(Format("%04u", *orbital), d.orbital_position.data(), static_cast<int>(d.orbital_position.size()));
  ShiftNibblesLeft(d.symbol_rate.data(), static_cast<int>(d.symbol_rate.size()));
  const int polarization = ListIndex(kPolarization);
  const int modulation = ListIndex(kModulation);
  d.tag = static_cast<uint8_t>(*tag);
  d.length = kDeliveryLength;
  d.flags = static_cast<uint8_t>(*westEast | polarization << 1);
  d.modulation = static_cast<uint8_t>(modulation);
  d.fec_inner = static_cast<uint8_t>(*fecInner);

  return AddDelivery(*MakeRecord(NodeKind::NitSatelliteDelivery, d));
}

}  // namespace quorvelin
