#include "sections/descriptors/Delivery.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "sections/descriptors/DescriptorRegistry.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

// Value of the first `digits` BCD digits of `bytes`, first digit most significant. Nibbles are
// taken as they are, so a nibble above 9 counts with its own value.
uint64_t BcdDigits(const uint8_t* bytes, int digits) {
  uint64_t value = 0;
  for (int i = 0; i < digits; ++i) {
    const uint8_t b = bytes[i / 2];
    value = value * 10 + static_cast<uint64_t>(i % 2 == 0 ? b >> 4 : b & 0x0F);
  }
  return value;
}

double BcdFixed(const uint8_t* bytes, int digits, double scale) {
  return static_cast<double>(BcdDigits(bytes, digits)) / scale;
}

std::string ReservedText(int value) { return Format("reserved (%d)", value); }

// Names of a field's codes; a code without a name shows as "reserved (n)".
std::string CodeText(std::initializer_list<const char*> names, int value) {
  if (value >= 0 && static_cast<size_t>(value) < names.size()) return names.begin()[value];
  return ReservedText(value);
}

// "centre_frequency: %llu Hz" of a centre_frequency in units of 10 Hz.
std::string CentreFrequencyLine(uint32_t centreFrequency) {
  return Format("centre_frequency: %llu Hz", centreFrequency * 10ull);  // units of 10 Hz
}

std::vector<std::string> CableDeliveryLines(const CableDelivery& d) {
  return {"frequency: " + FixedPoint(BcdFixed(d.frequency.data(), 8, 1e4), 4) + " MHz",
          Format("FEC_outer: 0x%x", d.fec_outer & 0x0F), Format("modulation: 0x%x", d.modulation),
          "symbol_rate: " + FixedPoint(BcdFixed(d.symbol_rate.data(), 7, 1e4), 4) + " Msymbol/s",
          Format("FEC_inner: 0x%x", d.fec_inner & 0x0F)};
}

std::vector<std::string> SatelliteDeliveryLines(const SatelliteDelivery& d) {
  return {"frequency: " + FixedPoint(BcdFixed(d.frequency.data(), 8, 1e5), 5) + " GHz",
          "orbital_position: " + FixedPoint(BcdFixed(d.orbital_position.data(), 4, 10.0), 1) + " degree",
          Format("west_east_flag: 0x%x", d.flags & 1),
          Format("polarization: 0x%x", (d.flags >> 1) & 3),
          Format("modulation: 0x%x", d.modulation),
          "symbol_rate: " + FixedPoint(BcdFixed(d.symbol_rate.data(), 7, 1e4), 4) + " Msymbol/s",
          Format("FEC_inner: 0x%x", d.fec_inner & 0x0F)};
}

std::vector<std::string> TerrestrialDeliveryLines(const TerrestrialDelivery& d) {
  const auto codeRate = [](int v) { return CodeText({"1/2", "2/3", "3/4", "5/6", "7/8"}, v); };
  return {CentreFrequencyLine(d.centre_frequency),
          "bandwidth: " + CodeText({"8 MHz", "7 MHz", "6 MHz", "5 MHz"}, d.bandwidth()),
          Format("priority: %d", d.priority & 1),
          Format("Time_Slicing_indicator: %d", d.time_slicing_indicator & 1),
          Format("MPE-FEC_indicator: %d", d.mpe_fec_indicator & 1),
          "constellation: " + CodeText({"QPSK", "16QAM", "64QAM"}, d.constellation()),
          "hierarchy_information: " + CodeText({"NO", "@=1", "@=2", "@=4"}, d.hierarchy()),
          "code_rate-HP_stream: " + codeRate(d.code_rate_hp()),
          "code_rate-LP_stream: " + codeRate(d.code_rate_lp()),
          "guard_interval: " + CodeText({"1/32", "1/16", "1/8", "1/4"}, d.guard_interval()),
          "transmission_mode: " + CodeText({"2K", "8K"}, d.transmission_mode()),
          Format("other_frequency_flag: %d", d.other_frequency_flag())};
}

template <class Delivery>
void WriteDeliveryBytes(SectionWriter& w, const Delivery& d, const std::array<uint8_t, 11>& bytes) {
  w.U8(d.tag);
  w.U8(d.length);
  w.Bytes(bytes.data(), bytes.size());
}

template <class Delivery>
ItemHandle AddDeliveryItem(TableTreeCtrl& tree, ItemHandle holder, ItemHandle after, NodeKind kind, const char* name,
                           const DescriptorBytes& d, const Delivery& record,
                           std::vector<std::string> (*lines)(const Delivery&)) {
  const ItemHandle item =
      AddDescriptorItem(tree, holder, NamedTagText(d.tag, name), d.length(), MakeRecord(kind, record), after);
  for (std::string& line : lines(record)) tree.InsertLine(std::move(line), item);
  return item;
}

}  // namespace

CableDelivery CableDeliveryFromBytes(std::span<const uint8_t, 11> data) {
  CableDelivery c;
  std::copy_n(data.begin(), 4, c.frequency.begin());
  c.fec_outer = data[5] & 0x0F;
  c.modulation = data[6];
  std::copy_n(data.begin() + 7, 4, c.symbol_rate.begin());
  c.symbol_rate[3] &= 0xF0;
  c.fec_inner = data[10] & 0x0F;
  return c;
}

