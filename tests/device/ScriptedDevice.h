// A head-end device scripted from the protocol's description alone, on 127.0.0.N port 2007: it
// answers a read with a status byte (0xA5) in byte 1 of every header, a write with a 6-byte
// status reply and a BAT write with a 2-byte acknowledgement, in the plain or the fragmented
// framing; a forger on another loopback address sends a spoiled copy of every answer first.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "device/DeviceTestSupport.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin::testing {

using Bytes = std::vector<uint8_t>;
using Tables = std::map<uint32_t, Bytes>;

// Bytes 2 to 5 of a request: port index, selector, PID (with the BAT marker).
inline uint32_t KeyOf(const uint8_t* r) { return uint32_t(r[2]) << 24 | r[3] << 16 | r[4] << 8 | r[5]; }
inline uint32_t Key(int portIndex, int selector, int pid) { return uint32_t(portIndex) << 24 | selector << 16 | pid; }
inline Bytes Header(const uint8_t* request, size_t length) {
  return {0x47, 0xA5, request[2], request[3], uint8_t(length >> 8), uint8_t(length)};
}
// Header, packets (`per` to a datagram), trailer {1 when more follow, first packet's index}.
inline std::vector<Bytes> PlainAnswer(const uint8_t* request, const Bytes& packets, size_t per) {
  std::vector<Bytes> out;
  for (size_t first = 0, n = packets.size() / 188; out.empty() || first < n; first += per) {
    const size_t end = std::min(n, first + per);
    out.push_back(Header(request, packets.size()));
    out.back().insert(out.back().end(), packets.begin() + long(first * 188), packets.begin() + long(end * 188));
    out.back().insert(out.back().end(), {uint8_t(end < n), uint8_t(first >> 8), uint8_t(first)});
  }
  return out;
}
// Header, {sequence, index from 1, count}, at most 1400 data bytes.
inline std::vector<Bytes> FragmentAnswer(const uint8_t* request, const Bytes& packets, uint8_t sequence) {
  const size_t count = packets.empty() ? 1 : (packets.size() - 1) / 1400 + 1;
  std::vector<Bytes> out;
  for (size_t i = 0, from = 0; i < count; ++i, from = std::min(packets.size(), from + 1400)) {
    out.push_back(Header(request, packets.size()));
    out.back().insert(out.back().end(), {sequence, uint8_t(i + 1), uint8_t(count)});
    out.back().insert(out.back().end(), packets.begin() + long(from),
                      packets.begin() + long(std::min(packets.size(), from + 1400)));
  }
  return out;
}

// The sample, keyed by the request that reads each table, and what Submit writes back, keyed by
// its write request (TDT/TOT left out).
inline std::pair<Tables, Tables> SampleTables() {
  Tables held, back;
  for (int i : {0, 1}) {
    const devsim::PortTables t = i == 0 ? devsim::SamplePortA() : devsim::SamplePortB();
    for (const auto& [pid, packets] :
         {std::pair{0x0000, t.pat}, {0x0001, t.cat}, {0x0010, t.nit}, {0x0011, t.sdt}, {0x4011, t.bat}})
      held[Key(i, 0, pid)] = back[Key(i, 0, pid)] = packets;
    held[Key(i, 0, 0x0014)] = t.time;
    for (size_t k = 0; k < t.pmts.size(); ++k) {
      const bool shared =
          std::count_if(t.pmts.begin(), t.pmts.end(), [&](auto& p) { return p.pid == t.pmts[k].pid; }) > 1;
      held[Key(i, shared ? int(k + 1) : 0, t.pmts[k].pid)] = back[Key(i, int(k + 1), 0xFFFF)] = t.pmts[k].packets;
    }
  }
  return {held, back};
}

