#include "sections/PmtSections.h"

#include "sections/BranchQueries.h"
#include "sections/DumpFiles.h"
#include "sections/Packets.h"
#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr size_t kProgramInfoStart = 12;
constexpr size_t kComponentHeader = 5;
constexpr size_t kSectionWalkEnd = 188;    // a further section must start in the first packet
constexpr size_t kComponentWalkEnd = 1024;  // components are read from the first 1024 bytes

// A CA_descriptor shorter than its 4 fixed bytes is kept as a plain descriptor.

void AddComponents(TableTreeCtrl& tree, ItemHandle section, const SectionBytes& s, const SectionFields& f,
                   size_t sectionStart, size_t programInfoLength) {
  const ItemHandle list =
      tree.InsertRecordItem("components", kImageLine, section, MakeHolder(NodeKind::PmtComponentList));
  const size_t loopEnd = LoopEnd(s, f);
  for (size_t at = kProgramInfoStart + programInfoLength;
       at + 6 <= f.section_length && sectionStart + at < kComponentWalkEnd && at + kComponentHeader <= loopEnd;) {
    const size_t descriptors = at + kComponentHeader;
    const uint16_t receivedLength = s.U12(at + 3);
    PmtComponent c;
    c.stream_type = s.U8(at);
    c.elementary_pid.set(s.U13(at + 1));
    c.es_info_length.set(WholeDescriptorsLength(s, descriptors, receivedLength, loopEnd));
    const uint16_t pid = c.elementary_pid.get();
    const uint16_t esInfoLength = c.es_info_length.get();
    const ItemHandle item = tree.InsertRecordItem(Format("stream_type: 0x%x", c.stream_type), ComponentImage(c.stream_type),
                                                  list, MakeRecord(NodeKind::PmtComponent, c));
    tree.InsertLine(Format("elementary_PID: 0x%x (%d)", pid, pid), item);
    AddLengthLine(tree, item, kEsInfoLengthLine, esInfoLength);
    if (esInfoLength != 0) {
      const ItemHandle esList =
          tree.InsertRecordItem("es descriptors", kImageLine, item, MakeHolder(NodeKind::PmtEsDescriptorList));
      VisitDescriptors(s, descriptors, esInfoLength, [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, esList, d); });
    }
    at = descriptors + receivedLength;
  }
}

}  // namespace

std::string PmtProgramText(int programNumber, int pmtPid) {
  return Format("program_number: 0x%x (%d) => PID: 0x%x (%d)", programNumber, programNumber, pmtPid, pmtPid);
}

namespace {

// One PMT section at the start of `s` (at `sectionStart` in the received bytes).
void AddPmtSection(TableTreeCtrl& tree, int port, uint16_t pmtPid, const SectionBytes& s, size_t sectionStart,
                   int sectionIndex) {
  const SectionFields f = ReadSectionFields(s);
  PmtSectionHeader header;
  StoreSectionFields(f, header);
  header.pcr_pid.set(s.U13(8));
  header.program_info_length.set(WholeDescriptorsLength(s, kProgramInfoStart, s.U12(10), LoopEnd(s, f)));
  header.pmt_pid.set(pmtPid);
  const uint16_t pcrPid = header.pcr_pid.get();
  const uint16_t infoLength = header.program_info_length.get();

  const ItemHandle program =
      tree.InsertRecordItem(PmtProgramText(f.id, pmtPid), kImageProgram, tree.Root(port, Table::Pmt),
                            MakeHolder(NodeKind::PmtProgram));
  const ItemHandle section = tree.InsertRecordItem(Format("Section %d:", sectionIndex), kImageSection, program,
                                                   MakeRecord(NodeKind::PmtSection, header));
  AddSectionFieldLines(tree, section, f, "program_number");
  tree.InsertLine(Format("PCR_PID: 0x%x", pcrPid), section);
  AddLengthLine(tree, section, kProgramInfoLengthLine, infoLength);
  if (infoLength != 0) {
    const ItemHandle list = tree.InsertRecordItem("program_info_descriptors", kImageLine, section,
                                                  MakeHolder(NodeKind::PmtProgramInfoList));
    VisitDescriptors(s, kProgramInfoStart, infoLength, [&](const DescriptorBytes& d) { AddLoopDescriptor(tree, list, d); });
  }
  AddComponents(tree, section, s, f, sectionStart, s.U12(10));  // components follow the received length
  AddCrcLine(tree, section, s, f);
}

void WriteDescriptorLoop(const TableTreeCtrl& tree, ItemHandle list, SectionWriter& w) {
  ForEachChild(tree, list, [&](ItemHandle h) {
    if (const NodeRecord* r = tree.RecordOf(h)) WriteLoopDescriptor(w, *r);
  });
}

// Lays out the first section of one program item; false when it has no PMT section record.
bool WriteProgramSection(const TableTreeCtrl& tree, ItemHandle program, SectionWriter& w, uint16_t& pmtPid) {
  const auto* header = PayloadOf<PmtSectionHeader>(tree, FirstChild(tree, program));
  if (!header) return false;
  pmtPid = header->pmt_pid.get();
  w.WriteHeader(HeadOf(*header), kFixedBits30);
  w.Pid13(header->pcr_pid.get());
  w.Length12(header->program_info_length.get());
  if (header->program_info_length.get() != 0)
    WriteDescriptorLoop(tree, FindBelow(tree, program, NodeKind::PmtProgramInfoList), w);
  ForEachChild(tree, FindBelow(tree, program, NodeKind::PmtComponentList), [&](ItemHandle h) {
    const auto* c = PayloadOf<PmtComponent>(tree, h);
    if (!c) return;
    w.U8(c->stream_type);
    w.Pid13(c->elementary_pid.get());
    w.Length12(c->es_info_length.get());
    if (c->es_info_length.get() != 0) WriteDescriptorLoop(tree, FindBelow(tree, h, NodeKind::PmtEsDescriptorList), w);
  });
  return true;
}

}  // namespace

