#include "sections/NitSections.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sections/BranchQueries.h"
#include "sections/DumpFiles.h"
#include "sections/LoopSections.h"
#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr uint8_t kNetworkNameTag = 0x40;
constexpr uint8_t kServiceListTag = 0x41;
constexpr uint8_t kSatelliteTag = 0x43;
constexpr uint8_t kCableTag = 0x44;
constexpr uint8_t kLinkageTag = 0x4A;
constexpr uint8_t kTerrestrialTag = 0x5A;
constexpr uint8_t kLogicalChannelTag = 0x83;
constexpr size_t kDeliveryLength = 11;
constexpr size_t kLinkageFixedLength = 7;

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

void AddLines(TableTreeCtrl& tree, ItemHandle item, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) tree.InsertLine(line, item);
}

template <class Delivery>
void AddDelivery(TableTreeCtrl& tree, ItemHandle holder, NodeKind kind, const char* name, const DescriptorBytes& d,
                 const Delivery& record, std::vector<std::string> (*lines)(const Delivery&)) {
  const ItemHandle item = tree.InsertRecordItem(Format("descriptor_tag: 0x%x =>%s", d.tag, name), kImageLine, holder,
                                                MakeRecord(kind, record));
  AddDescriptorLengthLine(tree, item, d);
  AddLines(tree, item, lines(record));
}

void AddLinkage(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  const SectionBytes b = d.Bytes();
  LinkageDescriptor l;
  l.tag = d.tag;
  l.length = static_cast<uint8_t>(d.data.size());
  l.transport_stream_id = b.U16(0);
  l.original_network_id = b.U16(2);
  l.service_id = b.U16(4);
  l.linkage_type = b.U8(6);
  l.private_data = b.Copy(kLinkageFixedLength, d.data.size() - kLinkageFixedLength);
  const ItemHandle item = tree.InsertRecordItem(Format("descriptor_tag: 0x%x =>link_age_descriptor", d.tag), kImageLine,
                                                holder, MakeRecord(NodeKind::NitLinkageDescriptor, l));
  AddDescriptorLengthLine(tree, item, d);
  tree.InsertLine(Format("transport_stream_id(byte): 0x%x(%d)", l.transport_stream_id, l.transport_stream_id), item);
  tree.InsertLine(Format("original_network_id(byte): 0x%x(%d)", l.original_network_id, l.original_network_id), item);
  tree.InsertLine(Format("service_id(byte): 0x%x(%d)", l.service_id, l.service_id), item);
  tree.InsertLine(Format("link_type(byte): 0x%x(%d)", l.linkage_type, l.linkage_type), item);
  if (l.private_data.empty()) return;
  const ItemHandle data = tree.InsertLine("private_data", item);
  std::string hex;
  BytesToHexText(hex, l.private_data.data(), static_cast<int>(l.private_data.size()));
  tree.InsertLine(hex, data);
}

void AddLogicalChannels(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  EntryListDescriptor list;
  list.tag = d.tag;
  list.length = static_cast<uint8_t>(d.data.size());
  list.entries.assign(d.data.begin(), d.data.end());
  const ItemHandle item =
      tree.InsertRecordItem(Format("descriptor_tag: 0x%x =>logical_channel_number_descriptor", d.tag), kImageLine,
                            holder, MakeRecord(NodeKind::NitLogicalChannels, list));
  AddDescriptorLengthLine(tree, item, d);
  for (size_t pos = 0; d.data.size() - pos >= 4; pos += 4) {
    const ItemHandle entry = tree.InsertTextItem("Service_list", item);
    AddLines(tree, entry, LogicalChannelEntryLines(d.data.subspan(pos).first<4>()));
  }
}

void AddNetworkDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  switch (d.tag) {
    case kNetworkNameTag:
      AddNameDescriptor(tree, holder, NodeKind::NitNetworkName, d, "descriptor_tag: 0x%x =>network_name_descriptor",
                        "network_name: ", DisplayName(d.data, true));
      return;
    case kServiceListTag:
      AddServiceList(tree, holder, NodeKind::NitServiceList, d);
      return;
    case kLinkageTag:
      if (d.data.size() >= kLinkageFixedLength) return AddLinkage(tree, holder, d);
      break;
    default:
      break;
  }
  AddGenericDescriptor(tree, holder, NodeKind::NitNetworkDescriptor, d, HexStyle::Chars);
}

void AddTransportDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  const bool delivery = d.data.size() == kDeliveryLength;
  switch (d.tag) {
    case kNetworkNameTag:
      AddNameDescriptor(tree, holder, NodeKind::NitTransportNetworkName, d,
                        "descriptor_tag: 0x%x =>network_name_descriptor", "network_name: ", DisplayName(d.data, false));
      return;
    case kServiceListTag:
      AddServiceList(tree, holder, NodeKind::NitServiceList, d);
      return;
    case kLogicalChannelTag:
      return AddLogicalChannels(tree, holder, d);
    case kCableTag:
      if (!delivery) break;
      return AddDelivery(tree, holder, NodeKind::NitCableDelivery, "cable_delivery_system_descriptor", d,
                         CableDeliveryFromBytes(d.data.first<kDeliveryLength>()), CableDeliveryLines);
    case kSatelliteTag:
      if (!delivery) break;
      return AddDelivery(tree, holder, NodeKind::NitSatelliteDelivery, "satellite_delivery_system_descriptor", d,
                         SatelliteDeliveryFromBytes(d.data.first<kDeliveryLength>()), SatelliteDeliveryLines);
    case kTerrestrialTag:
      if (!delivery) break;
      return AddDelivery(tree, holder, NodeKind::NitTerrestrialDelivery, "terrestrial_delivery_system_descriptor", d,
                         TerrestrialDeliveryFromBytes(d.data.first<kDeliveryLength>()), TerrestrialDeliveryLines);
    default:
      break;
  }
  AddGenericDescriptor(tree, holder, NodeKind::NitTransportDescriptor, d, HexStyle::Text);
}

std::string NitSectionText(const LoopSectionHeader& h) { return Format("SECTION:%d", h.section_number); }

const LoopParser kNitParser{&kNitFamily, NitSectionText, AddNetworkDescriptor, AddTransportDescriptor};

int ParseNitBuffer(TableTreeCtrl& tree, std::span<const uint8_t> buffer, int port) {
  WriteDumpFile(kNitDumpName, buffer.data(), buffer.size());
  WalkSections(buffer, kNitTableId,
               [&](std::span<const uint8_t> section) { ParseNitSection(tree, section.data(), section.size(), port); });
  return 1;
}

void WriteDeliveryBytes(SectionWriter& w, uint8_t tag, uint8_t length, const std::array<uint8_t, 11>& bytes) {
  w.U8(tag);
  w.U8(length);
  w.Bytes(bytes.data(), bytes.size());
}

void WriteNitDescriptor(SectionWriter& w, const NodeRecord& r) {
  if (const auto* l = r.As<LinkageDescriptor>()) {
    const auto length = static_cast<uint8_t>(std::max<size_t>(l->length, kLinkageFixedLength));
    w.U8(l->tag);
    w.U8(length);
    w.U16(l->transport_stream_id);
    w.U16(l->original_network_id);
    w.U16(l->service_id);
    w.U8(l->linkage_type);
    w.Padded(l->private_data, length - kLinkageFixedLength);
  } else if (const auto* c = r.As<CableDelivery>()) {
    WriteDeliveryBytes(w, c->tag, c->length, CableDeliveryBytes(*c));
  } else if (const auto* s = r.As<SatelliteDelivery>()) {
    WriteDeliveryBytes(w, s->tag, s->length, SatelliteDeliveryBytes(*s));
  } else if (const auto* t = r.As<TerrestrialDelivery>()) {
    WriteDeliveryBytes(w, t->tag, t->length, TerrestrialDeliveryBytes(*t));
  } else {
    WriteCommonDescriptor(w, r);
  }
}

const LoopBuilder kNitBuilder{&kNitFamily, WriteNitDescriptor};

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
          static_cast<uint8_t>(d.bandwidth() << 5 | 0x1F),
          static_cast<uint8_t>(d.constellation() << 6 | d.hierarchy() << 3 | d.code_rate_hp()),
          static_cast<uint8_t>(d.code_rate_lp() << 5 | d.guard_interval() << 3 | d.transmission_mode() << 1 |
                               d.other_frequency_flag()),
          0xFF,
          0xFF,
          0xFF,
          0xFF};
}

std::vector<std::string> CableDeliveryLines(const CableDelivery& d) {
  return {Format("frequency: %.4f mhz", BcdFixed(d.frequency.data(), 8, 1e4)),
          Format("FEC_outer: 0x%x", d.fec_outer & 0x0F), Format("modulation: 0x%x", d.modulation),
          Format("symbol_rate: %.4f msymbol/s", BcdFixed(d.symbol_rate.data(), 7, 1e4)),
          Format("FEC_inner: 0x%x", d.fec_inner & 0x0F)};
}

