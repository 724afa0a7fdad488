// A port's tables held as the device holds them: each table as the transport packets of its
// sections (continuity_counter from 0 in each section), and how a read request is answered out
// of them. Shared by the simulated device and by the tables taken out of a capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvelin {

using Packets = std::vector<uint8_t>;  // whole 188-byte transport packets, end to end

struct PmtEntry {
  uint16_t pid = 0;
  uint16_t programNumber = 0;
  Packets packets;
  bool operator==(const PmtEntry&) const = default;
};

struct PortTables {
  Packets pat, cat, nit, sdt, bat;
  Packets time;  // the TDT packet, then the TOT packet (PID 0x0014)
  std::vector<PmtEntry> pmts;
  std::map<uint16_t, Packets> other;  // writes for any other PID
  bool operator==(const PortTables&) const = default;
};

// The table of a fixed PID (PAT, CAT, NIT, SDT or BAT, TDT/TOT); nothing for PMTs and others.
template <typename Tables>
auto FixedTable(Tables& t, uint16_t pid, bool bat) -> decltype(&t.pat) {
  switch (pid) {
    case 0x0000:
      return &t.pat;
    case 0x0001:
      return &t.cat;
    case 0x0010:
      return &t.nit;
    case 0x0011:
      return bat ? &t.bat : &t.sdt;
    case 0x0014:
      return &t.time;
    default:
      return nullptr;
  }
}

// Packets of one section on `pid` (pointer_field 0, continuity_counter from 0).
Packets PacketsOf(const std::vector<uint8_t>& section, uint16_t pid);

// The packets of each section of a table, split where a packet starts a section.
std::vector<Packets> SectionPackets(const Packets& table);

// (program_number, PID) of every entry of a PAT held as packets.
std::vector<std::pair<uint16_t, uint16_t>> PatEntries(const Packets& pat);

// Which section of a table of several sections answers the next read, by PID and selector.
using ReadTurns = std::map<std::pair<uint16_t, uint8_t>, size_t>;

// The packets that answer a read of `pid` (empty for a table not held). A PMT is found by its
// PID; when several programs share the PID, the selector k names the k-th program of the PAT that
// is not the NIT entry. An SDT or PMT of several sections is answered one section per read, in
// turn, as the device does.
Packets AnswerRead(const PortTables& t, uint16_t pid, uint8_t selector, bool bat, ReadTurns& turns);

// What a read through the device link leaves in `buffer`: the payloads of the answer's packets
// joined from offset 0 (the first packet's pointer_field dropped), zero bytes behind them.
// False, the buffer zeroed, when the packets do not fit behind the 6-byte answer header.
bool PutAnswer(const Packets& answer, uint8_t* buffer, size_t size);
// Why such a read failed: "more than N bytes", N the packet bytes the buffer takes.
std::string OversizeProblem(size_t bufferSize);

}  // namespace quorvelin
