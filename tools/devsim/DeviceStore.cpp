#include "tools/devsim/DeviceStore.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "device/Framing.h"
#include "sections/Packets.h"

namespace quorvelin::devsim {

Packets DeviceStore::Answer(const uint8_t* request) {
  const std::lock_guard lock(mutex_);
  const auto it = ports_.find(request[2]);
  if (it == ports_.end()) return {};
  return AnswerRead(it->second, RequestPid(request), request[3], HasBatMarker(request), turns_[request[2]]);
}

void DeviceStore::Take(const uint8_t* request, const uint8_t* packets, size_t bytes) {
  const std::lock_guard lock(mutex_);
  PortTables& t = ports_[request[2]];
  ++writes_;
  turns_.erase(request[2]);
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
  turns_.erase(portIndex);
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
