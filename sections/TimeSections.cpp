#include "sections/TimeSections.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "sections/BranchQueries.h"
#include "sections/Packets.h"
#include "sections/SectionReader.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr const char* kDateFormat = "%Y-%m-%d %H:%M:%S";
constexpr const char* kOffsetFormat = "%H:%M:%S";

// Packet header of PID 0x0014 (first packet, counter 0) and the pointer_field.
constexpr uint8_t kTimePacketStart[] = {0x47, 0x40, 0x14, 0x10, 0x00};
constexpr size_t kTdtSectionSize = 8;
// Byte 1 of the TDT and TOT (ETSI EN 300 468 5.2.5, 5.2.6): section_syntax_indicator 0,
// reserved_future_use and reserved bits set, section_length below 256.
constexpr uint8_t kTimeSectionByte1 = 0x70;
// The TOT: header and UTC_time, descriptors_loop_length, the loop from byte 10; one region of a
// local_time_offset_descriptor is 13 bytes.
constexpr size_t kTotLoopStart = 10;
constexpr size_t kRegionStart = kTotLoopStart + 2;
constexpr size_t kRegionSize = 13;
constexpr uint8_t kLocalTimeOffsetTag = 0x58;
constexpr size_t kTotFixedSize = kTotLoopStart + 4;  // with the CRC_32
BuildResult OnePacket() { return {true, 1, {}}; }

int StoredTimeIndex(const TableTreeCtrl& tree, ItemHandle root) {
  return tree.GetParentItem(root) == tree.PortNode(1) ? 0 : 1;
}

DateTime OffsetOf(uint8_t hours, uint8_t minutes) {
  return MakeDate(1899, 12, 30, FromBcdByte(hours), FromBcdByte(minutes), 0);
}

// Hours and minutes of an offset as two BCD bytes; -1 parts of an invalid value as the
// division gives them.
void WriteOffset(const DateTime& offset, uint8_t* out) {
  const DateParts p = BreakDown(offset);
  out[0] = ToBcdByte(p.hour);
  out[1] = ToBcdByte(p.minute);
}

// The lines of one region of a local_time_offset_descriptor.
void AddRegionLines(TableTreeCtrl& tree, ItemHandle descriptor, const TotRecord& r) {
  tree.InsertLine(std::string("country_code: ") + std::string(r.country_code.data(), r.country_code.size()).c_str(),
                  descriptor);
  tree.InsertLine(Format("country_region_id: 0x%x", r.country_region_id), descriptor);
  tree.InsertLine(Format("local_time_offset_polarity: 0x%x", r.local_time_offset_polarity), descriptor);
  tree.InsertLine("local_time_offset: " + FormatDateTime(r.local_time_offset, kOffsetFormat), descriptor);
  tree.InsertLine("time_of_change: " + FormatDateTime(r.time_of_change, kDateFormat), descriptor);
  tree.InsertLine("next_time_offset: " + FormatDateTime(r.next_time_offset, kOffsetFormat), descriptor);
}

// The region at `at` into the region fields of `r`.
void ReadRegion(const SectionBytes& s, size_t at, TotRecord& r) {
  for (size_t i = 0; i < 3; ++i) r.country_code[i] = static_cast<char>(s.U8(at + i));
  r.country_region_id = s.U8(at + 3) >> 2;
  r.local_time_offset_polarity = s.U8(at + 3) & 1;
  r.local_time_offset = OffsetOf(s.U8(at + 4), s.U8(at + 5));
  uint8_t utc[5];
  for (size_t i = 0; i < 5; ++i) utc[i] = s.U8(at + 6 + i);
  r.time_of_change = UtcTimeToDate(utc);
  r.next_time_offset = OffsetOf(s.U8(at + 11), s.U8(at + 12));
}

void AddTdtLines(TableTreeCtrl& tree, ItemHandle root, int syntax, int sectionLength, const DateTime& utc) {
  tree.InsertLine(Format("table_id: 0x%x", kTdtTableId), root);
  tree.InsertLine(Format("section_syntax_indicator: 0x%x", syntax), root);
  tree.InsertLine(Format("section_length: 0x%x", sectionLength), root);
  tree.InsertLine("UTC_time: " + FormatDateTime(utc, kDateFormat), root);
}

