// What the simulated head-end device holds: per port (the port index of the requests: A = 0,
// B = 1, or channel - 1) every table as the transport packets it was given, and how it answers
// a read request and takes a write request. Safe to use from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sections/PortTables.h"

namespace quorvelin::devsim {

using quorvelin::Packets;
using quorvelin::PatEntries;
using quorvelin::PmtEntry;
using quorvelin::PortTables;
using quorvelin::SectionPackets;

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
  mutable std::mutex mutex_;
  std::map<int, PortTables> ports_;
  std::map<int, ReadTurns> turns_;  // by port index
  int writes_ = 0;
};

// The tables of a file of transport packets merged into `tables`: the PAT, CAT, SDT, BAT, NIT
// (on the network PID of the PAT, else 0x0010), TDT, TOT and every PMT on any PID, each the
// complete set of sections of its current version, stored repacketised as the device holds it.
// False, with a message, when the file cannot be read or holds no complete table.
bool LoadTransportFile(const std::string& path, PortTables& tables, std::string& error);
bool LoadTransportBytes(const uint8_t* data, size_t size, PortTables& tables);

}  // namespace quorvelin::devsim
