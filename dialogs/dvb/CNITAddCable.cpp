#include "dialogs/dvb/CNITAddCable.h"

#include "util/Number.h"

namespace quorvelin {

void CNITAddCable::OnInitDialog() {
  DeliveryPage::OnInitDialog();
  SetText(kTag, "0x44");
  SetComboIndex(kModulation, 0);
}

bool CNITAddCable::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  if (Field(kFrequency).empty()) return Refuse("frequency can not be null!", kFrequency);
  if (Field(kFecOuter).empty()) return Refuse("FEC_outer can not be null!", kFecOuter);
  if (Field(kSymbolRate).empty()) return Refuse("symbol_rate can not be null!", kSymbolRate);
  if (Field(kFecInner).empty()) return Refuse("FEC_inner can not be null!", kFecInner);

  CableDelivery d;
  d.tag = static_cast<uint8_t>(ParseNumber(Field(kTag)));
  d.length = kDeliveryLength;
  // XXXX.XXXX MHz in 8 digits; XXX.XXXX Msymbol/s in the top 7 digits of 8.
  const double frequency = TypedValue(Field(kFrequency));
  if (!PackDigits(frequency, "%04.4f", 8, d.frequency))
    return Refuse("frequency must be 0 to 9999.9999 MHz!", kFrequency);
  const double symbolRate = TypedValue(Field(kSymbolRate));
  if (!PackDigits(symbolRate, "%03.4f", 7, d.symbol_rate))
    return Refuse("symbol_rate must be 0 to 999.9999 Msymbol/s!", kSymbolRate);
  ShiftNibblesLeft(d.symbol_rate.data(), static_cast<int>(d.symbol_rate.size()));
  d.fec_outer = static_cast<uint8_t>(ParseNumber(Field(kFecOuter)) & 0x0F);
  d.modulation = static_cast<uint8_t>(ComboIndex(kModulation) + 1);
  d.fec_inner = static_cast<uint8_t>(ParseNumber(Field(kFecInner)) & 0x0F);

  const std::vector<std::string> lines = {Format("descriptor_length: 0x%x", d.length),
                                          Format("frequency: %.4f mhz", frequency),
                                          Format("FEC_outer: 0x%x", d.fec_outer),
                                          Format("modulation: 0x%x", d.modulation),
                                          Format("symbol_rate: %.4f msymbol/s", symbolRate),
                                          Format("FEC_inner: 0x%x", d.fec_inner)};
  return AddDelivery(d.tag, MakeRecord(NodeKind::NitCableDelivery, d), lines);
}

}  // namespace quorvelin