std::vector<std::string> SatelliteDeliveryLines(const SatelliteDelivery& d) {
  return {Format("frequency: %.5f Ghz", BcdFixed(d.frequency.data(), 8, 1e5)),
          Format("orbital_position: %.1f degree", BcdFixed(d.orbital_position.data(), 4, 10.0)),
          Format("west_east_flag: 0x%x", d.flags & 1),
          Format("polarization: 0x%x", (d.flags >> 1) & 3),
          Format("modulation: 0x%x", d.modulation),
          Format("symbol_rate: %.4f msymbol/s", BcdFixed(d.symbol_rate.data(), 7, 1e4)),
          Format("FEC_inner: 0x%x", d.fec_inner & 0x0F)};
}

std::vector<std::string> TerrestrialDeliveryLines(const TerrestrialDelivery& d) {
  const auto codeRate = [](int v) { return CodeText({"1/2", "2/3", "3/4", "5/6", "7/8"}, v); };
  // centre_frequency is in units of 10 Hz; the line shows Hz as a signed 32-bit number.
  const auto hz = static_cast<int32_t>(d.centre_frequency * 10u);
  return {Format("centre_frequency: %d HZ", hz),
          std::string("band_width: ") + (d.bandwidth() == 0 ? "8MHz" : "7MHz"),
          "constellation: " + CodeText({"QPSK", "16QAM", "64QAM"}, d.constellation()),
          "hierarchy_information: " + CodeText({"NO", "@=1", "@=2", "@=4"}, d.hierarchy()),
          "code_rate_HPstream: " + codeRate(d.code_rate_hp()),
          "code_rate_LPstream: " + codeRate(d.code_rate_lp()),
          "guard_interval: " + CodeText({"1/32", "1/16", "1/8", "1/4"}, d.guard_interval()),
          "transmission_mode: " + CodeText({"2K", "8K"}, d.transmission_mode()),
          Format("other_frequency_flag: %d", d.other_frequency_flag())};
}

std::vector<std::string> LogicalChannelEntryLines(std::span<const uint8_t, 4> e) {
  return {Format("service_id: 0x%x", e[0] << 8 | e[1]),
          std::string("is_service_visible: ") + ((e[2] & 0x80) ? "TRUE" : "FALSE"),
          Format("logical_channel_number: %x", (e[2] & 0x03) << 8 | e[3])};
}

bool ParseNitSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  return ParseLoopSection(tree, SectionBytes(bytes, size), port, kNitParser);
}

int ReadNit(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  std::vector<uint8_t> buffer(kNitBufferSize, 0);
  if (!exchange.ReadTable(buffer.data(), buffer.size(), kNitPid, 0, port, false)) return 0;
  return ParseNitBuffer(tree, buffer, port);
}

int ReadNit(TableTreeCtrl& tree, int port, size_t count, const uint8_t* bytes) {
  if (count > kNitBufferSize || (bytes == nullptr && count > 0)) return 0;
  std::vector<uint8_t> buffer(kNitBufferSize, 0);
  if (count > 0) std::memcpy(buffer.data(), bytes, count);
  UnpackPackets(static_cast<int>(count / kPacketSize), buffer.data(), buffer.size());
  return ParseNitBuffer(tree, buffer, port);
}

uint16_t NitPid(const TableTreeCtrl& tree, int port) {
  const int pid = tree.NetworkPid(port);
  return pid > 0 ? static_cast<uint16_t>(pid) : kNitPid;
}

namespace {

BuildResult BuildNitSectionOnPid(TableTreeCtrl& tree, uint8_t* area, size_t areaSize, uint16_t pid, ItemHandle section,
                                 int sectionCount) {
  const auto* h = PayloadOf<LoopSectionHeader>(tree, section);
  if (h == nullptr) return {};
  return BuildLoopSection(tree, section, kNitBuilder, h->section_number, static_cast<uint8_t>(sectionCount - 1), pid,
                          area, areaSize);
}

}  // namespace

BuildResult BuildNitSection(TableTreeCtrl& tree, uint8_t* area, size_t areaSize, int port, ItemHandle section,
                            int sectionCount) {
  return BuildNitSectionOnPid(tree, area, areaSize, NitPid(tree, port), section, sectionCount);
}

BuildResult BuildNit(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const uint16_t pid = NitPid(tree, port);  // the PAT is searched once, not per section
  return BuildLoopTable(tree, port, kNitFamily, area, areaSize,
                        [&](ItemHandle section, int count, int, uint8_t* store, size_t size) {
                          return BuildNitSectionOnPid(tree, store, size, pid, section, count);
                        });
}

}  // namespace quorvelin
