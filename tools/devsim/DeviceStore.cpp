#include "tools/devsim/DeviceStore.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "device/Framing.h"
#include "sections/Packets.h"

namespace quorvelin::devsim {
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

// The table a request names, or nothing for PMTs and other PIDs.
template <typename Tables>
auto FixedTable(Tables& t, uint16_t pid, bool bat) -> decltype(&t.pat) {
  switch (pid) {
    case kPatPid:
      return &t.pat;
    case kCatPid:
      return &t.cat;
    case kNitPid:
      return &t.nit;
    case kSdtBatPid:
      return bat ? &t.bat : &t.sdt;
    case kTimePid:
      return &t.time;
    default:
      return nullptr;
  }
}

}  // namespace

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

Packets DeviceStore::InTurn(const Packets& table, const uint8_t* request) {
  const std::vector<Packets> sections = SectionPackets(table);
  if (sections.size() <= 1) return table;
  size_t& turn = turns_[{request[2], RequestPid(request), request[3]}];
  return sections[turn++ % sections.size()];
}

Packets DeviceStore::Answer(const uint8_t* request) {
  const std::lock_guard lock(mutex_);
  const auto it = ports_.find(request[2]);
  if (it == ports_.end()) return {};
  const PortTables& t = it->second;
  const uint16_t pid = RequestPid(request);
  const bool bat = HasBatMarker(request);
  if (pid == kSdtBatPid && !bat) return InTurn(t.sdt, request);
  if (const Packets* table = FixedTable(t, pid, bat)) return *table;
  if (const PmtEntry* e = FindPmt(t, pid, request[3])) return InTurn(e->packets, request);
  const auto other = t.other.find(pid);
  return other == t.other.end() ? Packets{} : other->second;
}

void DeviceStore::Take(const uint8_t* request, const uint8_t* packets, size_t bytes) {
  const std::lock_guard lock(mutex_);
  PortTables& t = ports_[request[2]];
  ++writes_;
  std::erase_if(turns_, [&](const auto& turn) { return std::get<0>(turn.first) == request[2]; });
  const uint16_t pid = RequestPid(request);
  if (pid != kPmtWritePid) {
    if (pid == kPatPid) t.pmts.clear();
    Packets* table = FixedTable(t, pid, HasBatMarker(request));
    (table != nullptr ? *table : t.other[pid]).assign(packets, packets + bytes);
    return;
  }
  if (bytes < kPacketSize) return;
  const uint16_t pmtPid = PacketPid(packets);
  const uint16_t number = static_cast<uint16_t>(packets[8] << 8 | packets[9]);  // section bytes 3 and 4
  auto same = std::find_if(t.pmts.begin(), t.pmts.end(),
                           [&](const PmtEntry& e) { return e.pid == pmtPid && e.programNumber == number; });
  if (same == t.pmts.end()) same = t.pmts.insert(t.pmts.end(), PmtEntry{pmtPid, number, {}});
  same->packets.assign(packets, packets + bytes);
}

PortTables DeviceStore::Port(int portIndex) const {
  const std::lock_guard lock(mutex_);
  const auto it = ports_.find(portIndex);
  return it == ports_.end() ? PortTables{} : it->second;
}

void DeviceStore::SetPort(int portIndex, PortTables tables) {
  const std::lock_guard lock(mutex_);
  ports_[portIndex] = std::move(tables);
  std::erase_if(turns_, [&](const auto& turn) { return std::get<0>(turn.first) == portIndex; });
}

std::vector<int> DeviceStore::PortIndices() const {
  const std::lock_guard lock(mutex_);
  std::vector<int> out;
  for (const auto& [index, tables] : ports_) out.push_back(index);
  return out;
}

Packets DeviceStore::PortStream(int portIndex) const {
  const PortTables t = Port(portIndex);
  Packets out;
  auto add = [&](const Packets& p) { out.insert(out.end(), p.begin(), p.end()); };
  add(t.pat);
  for (const PmtEntry& e : t.pmts) add(e.packets);
  for (const Packets* p : {&t.sdt, &t.cat, &t.nit, &t.bat, &t.time}) add(*p);
  for (const auto& [pid, p] : t.other) add(p);
  return out;
}

bool DeviceStore::SavePort(const std::string& directory, int portIndex) const {
  const Packets stream = PortStream(portIndex);
  const std::string path = directory + "/port" + std::to_string(portIndex + 1) + ".ts";
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    if (!out) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int DeviceStore::Writes() const {
  const std::lock_guard lock(mutex_);
  return writes_;
}

}  // namespace quorvelin::devsim
