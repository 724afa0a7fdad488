#include "dialogs/dvb/CNITAddCable.h"

#include "dialogs/common/FieldRange.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::cable;

void CNITAddCable::OnInitDialog() {
  DeliveryPage::OnInitDialog();
  SetText(kTag, "0x44");
  SetComboIndex(kModulation, 0);
  if (add) return;
  const auto* d = SelectedPayload<CableDelivery>(tree_, NodeKind::NitCableDelivery);
  if (!d) return;
  SetText(kTag, Format("0x%x", d->tag));
  ShowDigits(kFrequency, d->frequency, 4, 4);
  SetText(kFecOuter, Format("0x%x", d->fec_outer));
  ShowListCode(kModulation, d->modulation - 1);
  ShowDigits(kSymbolRate, d->symbol_rate, 3, 4);
  SetText(kFecInner, Format("0x%x", d->fec_inner));
}

bool CNITAddCable::AddDesc() {
  if (Field(kTag).empty()) return Refuse("descriptor_tag can not be null!", kTag);
  if (Field(kFrequency).empty()) return Refuse("frequency can not be null!", kFrequency);
  if (Field(kFecOuter).empty()) return Refuse("FEC_outer can not be null!", kFecOuter);
  if (Field(kSymbolRate).empty()) return Refuse("symbol_rate can not be null!", kSymbolRate);
  if (Field(kFecInner).empty()) return Refuse("FEC_inner can not be null!", kFecInner);

  CableDelivery d;
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  // XXXX.XXXX MHz in 8 digits; XXX.XXXX Msymbol/s in the top 7 digits of 8.
  const auto frequency = ReadDecimalDigits(kFrequency, 4, 4, d.frequency);
  if (!frequency) return false;
  const auto fecOuter = ReadField(*this, kFecOuter, Bits(4));
  if (!fecOuter) return false;
  const auto symbolRate = ReadDecimalDigits(kSymbolRate, 3, 4, d.symbol_rate);
  if (!symbolRate) return false;
  const auto fecInner = ReadField(*this, kFecInner, Bits(4));
  if (!fecInner) return false;
  ShiftNibblesLeft(d.symbol_rate.data(), static_cast<int>(d.symbol_rate.size()));
  d.tag = static_cast<uint8_t>(*tag);
  d.length = kDeliveryLength;
  d.fec_outer = static_cast<uint8_t>(*fecOuter);
  d.modulation = static_cast<uint8_t>(ListIndex(kModulation) + 1);
  d.fec_inner = static_cast<uint8_t>(*fecInner);

  return AddDelivery(*MakeRecord(NodeKind::NitCableDelivery, d));
}

}  // namespace quorvelin