SatelliteDelivery SatelliteDeliveryFromBytes(std::span<const uint8_t, 11> data) {
  SatelliteDelivery s;
  std::copy_n(data.begin(), 4, s.frequency.begin());
  std::copy_n(data.begin() + 4, 2, s.orbital_position.begin());
  s.flags = static_cast<uint8_t>((data[6] >> 7) | ((data[6] >> 5) & 3) << 1);
  s.modulation = data[6];
  std::copy_n(data.begin() + 7, 4, s.symbol_rate.begin());
  s.symbol_rate[3] &= 0xF0;
  s.fec_inner = data[10] & 0x0F;
  return s;
}

TerrestrialDelivery TerrestrialDeliveryFromBytes(std::span<const uint8_t, 11> data) {
  TerrestrialDelivery t;
  t.centre_frequency = SectionBytes(data.data(), data.size()).U32(0);
  const int bandwidth = data[4] >> 5;
  t.priority = (data[4] >> 4) & 1;
  t.time_slicing_indicator = (data[4] >> 3) & 1;
  t.mpe_fec_indicator = (data[4] >> 2) & 1;
  const int constellation = data[5] >> 6, hierarchy = (data[5] >> 3) & 7, hp = data[5] & 7;
  const int lp = data[6] >> 5, guard = (data[6] >> 3) & 3, mode = (data[6] >> 1) & 3, other = data[6] & 1;
  t.a = static_cast<uint8_t>(bandwidth | constellation << 3 | hierarchy << 5);
  t.b = static_cast<uint8_t>(hp | lp << 3 | guard << 6);
  t.c = static_cast<uint8_t>(mode | other << 2);
  return t;
}

std::array<uint8_t, 11> CableDeliveryBytes(const CableDelivery& d) {
  const auto& f = d.frequency;
  const auto& r = d.symbol_rate;
  return {f[0],
          f[1],
          f[2],
          f[3],
          0xFF,
          static_cast<uint8_t>(0xF0 | (d.fec_outer & 0x0F)),
          d.modulation,
          r[0],
          r[1],
          r[2],
          static_cast<uint8_t>((r[3] & 0xF0) | (d.fec_inner & 0x0F))};
}

std::array<uint8_t, 11> SatelliteDeliveryBytes(const SatelliteDelivery& d) {
  const auto& f = d.frequency;
  const auto& r = d.symbol_rate;
  const auto flags = static_cast<uint8_t>((d.flags & 1) << 7 | ((d.flags >> 1) & 3) << 5 | d.modulation);
  return {f[0],
          f[1],
          f[2],
          f[3],
          d.orbital_position[0],
          d.orbital_position[1],
          flags,
          r[0],
          r[1],
          r[2],
          static_cast<uint8_t>((r[3] & 0xF0) | (d.fec_inner & 0x0F))};
}

std::array<uint8_t, 11> TerrestrialDeliveryBytes(const TerrestrialDelivery& d) {
  const uint32_t cf = d.centre_frequency;
  return {static_cast<uint8_t>(cf >> 24),
          static_cast<uint8_t>(cf >> 16),
          static_cast<uint8_t>(cf >> 8),
          static_cast<uint8_t>(cf),
          static_cast<uint8_t>(d.bandwidth() << 5 | (d.priority & 1) << 4 | (d.time_slicing_indicator & 1) << 3 |
                               (d.mpe_fec_indicator & 1) << 2 | 0x03),
          static_cast<uint8_t>(d.constellation() << 6 | d.hierarchy() << 3 | d.code_rate_hp()),
          static_cast<uint8_t>(d.code_rate_lp() << 5 | d.guard_interval() << 3 | d.transmission_mode() << 1 |
                               d.other_frequency_flag()),
          0xFF,
          0xFF,
          0xFF,
          0xFF};
}

void WriteDelivery(SectionWriter& w, const CableDelivery& d) { WriteDeliveryBytes(w, d, CableDeliveryBytes(d)); }
void WriteDelivery(SectionWriter& w, const SatelliteDelivery& d) {
  WriteDeliveryBytes(w, d, SatelliteDeliveryBytes(d));
}
void WriteDelivery(SectionWriter& w, const TerrestrialDelivery& d) {
  WriteDeliveryBytes(w, d, TerrestrialDeliveryBytes(d));
}

ItemHandle AddDelivery(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d, ItemHandle after) {
  if (d.data.size() != kDeliveryLength) return kNoItem;
  const auto data = d.data.first<kDeliveryLength>();
  switch (d.tag) {
    case kCableDeliveryTag:
      return AddDeliveryItem(tree, holder, after, NodeKind::NitCableDelivery, kCableDeliveryKind.name, d,
                             CableDeliveryFromBytes(data), CableDeliveryLines);
    case kSatelliteDeliveryTag:
      return AddDeliveryItem(tree, holder, after, NodeKind::NitSatelliteDelivery,
                             kSatelliteDeliveryKind.name, d, SatelliteDeliveryFromBytes(data),
                             SatelliteDeliveryLines);
    case kTerrestrialDeliveryTag:
      return AddDeliveryItem(tree, holder, after, NodeKind::NitTerrestrialDelivery,
                             kTerrestrialDeliveryKind.name, d, TerrestrialDeliveryFromBytes(data),
                             TerrestrialDeliveryLines);
    default:
      return kNoItem;
  }
}

}  // namespace quorvelin
