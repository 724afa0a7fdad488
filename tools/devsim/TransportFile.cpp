// Reading the PSI/SI sections out of a file of transport packets (pointer fields, adaptation
// fields, sections across packets and several sections per packet are all handled).
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "device/Framing.h"
#include "sections/Packets.h"
#include "tools/devsim/DeviceStore.h"

namespace quorvelin::devsim {
namespace {

struct Section {
  uint16_t pid = 0;
  std::vector<uint8_t> bytes;

  uint8_t TableId() const { return bytes[0]; }
  uint16_t Extension() const { return bytes.size() > 4 ? static_cast<uint16_t>(bytes[3] << 8 | bytes[4]) : 0; }
  uint8_t Number() const { return bytes.size() > 6 ? bytes[6] : 0; }
};

size_t SectionSize(const uint8_t* s) { return 3 + (static_cast<size_t>(s[1] & 0x0F) << 8 | s[2]); }

// Long-form sections and the TOT carry a CRC_32 that must check; the TDT has none.
bool Intact(const std::vector<uint8_t>& s) {
  if (s.size() < 3) return false;
  const bool crc = (s[1] & 0x80) != 0 || s[0] == 0x73;
  return !crc || (s.size() >= 7 && Crc32Mpeg(s.data(), s.size()) == 0);
}

class SectionCollector {
 public:
  void Packet(const uint8_t* p) {
    const uint16_t pid = PacketPid(p);
    const bool start = (p[1] & 0x40) != 0;
    const uint8_t control = (p[3] >> 4) & 0x03;
    if ((control & 0x01) == 0 || (p[1] & 0x80) != 0) return;  // no payload, or a transport error
    size_t at = 4;
    if (control & 0x02) at += 1 + p[4];
    if (at >= kPacketSize) return;
    std::vector<uint8_t>& pending = pending_[pid];
    if (!start) {
      if (!pending.empty()) Append(pid, p + at, kPacketSize - at);
      return;
    }
    const size_t pointer = p[at++];
    if (!pending.empty()) Append(pid, p + at, std::min(pointer, kPacketSize - at));
    pending.clear();
    at += pointer;
    while (at + 3 <= kPacketSize && p[at] != 0xFF) {
      const size_t size = SectionSize(p + at);
      if (at + size <= kPacketSize) {
        Emit(pid, std::vector<uint8_t>(p + at, p + at + size));
        at += size;
        continue;
      }
      pending.assign(p + at, p + kPacketSize);
      break;
    }
  }

  std::vector<Section> sections;

 private:
  void Append(uint16_t pid, const uint8_t* data, size_t bytes) {
    std::vector<uint8_t>& pending = pending_[pid];
    pending.insert(pending.end(), data, data + bytes);
    if (pending.size() < 3) return;
    const size_t size = SectionSize(pending.data());
    if (pending.size() < size) return;
    pending.resize(size);
    Emit(pid, std::move(pending));
    pending.clear();
  }

  void Emit(uint16_t pid, std::vector<uint8_t> bytes) {
    if (!Intact(bytes)) return;
    Section s{pid, std::move(bytes)};
    const auto key = std::make_tuple(pid, s.TableId(), s.Extension(), s.Number());
    if (!seen_.insert(key).second) return;
    sections.push_back(std::move(s));
  }

  std::map<uint16_t, std::vector<uint8_t>> pending_;
  std::set<std::tuple<uint16_t, uint8_t, uint16_t, uint8_t>> seen_;
};

Packets Packetize(const Section& s) {
  Packets out(static_cast<size_t>(PacketsForSection(s.bytes.size())) * kPacketSize);
  PacketizeSection(s.bytes.data(), s.bytes.size(), s.pid, out.data(), out.size());
  return out;
}

// The packets of every section picked, in section_number order (BAT: by bouquet, then number).
Packets Joined(std::vector<const Section*> picked) {
  std::stable_sort(picked.begin(), picked.end(), [](const Section* a, const Section* b) {
    return std::make_pair(a->Extension(), a->Number()) < std::make_pair(b->Extension(), b->Number());
  });
  Packets out;
  for (const Section* s : picked) {
    const Packets p = Packetize(*s);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

std::vector<const Section*> Pick(const std::vector<Section>& all, uint16_t pid, uint8_t tableId) {
  std::vector<const Section*> out;
  for (const Section& s : all)
    if (s.pid == pid && s.TableId() == tableId) out.push_back(&s);
  return out;
}

void Replace(Packets& table, Packets packets) {
  if (!packets.empty()) table = std::move(packets);
}

}  // namespace

bool LoadTransportBytes(const uint8_t* data, size_t size, PortTables& tables) {
  SectionCollector collector;
  for (size_t at = 0; at + kPacketSize <= size;) {
    if (data[at] != kFrameSync) {
      ++at;  // lost sync: look for the next sync byte
      continue;
    }
    collector.Packet(data + at);
    at += kPacketSize;
  }
  const std::vector<Section>& all = collector.sections;
  if (all.empty()) return false;

  Replace(tables.pat, Joined(Pick(all, kPatPid, 0x00)));
  Replace(tables.cat, Joined(Pick(all, kCatPid, 0x01)));
  Replace(tables.sdt, Joined(Pick(all, kSdtBatPid, 0x42)));
  Replace(tables.bat, Joined(Pick(all, kSdtBatPid, 0x4A)));
  uint16_t networkPid = kNitPid;
  for (auto [number, pid] : PatEntries(tables.pat))
    if (number == 0) networkPid = pid;
  Replace(tables.nit, Joined(Pick(all, networkPid, 0x40)));

  const auto tdt = Pick(all, kTimePid, 0x70);
  const auto tot = Pick(all, kTimePid, 0x73);
  if (!tdt.empty() || !tot.empty()) {
    Packets time = tdt.empty() ? Packets{} : Packetize(*tdt.front());
    if (!tot.empty()) {
      Packets p = Packetize(*tot.front());
      if (!tdt.empty()) p[3] = static_cast<uint8_t>(0x10 | ((time[3] + 1) & 0x0F));  // continues the TDT's count
      time.insert(time.end(), p.begin(), p.end());
    }
    tables.time = std::move(time);
  }

  // Every section of each program's PMT, by PID and program_number in the order first seen.
  std::vector<std::pair<PmtEntry, std::vector<const Section*>>> programs;
  for (const Section& s : all) {
    if (s.TableId() != 0x02) continue;
    auto program = std::find_if(programs.begin(), programs.end(), [&](const auto& p) {
      return p.first.pid == s.pid && p.first.programNumber == s.Extension();
    });
    if (program == programs.end()) program = programs.insert(programs.end(), {PmtEntry{s.pid, s.Extension(), {}}, {}});
    program->second.push_back(&s);
  }
  for (auto& [entry, sections] : programs) {
    entry.packets = Joined(sections);
    auto same = std::find_if(tables.pmts.begin(), tables.pmts.end(), [&](const PmtEntry& e) {
      return e.pid == entry.pid && e.programNumber == entry.programNumber;
    });
    if (same != tables.pmts.end())
      *same = std::move(entry);
    else
      tables.pmts.push_back(std::move(entry));
  }
  return true;
}

bool LoadTransportFile(const std::string& path, PortTables& tables, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!LoadTransportBytes(bytes.data(), bytes.size(), tables)) {
    error = path + " holds no PSI/SI table";
    return false;
  }
  return true;
}

}  // namespace quorvelin::devsim