// "Section 0:" carrying `state`, its lines and the CRC_32 line; expands the branch.
void AddTotBranch(TableTreeCtrl& tree, ItemHandle root, std::unique_ptr<TotRecord> state, const std::string& crcLine) {
  const TotRecord& t = *state;
  const ItemHandle section = tree.InsertItem("Section 0:", kImageLine, root);
  tree.InsertLine(Format("table_id: 0x%x", t.table_id), section);
  tree.InsertLine(Format("section_syntax_indicator: 0x%x", t.section_syntax_indicator & 1), section);
  tree.InsertLine(Format("section_length: 0x%x", t.section_length.get()), section);
  tree.InsertLine("UTC_time: " + FormatDateTime(t.utc_time, kDateFormat), section);
  const ItemHandle descriptors = tree.InsertLine("descriptors", section);
  ItemHandle descriptor = kNoItem;
  if (t.first_region) {
    descriptor = tree.InsertLine(Format("descriptor_tag: 0x%x", t.descriptor_tag), descriptors);
    AddLengthLine(tree, descriptor, kDescriptorLengthLine, t.descriptor_length);
    AddRegionLines(tree, descriptor, t);
    const SectionBytes more(t.more_regions.data(), t.more_regions.size());
    for (size_t at = 0; more.Has(at, kRegionSize); at += kRegionSize) {
      TotRecord region;
      ReadRegion(more, at, region);
      AddRegionLines(tree, descriptor, region);
    }
  }
  if (!t.more_descriptors.empty()) {
    std::string hex;
    AppendHexBytes(hex, t.more_descriptors);
    tree.InsertLine("descriptors(hex):" + hex, descriptors);
  }
  tree.InsertLine(crcLine, section);
  tree.SetItemData(section, std::move(state));
  tree.Expand(root, ExpandCode::Expand);
  tree.Expand(section, ExpandCode::Expand);
  if (descriptor != kNoItem) tree.Expand(descriptor, ExpandCode::Expand);
}

// The first region of the first descriptor into the record's fields; the rest of that
// descriptor and the whole descriptors behind it, inside the loop and the received bytes, kept.
std::unique_ptr<TotRecord> ReadTotRecord(const SectionBytes& s, const SectionFields& f) {
  auto t = std::make_unique<TotRecord>();
  t->table_id = s.U8(0);
  t->section_syntax_indicator = s.U8(1) >> 7;
  t->section_length.set(s.U12(1));
  uint8_t utc[5];
  for (size_t i = 0; i < 5; ++i) utc[i] = s.U8(3 + i);
  t->utc_time = UtcTimeToDate(utc);
  t->descriptors_loop_length.set(s.U12(8));
  t->descriptor_tag = s.U8(kTotLoopStart);
  t->descriptor_length = s.U8(kTotLoopStart + 1);
  const size_t loopEnd = std::min(kTotLoopStart + t->descriptors_loop_length.get(), LoopEnd(s, f));
  t->first_region = t->descriptor_tag == kLocalTimeOffsetTag && t->descriptor_length >= kRegionSize &&
                    kRegionStart + kRegionSize <= loopEnd;
  if (!t->first_region) {
    if (loopEnd > kTotLoopStart)
      t->more_descriptors = s.Copy(kTotLoopStart, WholeDescriptorsEnd(s, kTotLoopStart, loopEnd) - kTotLoopStart);
    return t;
  }
  ReadRegion(s, kRegionStart, *t);
  const size_t descriptorEnd = std::min(kRegionStart + t->descriptor_length, loopEnd);
  if (descriptorEnd > kRegionStart + kRegionSize)
    t->more_regions = s.Copy(kRegionStart + kRegionSize, descriptorEnd - kRegionStart - kRegionSize);
  const size_t next = kRegionStart + t->descriptor_length;
  if (next < loopEnd) t->more_descriptors = s.Copy(next, WholeDescriptorsEnd(s, next, loopEnd) - next);
  return t;
}

}  // namespace

bool ParseTdtSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  const SectionBytes s(bytes, size);
  const ItemHandle root = tree.Root(port, Table::Tdt);
  if (!root || s.size() == 0 || s.U8(0) != kTdtTableId) return false;
  uint8_t utc[5];
  for (size_t i = 0; i < 5; ++i) utc[i] = s.U8(3 + i);
  tree.utcTime[0] = UtcTimeToDate(utc);
  AddTdtLines(tree, root, s.U8(1) >> 7, s.U12(1), tree.utcTime[0]);
  return true;
}

bool ReadTdt(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  const auto bytes = ReceiveTable(exchange, kTimeReadBuffer, kTdtTotPid, 0, port);
  return bytes && ParseTdtSection(tree, bytes->data(), bytes->size(), port);
}