int ComponentImage(uint8_t streamType) {
  if (streamType == 1 || streamType == 2 || streamType == 0x1B) return kImageVideo;
  if (streamType == 3 || streamType == 4) return kImageAudio;
  return kImageLine;
}

int ParsePmtSections(TableTreeCtrl& tree, const uint8_t* bytes, size_t size, int port, uint16_t pmtPid,
                     PmtReadState& state) {
  const SectionBytes received(bytes, size);
  if (!tree.Root(port, Table::Pmt)) return 0;
  int added = 0;
  for (size_t at = 0; at < kSectionWalkEnd && received.U8(at) == kPmtTableId;) {
    const SectionBytes s = received.From(at);
    const SectionFields f = ReadSectionFields(s);
    const bool asked = state.programNumber < 0 || f.id == state.programNumber;
    if (f.id != 0 && f.section_length != 0 && asked && state.tally.Take(f)) {
      AddPmtSection(tree, port, pmtPid, s, at, state.sectionCounter);
      ++state.sectionCounter;
      ++added;
    }
    at += f.TotalSize();
  }
  return added;
}

bool ReadPmts(TableTreeCtrl& tree, TableExchange& exchange, int port, int count) {
  for (int k = 1; k <= count; ++k) {
    const TableTreeCtrl::PmtPid pmt = tree.PmtPidOf(k, port);
    if (pmt.pid < 0) continue;
    const auto pid = static_cast<uint16_t>(pmt.pid);
    const auto selector = static_cast<uint8_t>(pmt.shared ? k : 0);
    PmtReadState state;
    state.programNumber = pmt.programNumber;
    for (int pass = 0; pass < kMostSectionReads && !state.tally.Over(); ++pass) {
      const auto bytes = ReceiveTable(exchange, kPmtReadBuffer, pid, selector, port);
      if (!bytes) break;
      WriteDumpFile(Format("pmt%d.bin", state.sectionCounter), bytes->data(), bytes->size());
      const int added = ParsePmtSections(tree, bytes->data(), bytes->size(), port, pid, state);
      state.tally.NoteRead(added, bytes->front() != kPmtTableId);
    }
    if (!state.tally.Missing().empty())
      tree.MarkNotRead(port, Table::Pmt,
                       Format("incomplete: program 0x%04x on PID 0x%04x, ", pmt.programNumber, pid) + state.tally.Missing());
  }
  return true;
}

BuildResult BuildPmts(TableTreeCtrl& tree, int port, uint8_t* area, size_t areaSize) {
  BuildResult result;
  const ItemHandle root = tree.Root(port, Table::Pmt);
  if (FirstChild(tree, root) == kNoItem) return result;
  result.ok = true;
  size_t slot = 0;
  ForEachChild(tree, root, [&](ItemHandle program) {
    const size_t offset = kPmtSlotSize * slot++;
    SectionWriter w(kSixPacketSection);
    uint16_t pid = 0;
    if (!WriteProgramSection(tree, program, w, pid)) return;
    const bool finished = w.Finish();
    const bool placed = finished && area != nullptr && offset + kPmtSlotSize <= areaSize &&
                        PacketizeSection(w.data(), w.size(), pid, area + offset, kPmtSlotSize) > 0;
    if (placed) {
      ++result.count;
    } else if (result.ok) {
      result.ok = false;
      result.error = finished
                         ? Format("PMT of slot %zu not written: the output area holds %zu slots of six packets.",
                                  slot - 1, areaSize / kPmtSlotSize)
                         : SectionTooLongMessage(Format("PMT of program 0x%x", w.data()[3] << 8 | w.data()[4]).c_str(),
                                                 w, "six packets");
    }
  });
  return result;
}

}  // namespace quorvelin
