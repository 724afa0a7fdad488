#include "sections/BatSections.h"

#include <vector>

#include "sections/DumpFiles.h"
#include "sections/LoopSections.h"
#include "sections/descriptors/GenericHex.h"
#include "sections/descriptors/Names.h"
#include "sections/descriptors/ServiceList.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

void AddBouquetDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  if (d.tag == kBouquetNameTag) {
    AddName(tree, holder, NodeKind::BatBouquetName, d, "bouquet_name_descriptor", "bouquet_name: ", DisplayName(d.data));
    return;
  }
  AddHexDescriptor(tree, holder, NodeKind::BatDescriptor, d, kHexLines);
}

void AddTransportDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d) {
  if (d.tag == kServiceListTag) {
    AddServiceList(tree, holder, NodeKind::BatServiceList, d);
    return;
  }
  AddHexDescriptor(tree, holder, NodeKind::BatDescriptor, d, kHexLines);
}

std::string BatSectionText(const LoopSectionHeader& h) {
  return Format("SectionNumber: 0x%x,BouquetID:0x%x,version_number:0x%x", h.section_number, h.id, h.version_number);
}

const LoopParser kBatParser{&kBatFamily, BatSectionText, AddBouquetDescriptor, AddTransportDescriptor};
const LoopBuilder kBatBuilder{&kBatFamily, WriteCommonDescriptor};

// The BAT section of `section` with section_number = `index` and last_section_number =
// count - 1 as packets of PID 0x0011 at the start of `area`; count = packets.
BuildResult BuildBatSection(TableTreeCtrl& tree, ItemHandle section, int sectionCount, int index, uint8_t* area,
                            size_t areaSize) {
  return BuildLoopSection(tree, section, kBatBuilder, static_cast<uint8_t>(index),
                          static_cast<uint8_t>(sectionCount - 1), kSdtBatPid, area, areaSize);
}

}  // namespace

bool ParseBatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  return ParseLoopSection(tree, SectionBytes(bytes, size), port, kBatParser);
}

bool ReadBat(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  std::vector<uint8_t> buffer(kBatBufferSize, 0);
  if (!exchange.ReadTable(buffer.data(), buffer.size(), kSdtBatPid, 0, port, true)) return false;
  WriteDumpFile(kBatDumpName, buffer.data(), buffer.size());
  WalkSections(buffer, kBatTableId,
               [&](std::span<const uint8_t> section) { ParseBatSection(tree, section.data(), section.size(), port); });
  return true;
}

BuildResult BuildBat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  return BuildLoopTable(tree, port, kBatFamily, area, areaSize,
                        [&](ItemHandle section, int count, int index, uint8_t* store, size_t size) {
                          return BuildBatSection(tree, section, count, index, store, size);
                        });
}

}  // namespace quorvelin
