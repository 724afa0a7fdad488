#include "sections/LoopSections.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sections/BranchQueries.h"
#include "sections/Packets.h"
#include "sections/TableIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

const LoopFamily kNitFamily{"NIT",
                            kNitTableId,
                            Table::Nit,
                            NodeKind::NitSection,
                            NodeKind::NitNetworkDescriptorList,
                            NodeKind::NitTransportStreamList,
                            NodeKind::NitTransportStream,
                            NodeKind::NitTransportDescriptorList,
                            "network_id",
                            kNetworkDescriptorsLengthLine,
                            "network_descriptors:"};

const LoopFamily kBatFamily{"BAT",
                            kBatTableId,
                            Table::Bat,
                            NodeKind::BatSection,
                            NodeKind::BatBouquetDescriptorList,
                            NodeKind::BatTransportStreamList,
                            NodeKind::BatTransportStream,
                            NodeKind::BatTransportDescriptorList,
                            "bouquet_id",
                            kBouquetDescriptorsLengthLine,
                            "bouquet_descriptors:"};

namespace {

void AddStream(TableTreeCtrl& tree, ItemHandle list, const SectionBytes& s, const LoopSectionLayout::Stream& stream,
               const LoopParser& parser) {
  const LoopFamily& f = *parser.family;
  const TransportStreamEntry& e = stream.entry;
  const ItemHandle item = AddStreamItem(tree, list, f.stream, e);
  if (e.transport_descriptors_length.get() == 0) return;
  const ItemHandle holder =
      tree.InsertRecordItem("transport_descriptors:", kImageLine, item, MakeHolder(f.streamDescriptors));
  VisitDescriptors(s, stream.descriptors, e.transport_descriptors_length.get(),
                   [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, holder, d); });
}

}  // namespace

std::string StreamText(const TransportStreamEntry& e) {
  return Format("transport_stream_id: 0x%x", e.transport_stream_id);
}

std::string OriginalNetworkLine(const TransportStreamEntry& e) {
  return Format("original_network_id: 0x%x", e.original_network_id);
}

ItemHandle AddStreamItem(TableTreeCtrl& tree, ItemHandle list, NodeKind kind, const TransportStreamEntry& e) {
  const ItemHandle item = tree.InsertRecordItem(StreamText(e), kImageLine, list, MakeRecord(kind, e));
  tree.InsertLine(OriginalNetworkLine(e), item);
  AddLengthLine(tree, item, kTransportDescriptorLengthLine, e.transport_descriptors_length.get());
  return item;
}

std::optional<LoopSectionLayout> LayOutLoopSection(const SectionBytes& s, uint8_t tableId) {
  LoopSectionLayout out;
  out.fields = ReadSectionFields(s);
  const SectionFields& f = out.fields;
  if (!s.Has(0, 3) || f.table_id != tableId || f.section_length < kLoopSectionMinLength ||
      f.TotalSize() > kLoopParseBufferSize || !s.Has(0, f.TotalSize()))
    return std::nullopt;
  StoreSectionFields(f, out.header);

  // The first loop ends early enough to leave the transport_stream_loop_length field in front of
  // the CRC_32; its whole descriptors are kept.
  const size_t crc = f.CrcOffset();
  const size_t firstEnd = std::min<size_t>(out.firstLoop + s.U12(8), crc - 2);
  out.header.descriptors_length.set(WholeDescriptorsLength(s, out.firstLoop, s.U12(8), crc - 2));

  // Entries whose six fixed bytes lie inside the loop; an entry's descriptors are cut at the end
  // of the loop.
  const size_t loopStart = firstEnd + 2;
  const size_t loopEnd = std::min<size_t>(loopStart + s.U12(firstEnd), crc);
  size_t kept = 0;
  for (size_t at = loopStart; at + 6 <= loopEnd;) {
    LoopSectionLayout::Stream stream;
    stream.entry.transport_stream_id = s.U16(at);
    stream.entry.original_network_id = s.U16(at + 2);
    stream.descriptors = at + 6;
    const size_t end = std::min<size_t>(stream.descriptors + s.U12(at + 4), loopEnd);
    stream.entry.transport_descriptors_length.set(
        WholeDescriptorsLength(s, stream.descriptors, s.U12(at + 4), loopEnd));
    kept += 6 + stream.entry.transport_descriptors_length.get();
    out.streams.push_back(stream);
    at = end;
  }
  out.header.transport_stream_loop_length.set(static_cast<uint32_t>(kept));
  return out;
}

bool ParseLoopSection(TableTreeCtrl& tree, const SectionBytes& s, int port, const LoopParser& parser) {
  const LoopFamily& f = *parser.family;
  const ItemHandle root = tree.Root(port, f.table);
  if (root == kNoItem) return false;
  const std::optional<LoopSectionLayout> layout = LayOutLoopSection(s, f.tableId);
  if (!layout) return false;
  const LoopSectionHeader& h = layout->header;

  const ItemHandle item = tree.InsertRecordItem(parser.sectionText(h), kImageLine, root, MakeRecord(f.section, h));
  AddSectionFieldLines(tree, item, layout->fields, f.idLabel);
  AddLengthLine(tree, item, f.firstLengthLine, h.descriptors_length.get());
  if (h.descriptors_length.get() != 0) {
    const ItemHandle holder = tree.InsertRecordItem(f.firstListLine, kImageLine, item, MakeHolder(f.firstList));
    VisitDescriptors(s, layout->firstLoop, h.descriptors_length.get(),
                     [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, holder, d); });
  }
  AddLengthLine(tree, item, kTransportStreamLoopLengthLine, h.transport_stream_loop_length.get());
  if (!layout->streams.empty()) {
    const ItemHandle list = tree.InsertRecordItem("transport_streams:", kImageLine, item, MakeHolder(f.streamList));
    for (const LoopSectionLayout::Stream& stream : layout->streams) AddStream(tree, list, s, stream, parser);
  }
  AddCrcLine(tree, item, s, layout->fields);
  return true;
}

