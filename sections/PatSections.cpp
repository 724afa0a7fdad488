#include "sections/PatSections.h"

#include "sections/BranchQueries.h"
#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr size_t kPatLoopStart = 8;
constexpr size_t kPatEntrySize = 4;

// Entries that lie wholly before the CRC_32 and inside the received bytes.
size_t PatEntryCount(const SectionBytes& s, const SectionFields& f) {
  const size_t end = LoopEnd(s, f);
  return end > kPatLoopStart ? (end - kPatLoopStart) / kPatEntrySize : 0;
}

}  // namespace

int ParsePatSection(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port) {
  const SectionBytes s(bytes, size);
  const ItemHandle root = tree.Root(port, Table::Pat);
  if (!root || s.size() < 4 || s.U8(0) != kPatTableId || (s.U8(1) == 0 && s.U8(2) == 0 && s.U8(3) == 0)) return 0;

  const SectionFields f = ReadSectionFields(s);
  PatSectionHeader header;
  StoreSectionFields(f, header);
  const ItemHandle section =
      tree.InsertRecordItem("Section 0:", kImageSection, root, MakeRecord(NodeKind::PatSection, header));
  AddSectionFieldLines(tree, section, f, "transport_stream_id");

  const size_t count = PatEntryCount(s, f);
  const ItemHandle list = tree.InsertRecordItem(Format("programs:%zu", count), kImageLine, section,
                                                MakeHolder(NodeKind::PatProgramList));
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kPatLoopStart + i * kPatEntrySize;
    PatProgram entry;
    entry.program_number = s.U16(at);
    entry.pid.set(s.U13(at + 2));
    const int pid = entry.pid.get();
    tree.InsertRecordItem(Format("program_number: 0x%x (%d) => PID: 0x%x (%d)", entry.program_number,
                                 entry.program_number, pid, pid),
                          kImageLine, list, MakeRecord(NodeKind::PatProgram, entry));
  }
  AddCrcLine(tree, section, s, f);
  return static_cast<int>(count);
}

int ReadPat(TableTreeCtrl& tree, TableExchange& exchange, int port) {
  const auto bytes = ReceiveTable(exchange, kPsiReadBuffer, kPatPid, 0, port);
  return bytes ? ParsePatSection(tree, bytes->data(), bytes->size(), port) : 0;
}

BuildResult BuildPat(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  const ItemHandle section = tree.FindChildOfKind(tree.Root(port, Table::Pat), NodeKind::PatSection);
  const auto* header = PayloadOf<PatSectionHeader>(tree, section);
  if (!header) return {};

  SectionWriter w(kOnePacketSection);
  w.WriteHeader(HeadOf(*header), kFixedBits30);
  int programs = 0;
  ForEachChild(tree, FindBelow(tree, section, NodeKind::PatProgramList), [&](ItemHandle h) {
    if (const auto* entry = PayloadOf<PatProgram>(tree, h)) {
      w.U16(entry->program_number);
      w.Pid13(entry->pid.get());
      ++programs;
    }
  });
  BuildResult result = FinishIntoArea(w, "PAT", "one packet, 42 programs", kPatPid, area, areaSize);
  result.count = result.ok ? programs : 0;
  return result;
}

}  // namespace quorvelin
