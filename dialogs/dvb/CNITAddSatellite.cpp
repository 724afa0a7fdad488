#include "dialogs/dvb/CNITAddSatellite.h"

#include "util/Number.h"

namespace quorvelin {

void CNITAddSatellite::OnInitDialog() {
  DeliveryPage::OnInitDialog();
  SetText(kTag, "0x43");
  SetComboIndex(kModulation, 0);
  SetComboIndex(kPolarization, 0);
}

bool CNITAddSatellite::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  if (Field(kFrequency).empty()) return Refuse("frequency can not be null!", kFrequency);
  if (Field(kOrbitalPosition).empty()) return Refuse("Orbital_position can not be null!", kOrbitalPosition);
  if (Field(kWestEastFlag).empty()) return Refuse("west_east_flage can not be null!", kWestEastFlag);
  if (Field(kSymbolRate).empty()) return Refuse("symbol_rate can not be null!", kSymbolRate);
  if (Field(kFecInner).empty()) return Refuse("FEC_inner can not be null!", kFecInner);

  SatelliteDelivery d;
  d.tag = static_cast<uint8_t>(ParseNumber(Field(kTag)));
  d.length = kDeliveryLength;
  // XXX.XXXXX GHz in 8 digits.
  const double frequency = TypedValue(Field(kFrequency));
  if (!PackDigits(frequency, "%04.5f", 8, d.frequency))
    return Refuse("frequency must be 0 to 999.99999 GHz!", kFrequency);
  // Typed in tenths of a degree: the four digits in front of the printed decimals.
  const float orbital = static_cast<float>(TypedValue(Field(kOrbitalPosition)));
  std::array<uint8_t, 4> orbitalDigits{};
  if (!PackDigits(orbital, "%04.4f", 8, orbitalDigits))
    return Refuse("Orbital_position must be 0 to 9999 (tenths of a degree)!", kOrbitalPosition);
  d.orbital_position = {orbitalDigits[0], orbitalDigits[1]};
  const double symbolRate = TypedValue(Field(kSymbolRate));
  if (!PackDigits(symbolRate, "%04.4f", 7, d.symbol_rate))
    return Refuse("symbol_rate must be 0 to 999.9999 Msymbol/s!", kSymbolRate);
  ShiftNibblesLeft(d.symbol_rate.data(), static_cast<int>(d.symbol_rate.size()));
  const auto westEast = static_cast<uint8_t>(ParseNumber(Field(kWestEastFlag)));
  const int polarization = ListIndex(kPolarization);
  const int modulation = ListIndex(kModulation);
  d.flags = static_cast<uint8_t>((westEast & 1) | (polarization & 3) << 1);
  d.modulation = static_cast<uint8_t>(modulation & 0x1F);
  d.fec_inner = static_cast<uint8_t>(ParseNumber(Field(kFecInner)) & 0x0F);

  const std::vector<std::string> lines = {
      Format("descriptor_length: 0x%x", d.length),       Format("frequency: %.5f Ghz", frequency),
      "orbital_position: " + Field(kOrbitalPosition),    Format("west_east_flag: 0x%x", westEast),
      Format("polarization: 0x%x", polarization),        Format("modulation: 0x%x", modulation),
      Format("symbol_rate: %.4f msymbol/s", symbolRate), Format("FEC_inner: 0x%x", d.fec_inner)};
  return AddDelivery(d.tag, MakeRecord(NodeKind::NitSatelliteDelivery, d), lines);
}

}  // namespace quorvelin
