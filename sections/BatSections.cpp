#include "sections/BatSections.h"

#include <map>
#include <utility>
#include <vector>

#include "sections/BranchQueries.h"
#include "sections/DumpFiles.h"
#include "sections/LoopSections.h"
#include "sections/SectionReader.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

const LoopParser kBatParser{&kBatFamily, BatSectionText};
const LoopBuilder kBatBuilder{&kBatFamily};

// The BAT section of `section` with section_number = `index` and last_section_number =
// count - 1 as packets of PID 0x0011 at the start of `area`; count = packets.
BuildResult BuildBatSection(TableTreeCtrl& tree, ItemHandle section, int sectionCount, int index, uint8_t* area,
                            size_t areaSize) {
  return BuildLoopSection(tree, section, kBatBuilder, static_cast<uint8_t>(index),
                          static_cast<uint8_t>(sectionCount - 1), kSdtBatPid, area, areaSize);
}

}  // namespace

std::string BatSectionText(const LoopSectionHeader& h) {
  return Format("Section %d: bouquet_id: 0x%x, version_number: 0x%x", h.section_number, h.id, h.version_number);
}

bool ParseBatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  return ParseLoopSection(tree, SectionBytes(bytes, size), port, kBatParser);
}

namespace {

// The sections of a BAT answer grouped by bouquet_id (bouquets in the order they first come),
// each bouquet's sections by section_number; a section that comes again, or whose section_number
// passes its last_section_number, is passed over.
std::vector<std::vector<uint8_t>> BouquetSections(std::span<const uint8_t> buffer) {
  std::map<uint16_t, size_t> bouquets;  // bouquet_id -> order of first appearance
  std::map<std::pair<size_t, uint8_t>, std::vector<uint8_t>> sections;
  WalkSections(
      buffer, kBatTableId,
      [&](std::span<const uint8_t> section) {
        const SectionFields f = ReadSectionFields(SectionBytes(section.data(), section.size()));
        if (f.section_number > f.last_section_number) return;
        const size_t order = bouquets.emplace(f.id, bouquets.size()).first->second;
        sections.emplace(std::pair(order, f.section_number), std::vector<uint8_t>(section.begin(), section.end()));
      },
      false);
  std::vector<std::vector<uint8_t>> out;
  for (auto& [key, bytes] : sections) out.push_back(std::move(bytes));
  return out;
}

}  // namespace

bool ReadBat(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  std::vector<uint8_t> buffer(kBatBufferSize, 0);
  if (!exchange.ReadTable(buffer.data(), buffer.size(), kSdtBatPid, 0, port, true)) return false;
  WriteDumpFile(kBatDumpName, buffer.data(), buffer.size());
  for (const std::vector<uint8_t>& section : BouquetSections(buffer))
    ParseBatSection(tree, section.data(), section.size(), port);
  return true;
}

BuildResult BuildBat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  // Each bouquet is a table of its own: its sections are numbered from 0 in tree order.
  std::map<uint16_t, int> count, next;
  ForEachChild(tree, tree.Root(port, Table::Bat), [&](ItemHandle h) {
    if (const auto* header = PayloadOf<LoopSectionHeader>(tree, h)) ++count[header->id];
  });
  return BuildTableSections(tree, port, Table::Bat, kBatFamily.name, area, areaSize,
                            [&](ItemHandle section, int, int, uint8_t* store, size_t size) {
                              const auto* header = PayloadOf<LoopSectionHeader>(tree, section);
                              if (header == nullptr) return BuildResult{};
                              const int sections = count[header->id];
                              if (sections > kMaxLoopSections)
                                return TooManySections(Format("BAT of bouquet 0x%04x", header->id), sections);
                              return BuildBatSection(tree, section, sections, next[header->id]++, store, size);
                            });
}

}  // namespace quorvelin