class ScriptedDevice {
 public:
  // Serves `tables`, keyed by the request that reads each; `per` packets to a plain datagram.
  explicit ScriptedDevice(bool fragmented, Tables tables = {}, size_t per = 2)
      : fragmented_(fragmented), per_(per), tables_(std::move(tables)) {
    socket_ = BindFreeLoopback(2007, where_, 20);
    forger_ = BindFreeLoopback(0, forgerWhere_, 180);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedDevice() { stop_ = true, thread_.join(); }
  uint32_t Address() const { return where_.address; }
  struct Seen {
    std::vector<Bytes> received;  // every datagram, in order
    Tables written;               // every whole write, keyed by its request
  };
  Seen Snapshot() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::atomic<uint32_t> mute{~0u};  // the request taken without a reply
  std::atomic<int> lateMs{0};        // every datagram leaves this late
  std::atomic<bool> stray{false};    // each read answer is preceded by another table's answer

 private:
  void Serve() {
    for (Bytes d(20000); !stop_;) {
      const auto r = socket_.ReceiveUntil(d.data(), d.size(), DeadlineAfter(std::chrono::milliseconds(lateMs ? 2 : 10)));
      std::lock_guard lock(mutex_);
      if (r && r->length >= 6) Handle(Bytes(d.begin(), d.begin() + long(r->length)), r->from);
      SendDue();
    }
  }
  void Send(UdpSocket& s, const Endpoint& to, const Bytes& d) {
    if (lateMs == 0) return void(s.SendTo(to, d.data(), d.size()));
    due_.emplace_back(SteadyClock::now() + std::chrono::milliseconds(lateMs), &s == &forger_, to, d);
  }
  void SendDue() {
    const auto now = SteadyClock::now();
    while (!due_.empty() && std::get<0>(due_.front()) <= now) {
      const auto& [when, forged, to, d] = due_.front();
      (forged ? forger_ : socket_).SendTo(to, d.data(), d.size());
      due_.erase(due_.begin());
    }
  }
  void Handle(const Bytes& d, const Endpoint& from) {
    seen_.received.push_back(d);
    const uint32_t key = KeyOf(d.data());
    if (d[1] == 0xA3) {
      if (key == mute) return;
      if (stray) {  // the SDT before a BAT and the other way round, the PAT (or CAT) before the rest
        Bytes other = d;
        const bool sdtOrBat = d[5] == 0x11 && (d[4] & 0xBF) == 0;
        other[3] = 0, other[4] = sdtOrBat ? d[4] ^ 0x40 : 0, other[5] = sdtOrBat ? 0x11 : d[5] == 0 && d[4] == 0 ? 1 : 0;
        Answer(other, from);
      }
      Answer(d, from);
      return;
    }
    const bool fragment = fragmented_ && d.size() >= 9, chunk = !fragment && (d.size() - 6) % 188 != 0;
    Bytes& table = pending_[key];
    if ((fragment && d[7] == 1) || (chunk && d[d.size() - 2] == 0 && d[d.size() - 1] == 0)) table.clear();
    const size_t at = fragment ? (d[7] - 1u) * 1400 : table.size(), skip = fragment ? 9 : 6, trailer = chunk ? 3 : 0;
    table.resize(std::max(table.size(), at + d.size() - skip - trailer));
    std::copy(d.begin() + long(skip), d.end() - long(trailer), table.begin() + long(at));
    const bool whole = fragment ? d[7] == d[8] : !chunk || d[d.size() - 3] == 0;
    if (whole) seen_.written[key] = std::exchange(table, {});
    if ((fragment && !whole) || key == mute) return;  // fragments: one reply when whole
    Send(socket_, from, d[4] == 0x40 && d[5] == 0x11 ? Bytes{0x47, 0xA5} : Header(d.data(), 0));
  }

  void Answer(const Bytes& request, const Endpoint& to) {
    for (Bytes a : fragmented_ ? FragmentAnswer(request.data(), tables_[KeyOf(request.data())], sequence_++)
                               : PlainAnswer(request.data(), tables_[KeyOf(request.data())], per_)) {
      Bytes spoiled = a;
      for (size_t i = 10; i < spoiled.size(); i += 5) spoiled[i] ^= 0x5A;
      Send(forger_, to, spoiled), Send(socket_, to, a);
    }
  }

  bool fragmented_;
  size_t per_;
  std::vector<std::tuple<SteadyClock::time_point, bool, Endpoint, Bytes>> due_;  // late datagrams
  Tables tables_, pending_;
  Endpoint where_, forgerWhere_;
  UdpSocket socket_, forger_;
  std::mutex mutex_;
  Seen seen_;
  uint8_t sequence_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace quorvelin::testing
