#include "sections/SdtSections.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "sections/BranchQueries.h"
#include "sections/DumpFiles.h"
#include "sections/LoopSections.h"
#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr size_t kServiceLoopStart = 11;
constexpr size_t kServiceHeader = 5;

void AddServiceDescriptors(TableTreeCtrl& tree, ItemHandle service, const SectionBytes& s, size_t from, size_t end) {
  const ItemHandle list =
      tree.InsertRecordItem("descriptors", kImageLine, service, MakeHolder(NodeKind::SdtServiceDescriptorList));
  VisitDescriptors(s, from, end - from, [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, list, d); });
}

// One service entry at `at`; returns the offset of the next one.
size_t AddService(TableTreeCtrl& tree, ItemHandle services, const SectionBytes& s, size_t at, size_t loopEnd) {
  SdtService service;
  service.service_id = s.U16(at);
  const uint8_t eit = s.U8(at + 2), status = s.U8(at + 3);
  service.flags = SdtService::MakeFlags((eit >> 1) & 1, eit & 1, status >> 5, (status >> 4) & 1);
  const size_t descriptors = at + kServiceHeader;
  const uint16_t receivedLength = s.U12(at + 3);
  service.descriptors_loop_length.set(WholeDescriptorsLength(s, descriptors, receivedLength, loopEnd));
  const SdtService shown = service;
  const uint16_t loopLength = shown.descriptors_loop_length.get();
  const ItemHandle item =
      tree.InsertRecordItem(Format("service_id: 0x%04x (%d)", shown.service_id, shown.service_id), kImageLine, services,
                            MakeRecord(NodeKind::SdtService, service));
  tree.InsertLine(Format("EIT_schedule_flag: 0x%x", shown.eit_schedule()), item);
  tree.InsertLine(Format("EIT_present_following_flag: 0x%x", shown.eit_present_following()), item);
  tree.InsertLine(Format("running_status: 0x%x", shown.running_status()), item);
  tree.InsertLine(Format("free_CA_mode: 0x%x", shown.free_ca_mode()), item);
  AddLengthLine(tree, item, kServiceLoopLengthLine, loopLength);
  if (loopLength != 0) AddServiceDescriptors(tree, item, s, descriptors, descriptors + loopLength);
  return descriptors + receivedLength;
}

void WriteService(const TableTreeCtrl& tree, ItemHandle item, const SdtService& service, SectionWriter& w) {
  const uint16_t loopLength = service.descriptors_loop_length.get();
  w.U16(service.service_id);
  w.U8(static_cast<uint8_t>(0xFC | service.eit_schedule() << 1 | service.eit_present_following()));
  w.U8(static_cast<uint8_t>(service.running_status() << 5 | service.free_ca_mode() << 4 | loopLength >> 8));
  w.U8(static_cast<uint8_t>(loopLength & 0xFF));
  ForEachChild(tree, tree.FindDirectChildOfKind(item, NodeKind::SdtServiceDescriptorList), [&](ItemHandle h) {
    if (const NodeRecord* r = tree.RecordOf(h)) WriteLoopDescriptor(w, *r);
  });
}

// One SDT section, numbered as its record says, as packets at the start of `area`.
BuildResult BuildSdtSection(TableTreeCtrl& tree, ItemHandle section, uint8_t lastSectionNumber, uint8_t* area,
                            size_t areaSize) {
  const auto* header = PayloadOf<SdtSectionHeader>(tree, section);
  if (!header) return {};
  SectionHead head = HeadOf(*header);
  head.table_id = kSdtTableId;
  head.last_section_number = lastSectionNumber;
  SectionWriter w(kSixPacketSection);
  w.WriteHeader(head, kFixedBits70);
  w.U16(header->original_network_id);
  w.U8(0xFF);
  ForEachChild(tree, FindBelow(tree, section, NodeKind::SdtServiceList), [&](ItemHandle h) {
    if (const auto* service = PayloadOf<SdtService>(tree, h)) WriteService(tree, h, *service, w);
  });
  return FinishIntoArea(w, "SDT", "six packets", kSdtBatPid, area, areaSize);
}

}  // namespace