bool ParseTotSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  const SectionBytes s(bytes, size);
  const ItemHandle root = tree.Root(port, Table::Tot);
  if (!root || s.size() == 0 || s.U8(0) != kTotTableId) return false;
  const SectionFields f = ReadSectionFields(s);
  AddTotBranch(tree, root, ReadTotRecord(s, f), CrcLineText(s, f));
  return true;
}

bool ReadTot(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  const auto bytes = ReceiveTable(exchange, kTimeReadBuffer, kTdtTotPid, 0, port);
  if (!bytes || bytes->size() <= kTotOffset) return false;
  return ParseTotSection(tree, bytes->data() + kTotOffset, bytes->size() - kTotOffset, port);
}

void ShowTdt(TableTreeCtrl& tree, ItemHandle tdtRoot) {
  if (!tree.IsValid(tdtRoot)) return;
  tree.DeleteChildren(tdtRoot);
  AddTdtLines(tree, tdtRoot, 0, 5, tree.utcTime[StoredTimeIndex(tree, tdtRoot)]);
  tree.Expand(tdtRoot, ExpandCode::Expand);
}

void ShowTot(TableTreeCtrl& tree, ItemHandle totRoot, const TotRecord& state) {
  if (!tree.IsValid(totRoot)) return;
  tree.DeleteChildren(totRoot);
  auto shown = std::make_unique<TotRecord>(state);
  shown->section_syntax_indicator = 0;  // as BuildTot writes it
  AddTotBranch(tree, totRoot, std::move(shown), "CRC_32: 0xffffff");
}

BuildResult BuildTdtAt(TableTreeCtrl& tree, int, uint8_t* area, size_t areaSize, const DateTime& utc) {
  if (area == nullptr || areaSize < sizeof kTimePacketStart + kTdtSectionSize) return {};
  tree.utcTime[0] = utc;
  std::memcpy(area, kTimePacketStart, sizeof kTimePacketStart);
  uint8_t* section = area + sizeof kTimePacketStart;
  section[0] = kTdtTableId;
  section[1] = kTimeSectionByte1;
  section[2] = 0x05;
  DateToUtcTime(utc, section, 3);
  return OnePacket();
}

void SetTotLengths(TotRecord& t) {
  t.descriptor_length = static_cast<uint8_t>(std::min<size_t>(kRegionSize + t.more_regions.size(), 255));
  t.descriptors_loop_length.set(static_cast<uint16_t>(2 + t.descriptor_length + t.more_descriptors.size()));
  t.section_length.set(static_cast<uint16_t>(kTotFixedSize - 3 + t.descriptors_loop_length.get()));
}

BuildResult BuildTot(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const ItemHandle root = tree.Root(port, Table::Tot);
  if (!root || area == nullptr || areaSize < sizeof kTimePacketStart + kTotFixedSize + kRegionSize) return {};
  std::memcpy(area, kTimePacketStart, sizeof kTimePacketStart);
  TotRecord* t = tree.TotRecordOf(FirstChild(tree, root));
  if (!t) return OnePacket();

  SectionWriter w(kOnePacketSection);
  w.U8(t->table_id);
  w.U8(kTimeSectionByte1);
  w.U8(0);
  t->utc_time = tree.utcTime[port - 1];
  uint8_t region[kRegionSize];
  DateToUtcTime(t->utc_time, region, 0);
  w.Bytes(region, 5);
  const size_t regions = std::min<size_t>(t->more_regions.size(), 255 - kRegionSize);
  const size_t first = t->first_region ? 2 + kRegionSize + regions : 0;
  w.Length12(static_cast<uint16_t>(first + t->more_descriptors.size()));
  if (t->first_region) {
    w.U8(t->descriptor_tag);
    w.U8(static_cast<uint8_t>(kRegionSize + regions));
    std::memcpy(region, t->country_code.data(), 3);
    region[3] = static_cast<uint8_t>((t->country_region_id & 0x3F) << 2 | 0x02 | (t->local_time_offset_polarity & 1));
    WriteOffset(t->local_time_offset, region + 4);
    DateToUtcTime(t->time_of_change, region, 6);
    WriteOffset(t->next_time_offset, region + 11);
    w.Bytes(region, kRegionSize);
    w.Bytes(t->more_regions.data(), regions);
  }
  w.Bytes(t->more_descriptors.data(), t->more_descriptors.size());
  if (!w.Finish()) return {false, 0, SectionTooLongMessage("TOT", w, "one packet")};
  if (sizeof kTimePacketStart + w.size() > areaSize) return {};
  std::memcpy(area + sizeof kTimePacketStart, w.data(), w.size());
  return OnePacket();
}

}  // namespace quorvelin
