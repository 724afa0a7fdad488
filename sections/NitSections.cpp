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

std::string NitSectionText(const LoopSectionHeader& h) { return Format("Section %d:", h.section_number); }

const LoopParser kNitParser{&kNitFamily, NitSectionText};

void ParseNitBuffer(TableTreeCtrl& tree, std::span<const uint8_t> buffer, int port) {
  WriteDumpFile(kNitDumpName, buffer.data(), buffer.size());
  WalkSections(buffer, kNitTableId,
               [&](std::span<const uint8_t> section) { ParseNitSection(tree, section.data(), section.size(), port); });
}

const LoopBuilder kNitBuilder{&kNitFamily};

}  // namespace

bool ParseNitSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  return ParseLoopSection(tree, SectionBytes(bytes, size), port, kNitParser);
}

bool ReadNit(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  std::vector<uint8_t> buffer(kNitBufferSize, 0);
  if (!exchange.ReadTable(buffer.data(), buffer.size(), kNitPid, 0, port, false)) return false;
  ParseNitBuffer(tree, buffer, port);
  return true;
}

bool ParseNitPackets(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  if (size > kNitBufferSize || (bytes == nullptr && size > 0)) return false;
  std::vector<uint8_t> buffer(kNitBufferSize, 0);
  if (size > 0) std::memcpy(buffer.data(), bytes, size);
  UnpackPackets(static_cast<int>(size / kPacketSize), buffer.data(), buffer.size());
  ParseNitBuffer(tree, buffer, port);
  return true;
}

uint16_t NitPid(const TableTreeCtrl& tree, int port) {
  const int pid = tree.NetworkPid(port);
  return pid > 0 ? static_cast<uint16_t>(pid) : kNitPid;
}

namespace {

// The NIT section of `section` (its section_number, last_section_number = count - 1) as packets
// of `pid` at the start of `area`.
BuildResult BuildNitSection(TableTreeCtrl& tree, ItemHandle section, int sectionCount, uint16_t pid, uint8_t* area,
                            size_t areaSize) {
  const auto* h = PayloadOf<LoopSectionHeader>(tree, section);
  if (h == nullptr) return {};
  return BuildLoopSection(tree, section, kNitBuilder, h->section_number, static_cast<uint8_t>(sectionCount - 1), pid,
                          area, areaSize);
}

}  // namespace

BuildResult BuildNit(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const uint16_t pid = NitPid(tree, port);  // the PAT is searched once, not per section
  return BuildTableSections(tree, port, Table::Nit, kNitFamily.name, area, areaSize,
                            [&](ItemHandle section, int count, int, uint8_t* store, size_t size) {
                              if (count > kMaxLoopSections) return TooManySections(kNitFamily.name, count);
                              return BuildNitSection(tree, section, count, pid, store, size);
                            });
}

}  // namespace quorvelin
