// What the simulated head-end device holds: per port (the port index of the requests: A = 0,
// B = 1, or channel - 1) every table as the transport packets it was given, and how it answers
// a read request and takes a write request. Safe to use from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace quorvelin::devsim {

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

// The packets of each section of a table, split where a packet starts a section.
std::vector<Packets> SectionPackets(const Packets& table);

// (program_number, PID) of every entry of a PAT held as packets.
std::vector<std::pair<uint16_t, uint16_t>> PatEntries(const Packets& pat);

class DeviceStore {
 public:
  // The packets that answer a read request (its 6-byte header); empty for a table not held.
  // A PMT is found by its PID; when several programs share the PID, the selector k names the
  // k-th program of the port's PAT that is not the NIT entry. An SDT or PMT of several
  // sections is answered one section per request, in turn, as the device does.
  Packets Answer(const uint8_t* request);
  // Stores the packets of a write request (its 6-byte header). A PAT write starts a new set of
  // PMTs; a PMT write (PID 0xFFFF) is filed under the PID and program_number its packets carry.
  void Take(const uint8_t* request, const uint8_t* packets, size_t bytes);

  PortTables Port(int portIndex) const;
  void SetPort(int portIndex, PortTables tables);
  std::vector<int> PortIndices() const;
  // Every table of the port in the order PAT, PMTs, SDT, CAT, NIT, BAT, TDT/TOT, others.
  Packets PortStream(int portIndex) const;
  // DIR/portN.ts with N = port index + 1; false when the file cannot be written.
  bool SavePort(const std::string& directory, int portIndex) const;
  int Writes() const;

 private:
  // The next section of a table served in turn, by port index, PID and selector.
  Packets InTurn(const Packets& table, const uint8_t* request);

  mutable std::mutex mutex_;
  std::map<int, PortTables> ports_;
  std::map<std::tuple<int, uint16_t, uint8_t>, size_t> turns_;
  int writes_ = 0;
};

// The tables of a file of transport packets merged into `tables`: the PAT, CAT, SDT, BAT, NIT
// (on the network PID of the PAT, else 0x0010), TDT, TOT and every PMT, each with all its
// sections. Each section is taken once (the first whole copy with a good CRC_32) and stored
// repacketised as the device holds it. False, with a message, when the file cannot be read or
// holds no table.
bool LoadTransportFile(const std::string& path, PortTables& tables, std::string& error);
bool LoadTransportBytes(const uint8_t* data, size_t size, PortTables& tables);

}  // namespace quorvelin::devsim
