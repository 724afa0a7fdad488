#include "sections/PortTables.h"

#include <algorithm>
#include <cstring>

#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

const PmtEntry* FindPmt(const PortTables& t, uint16_t pid, uint8_t selector) {
  std::vector<const PmtEntry*> onPid;
  for (const PmtEntry& e : t.pmts)
    if (e.pid == pid) onPid.push_back(&e);
  if (onPid.empty()) return nullptr;
  const auto entries = PatEntries(t.pat);
  auto byProgram = [&](uint16_t number) -> const PmtEntry* {
    for (const PmtEntry* e : onPid)
      if (e->programNumber == number) return e;
    return nullptr;
  };
  if (selector > 0) {
    int k = 0;
    for (auto [number, entryPid] : entries) {
      if (entryPid == kNitPid) continue;
      if (++k == selector) return entryPid == pid ? byProgram(number) : nullptr;
    }
    return nullptr;
  }
  for (auto [number, entryPid] : entries)
    if (entryPid == pid)
      if (const PmtEntry* e = byProgram(number)) return e;
  return onPid.front();
}

Packets InTurn(const Packets& table, size_t& turn) {
  const std::vector<Packets> sections = SectionPackets(table);
  if (sections.size() <= 1) return table;
  return sections[turn++ % sections.size()];
}

}  // namespace

Packets PacketsOf(const std::vector<uint8_t>& section, uint16_t pid) {
  Packets out(static_cast<size_t>(PacketsForSection(section.size())) * kPacketSize);
  PacketizeSection(section.data(), section.size(), pid, out.data(), out.size());
  return out;
}

std::vector<Packets> SectionPackets(const Packets& table) {
  std::vector<Packets> out;
  for (size_t at = 0; at + kPacketSize <= table.size(); at += kPacketSize) {
    const auto packet = table.begin() + static_cast<long>(at);
    if ((packet[1] & 0x40) != 0 || out.empty()) out.emplace_back();  // payload_unit_start_indicator
    out.back().insert(out.back().end(), packet, packet + kPacketSize);
  }
  return out;
}

std::vector<std::pair<uint16_t, uint16_t>> PatEntries(const Packets& pat) {
  std::vector<std::pair<uint16_t, uint16_t>> out;
  if (pat.size() < kPacketSize) return out;
  std::vector<uint8_t> s(pat);
  UnpackPackets(static_cast<int>(s.size() / kPacketSize), s.data(), s.size());
  if (s[0] != 0x00) return out;
  const size_t length = static_cast<size_t>(s[1] & 0x0F) << 8 | s[2];
  const size_t end = std::min(s.size(), length + 3);
  for (size_t at = 8; end >= 4 && at + 4 <= end - 4; at += 4)
    out.emplace_back(static_cast<uint16_t>(s[at] << 8 | s[at + 1]),
                     static_cast<uint16_t>((s[at + 2] & 0x1F) << 8 | s[at + 3]));
  return out;
}

Packets AnswerRead(const PortTables& t, uint16_t pid, uint8_t selector, bool bat, ReadTurns& turns) {
  if (pid == kSdtBatPid && !bat) return InTurn(t.sdt, turns[{pid, selector}]);
  if (const Packets* table = FixedTable(t, pid, bat)) return *table;
  if (const PmtEntry* e = FindPmt(t, pid, selector)) return InTurn(e->packets, turns[{pid, selector}]);
  const auto other = t.other.find(pid);
  return other == t.other.end() ? Packets{} : other->second;
}

bool PutAnswer(const Packets& answer, uint8_t* buffer, size_t size) {
  constexpr size_t kHeader = 6;
  if (buffer == nullptr || size < kHeader) return false;
  std::memset(buffer, 0, size);
  if (answer.size() > size - kHeader) return false;
  if (!answer.empty()) std::memcpy(buffer + kHeader, answer.data(), answer.size());
  UnpackPacketsWithHeader(static_cast<int>(answer.size() / kPacketSize), buffer, size);
  return true;
}

std::string OversizeProblem(size_t bufferSize) {
  return Format("more than %zu bytes", bufferSize > 6 ? bufferSize - 6 : 0);
}

}  // namespace quorvelin