bool ParseSdtSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, int sectionIndex,
                     SectionFields* fields) {
  const SectionBytes s(bytes, size);
  const ItemHandle root = tree.Root(port, Table::Sdt);
  if (!root || s.size() == 0 || s.U8(0) != kSdtTableId) return false;

  const SectionFields f = ReadSectionFields(s);
  if (fields) *fields = f;
  SdtSectionHeader header;
  StoreSectionFields(f, header);
  header.original_network_id = s.U16(8);
  const ItemHandle section = tree.InsertRecordItem(Format("Section %d:", sectionIndex), kImageSection, root,
                                                   MakeRecord(NodeKind::SdtSection, header));
  AddSectionFieldLines(tree, section, f, "transport_stream_id");
  tree.InsertLine(Format("original_network_id: 0x%x", header.original_network_id), section);
  const ItemHandle services =
      tree.InsertRecordItem("services", kImageLine, section, MakeHolder(NodeKind::SdtServiceList));
  const size_t loopEnd = LoopEnd(s, f);
  for (size_t at = kServiceLoopStart; at + kServiceHeader <= loopEnd;) at = AddService(tree, services, s, at, loopEnd);
  AddCrcLine(tree, section, s, f);
  return true;
}

namespace {

// The sections read so far, by the order their transport_stream_id first came and section_number.
using SdtSectionsRead = std::map<std::pair<size_t, uint8_t>, std::vector<uint8_t>>;

// Keeps every SDT section of one receive that `tally` has not seen; the walk ends at a section
// seen before or at a byte that starts no section. Returns the number of sections kept.
int TakeSdtSections(const uint8_t* bytes, size_t size, SectionTally& tally, std::map<uint16_t, size_t>& ids,
                    SdtSectionsRead& into) {
  const SectionBytes received(bytes, size);
  int added = 0;
  for (size_t at = 0; at != kNoSection && received.Has(at, 3);) {
    const SectionBytes s = received.From(at);
    const SectionFields f = ReadSectionFields(s);
    if (f.table_id != kSdtTableId) break;
    if (tally.Take(f)) {
      const size_t order = ids.emplace(f.id, ids.size()).first->second;
      into[{order, f.section_number}] = s.Copy(0, std::min(f.TotalSize(), s.size()));
      ++added;
    }
    at = NextSectionStart(received, at + f.TotalSize(), kSdtTableId);
  }
  return added;
}

}  // namespace

bool ReadSdt(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  SectionTally tally;
  std::map<uint16_t, size_t> ids;
  SdtSectionsRead sections;
  bool read = true;
  for (int pass = 0; pass < kMostSectionReads && !tally.Over(); ++pass) {
    const auto bytes = ReceiveTable(exchange, kSdtReadBuffer, kSdtBatPid, 0, port);
    if (!bytes) {
      read = false;
      break;
    }
    WriteDumpFile(Format("sdt%d.bin", pass), bytes->data(), bytes->size());
    if (pass == 0 && bytes->front() != kSdtTableId) return false;  // absent
    const int added = TakeSdtSections(bytes->data(), bytes->size(), tally, ids, sections);
    tally.NoteRead(added, bytes->front() != kSdtTableId);
  }
  // In section_number order, whatever order the device answered in.
  int index = 0;
  for (const auto& [key, bytes] : sections)
    if (ParseSdtSection(tree, bytes.data(), bytes.size(), port, index)) ++index;
  if (read && !tally.Missing().empty()) tree.MarkNotRead(port, Table::Sdt, "incomplete: " + tally.Missing());
  return read;
}

BuildResult BuildSdt(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const ItemHandle root = tree.Root(port, Table::Sdt);
  if (!PayloadOf<SdtSectionHeader>(tree, FirstChild(tree, root))) return {};
  bool services = true;
  ForEachChild(tree, root, [&](ItemHandle h) { services = services && FindBelow(tree, h, NodeKind::SdtServiceList); });
  if (!services) {
    if (area) std::memset(area, 0, areaSize);
    return {};
  }
  return BuildTableSections(tree, port, Table::Sdt, "SDT", area, areaSize,
                            [&](ItemHandle section, int count, int, uint8_t* store, size_t size) {
                              if (count > kMaxLoopSections) return TooManySections("SDT", count);
                              return BuildSdtSection(tree, section, static_cast<uint8_t>(count - 1), store, size);
                            });
}

}  // namespace quorvelin