void WalkSections(std::span<const uint8_t> buffer, uint8_t tableId,
                  const std::function<void(std::span<const uint8_t>)>& parse, bool untilLast) {
  if (buffer.empty() || buffer[0] != tableId) return;
  std::array<uint8_t, kLoopParseBufferSize> section{};
  size_t pos = 0;
  while (buffer.size() - pos >= 8) {
    const SectionFields f = ReadSectionFields(SectionBytes(buffer.data() + pos, buffer.size() - pos));
    if (f.TotalSize() <= section.size()) {
      section.fill(0);
      std::memcpy(section.data(), buffer.data() + pos, std::min(f.TotalSize(), buffer.size() - pos));
      parse(section);
    }
    if ((untilLast && f.last_section_number <= f.section_number) || f.TotalSize() >= buffer.size() - pos) return;
    pos += f.TotalSize();
    const void* next = std::memchr(buffer.data() + pos, tableId, buffer.size() - pos);
    if (next == nullptr) return;
    pos = static_cast<size_t>(static_cast<const uint8_t*>(next) - buffer.data());
  }
}

namespace {

void WriteDescriptorsOf(TableTreeCtrl& tree, ItemHandle list, SectionWriter& w) {
  ForEachChild(tree, list, [&](ItemHandle h) {
    if (const NodeRecord* r = tree.RecordOf(h)) WriteLoopDescriptor(w, *r);
  });
}

void WriteStreams(TableTreeCtrl& tree, ItemHandle list, const LoopBuilder& builder, SectionWriter& w) {
  const LoopFamily& f = *builder.family;
  ForEachChild(tree, list, [&](ItemHandle h) {
    const auto* e = PayloadOf<TransportStreamEntry>(tree, h);
    if (e == nullptr || tree.KindOf(h) != f.stream) return;
    w.U16(e->transport_stream_id);
    w.U16(e->original_network_id);
    w.Length12(e->transport_descriptors_length.get());
    if (e->transport_descriptors_length.get() != 0)
      WriteDescriptorsOf(tree, tree.FindDirectChildOfKind(h, f.streamDescriptors), w);
  });
}

}  // namespace

BuildResult BuildLoopSection(TableTreeCtrl& tree, ItemHandle section, const LoopBuilder& builder, uint8_t sectionNumber,
                             uint8_t lastSectionNumber, uint16_t pid, uint8_t* area, size_t areaSize) {
  const LoopFamily& f = *builder.family;
  const auto* h = PayloadOf<LoopSectionHeader>(tree, section);
  if (h == nullptr || tree.KindOf(section) != f.section) return {};

  SectionWriter w(kTenPacketSection);
  SectionHead head = HeadOf(*h);
  head.section_number = sectionNumber;
  head.last_section_number = lastSectionNumber;
  w.WriteHeader(head, kFixedBits70);
  w.Length12(h->descriptors_length.get());
  if (h->descriptors_length.get() != 0)
    WriteDescriptorsOf(tree, tree.FindDirectChildOfKind(section, f.firstList), w);
  w.Length12(h->transport_stream_loop_length.get());
  if (h->transport_stream_loop_length.get() != 0)
    WriteStreams(tree, tree.FindDirectChildOfKind(section, f.streamList), builder, w);
  return FinishIntoArea(w, f.name, "ten packets", pid, area, areaSize);
}

BuildResult TooManySections(const std::string& table, int count) {
  BuildResult result;
  result.error = Format("%s has %d sections, at most %d can be numbered; the table was not written.", table.c_str(),
                        count, kMaxLoopSections);
  return result;
}

BuildResult BuildTableSections(TableTreeCtrl& tree, int port, Table table, const char* name, uint8_t* area,
                               size_t areaSize, const SectionBuild& build) {
  const ItemHandle root = tree.Root(port, table);
  const int count = root == kNoItem ? 0 : tree.ChildCount(root);
  BuildResult result;
  if (count == 0) return result;
  std::vector<uint8_t> packets;
  std::array<uint8_t, kLoopPacketStoreSize> store{};
  int index = 0;
  for (ItemHandle h = tree.GetChildItem(root); h != kNoItem; h = tree.GetNextSiblingItem(h), ++index) {
    store.fill(0);
    const BuildResult section = build(h, count, index, store.data(), store.size());
    if (!section) return section;
    packets.insert(packets.end(), store.begin(), store.begin() + section.count * static_cast<ptrdiff_t>(kPacketSize));
  }
  if (area == nullptr || packets.size() > areaSize) {
    result.error =
        Format("%s not written: its %zu packets (%zu bytes) do not fit the %zu-byte area, which holds %zu packets.",
               name, packets.size() / kPacketSize, packets.size(), areaSize, areaSize / kPacketSize);
    return result;
  }
  std::copy(packets.begin(), packets.end(), area);
  result.ok = true;
  result.count = static_cast<int>(packets.size() / kPacketSize);
  return result;
}

}  // namespace quorvelin
