// Transport streams laid out as broadcasts lay them out, from the sections of a port: PIDs
// interleaved, adaptation fields, several sections per packet behind a pointer_field, repeated
// packets, null and video packets in between.
#pragma once

#include <algorithm>
#include <map>
#include <vector>

#include "device/Framing.h"
#include "sections/PortTables.h"
#include "sections/SectionTestSupport.h"

namespace quorvelin::testing {

struct OnPid {
  uint16_t pid;
  Bytes section;
};

struct Layout {
  size_t adaptation = 0;  // adaptation field bytes in every packet, its length byte included
  bool packed = false;    // a section starts right behind the one before, not in a new packet
  bool repeated = false;  // every packet twice (same continuity_counter)
  bool padded = false;    // a null and a video packet after each packet
};

// Every section of the port's tables on the PID it is held on.
inline std::vector<OnPid> SectionsOf(const PortTables& t) {
  std::vector<OnPid> out;
  auto add = [&](const Packets& table) {
    for (const Packets& p : SectionPackets(table)) out.push_back({PacketPid(p.data()), SectionBytesOf(p)});
  };
  add(t.pat);
  for (const PmtEntry& e : t.pmts) add(e.packets);
  for (const Packets* p : {&t.sdt, &t.cat, &t.nit, &t.bat, &t.time}) add(*p);
  return out;
}

inline std::vector<Bytes> PidPackets(uint16_t pid, const std::vector<Bytes>& sections, const Layout& l) {
  Bytes run;
  std::vector<size_t> starts;
  for (const Bytes& s : sections) {
    starts.push_back(run.size());
    run.insert(run.end(), s.begin(), s.end());
  }
  starts.push_back(run.size());
  const size_t room = kPacketPayload - l.adaptation;
  std::vector<Bytes> out;
  for (size_t pos = 0; pos < run.size();) {
    const auto next = std::lower_bound(starts.begin(), starts.end(), pos);
    const bool start = *next < run.size() && *next + 1 < pos + room;
    const size_t limit = start ? (l.packed ? run.size() : *(next + 1)) : *next;
    const size_t take = std::min(room - (start ? 1 : 0), limit - pos);
    Bytes p(kPacketSize, 0xFF);
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>((start ? 0x40 : 0) | pid >> 8);
    p[2] = static_cast<uint8_t>(pid);
    p[3] = static_cast<uint8_t>((l.adaptation ? 0x30 : 0x10) | (out.size() & 0x0F));
    size_t at = 4;
    if (l.adaptation) {
      p[4] = static_cast<uint8_t>(l.adaptation - 1);
      if (l.adaptation > 1) p[5] = 0x00;  // no flags, stuffing behind
      at += l.adaptation;
    }
    if (start) p[at++] = static_cast<uint8_t>(*next - pos);
    std::copy_n(run.begin() + static_cast<long>(pos), take, p.begin() + static_cast<long>(at));
    pos += take;
    out.push_back(p);
  }
  return out;
}

// The PIDs' packets taken in turn, one of each PID at a time.
inline Bytes Mux(const std::vector<OnPid>& sections, const Layout& l) {
  std::map<uint16_t, std::vector<Bytes>> byPid;
  for (const OnPid& s : sections) byPid[s.pid].push_back(s.section);
  std::vector<std::vector<Bytes>> queues;
  for (const auto& [pid, list] : byPid) queues.push_back(PidPackets(pid, list, l));
  Bytes null(kPacketSize, 0xFF), video(kPacketSize, 0x00);
  null[0] = video[0] = 0x47, null[1] = 0x1F, video[1] = 0x08, video[3] = 0x10;
  Bytes out;
  for (size_t i = 0; std::any_of(queues.begin(), queues.end(), [&](auto& q) { return i < q.size(); }); ++i)
    for (const auto& q : queues) {
      if (i >= q.size()) continue;
      for (int copies = l.repeated ? 2 : 1; copies > 0; --copies) out.insert(out.end(), q[i].begin(), q[i].end());
      if (l.padded) out.insert(out.end(), null.begin(), null.end()), out.insert(out.end(), video.begin(), video.end());
    }
  return out;
}

}  // namespace quorvelin::testing
