#include "tools/devsim/Simulator.h"

#include <arpa/inet.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "sections/Packets.h"
#include "sections/TableExchange.h"

namespace quorvelin::devsim {
namespace {

constexpr size_t kOversizeDatagram = 12000;   // more than any receiver's datagram area
constexpr int kContinuationRun = 64;          // extra datagrams of an endless plain answer
constexpr size_t kLargestTable = kBatTablePackets;  // the largest table the editor reads and writes
// A fragment count has 8 bits: a fragmented answer carries at most 255 fragments of data.
constexpr size_t kMostFragmentedPackets = 255 * kFragmentDataSize / kPacketSize * kPacketSize;

// A neighbouring loopback address of the device's, for forged answers; nothing off loopback.
std::optional<Endpoint> SpoofSource(const Endpoint& device) {
  const uint32_t host = ntohl(device.address);
  if ((host >> 24) != 127) return std::nullopt;
  const uint32_t last = host & 0xFF;
  const uint32_t other = last >= 254 ? last - 1 : last + 1;
  return Endpoint{htonl((host & ~0xFFu) | other), 0};
}

int MillisecondsUntil(SteadyClock::time_point due) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// The save directory, created when missing; false with a message when it cannot be written.
bool PrepareSaveDirectory(const std::string& directory, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (!ec && std::filesystem::is_directory(directory, ec) && ::access(directory.c_str(), W_OK | X_OK) == 0) return true;
  error = "cannot save into " + directory + ": " + (ec ? ec.message() : std::string("not a writable directory"));
  return false;
}

// Signals `wake` to the serving thread, waits for it to end and closes the event.
void EndServing(std::thread& thread, int& wake) {
  if (thread.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    thread.join();
  }
  if (wake >= 0) ::close(wake);
  wake = -1;
}

}  // namespace

Simulator::Simulator(SimulatorOptions options) : options_(std::move(options)), rng_(options_.seed) {}

Simulator::~Simulator() { Stop(); }

bool Simulator::Start(std::string& error) {
  if (!Open(error)) return false;
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    error = "cannot create the stop event";
    return false;
  }
  thread_ = std::thread([this] { Serve({this}, wake_); });
  return true;
}

bool Simulator::Open(std::string& error) {
  if (!options_.saveDir.empty() && !PrepareSaveDirectory(options_.saveDir, error)) return false;
  socket_ = UdpSocket::Open();
  if (!socket_.Bind(options_.listen)) {
    error = "cannot listen on " + Ipv4Text(options_.listen.address) + ":" + std::to_string(options_.listen.port);
    socket_.Close();
    return false;
  }
  if (const auto local = socket_.LocalEndpoint()) options_.listen = *local;
  if (options_.faults.spoof > 0) {
    if (const auto source = SpoofSource(options_.listen)) {
      spoofSocket_ = UdpSocket::Open();
      if (!spoofSocket_.Bind(*source)) spoofSocket_.Close();
    }
  }
  stopped_ = false;
  return true;
}

void Simulator::Stop() {
  EndServing(thread_, wake_);
  Close();
}

void Simulator::Close() {
  if (!stopped_ && !options_.saveDir.empty())
    for (int port : store_.PortIndices()) store_.SavePort(options_.saveDir, port);
  stopped_ = true;
  socket_.Close();
  spoofSocket_.Close();
}

void Simulator::ReceiveWaiting(std::vector<uint8_t>& area) {
  // Everything already waiting, without blocking.
  while (const auto r = socket_.ReceiveUntil(area.data(), area.size(), SteadyClock::now()))
    if (!r->truncated) Handle(area.data(), r->length, r->from);
  Flush();
}

void Simulator::Serve(const std::vector<Simulator*>& sims, int wake) {
  std::vector<uint8_t> area(kOversizeDatagram * 2);
  const int events = ::epoll_create1(EPOLL_CLOEXEC);
  if (events < 0) return;
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.u64 = sims.size();
  ::epoll_ctl(events, EPOLL_CTL_ADD, wake, &e);
  bool delays = false;
  for (size_t i = 0; i < sims.size(); ++i) {
    e.data.u64 = i;
    ::epoll_ctl(events, EPOLL_CTL_ADD, sims[i]->socket_.Descriptor(), &e);
    delays = delays || sims[i]->options_.faults.delayMs > 0;
  }
  std::array<epoll_event, 64> ready{};
  for (;;) {
    int timeout = -1;  // datagrams sent late: wait no longer than the earliest is due
    for (size_t i = 0; delays && i < sims.size(); ++i)
      if (!sims[i]->outgoing_.empty()) {
        const int due = MillisecondsUntil(sims[i]->outgoing_.front().due);
        timeout = timeout < 0 ? due : std::min(timeout, due);
      }
    const int n = ::epoll_wait(events, ready.data(), static_cast<int>(ready.size()), timeout);
    if (n < 0 && errno != EINTR) break;
    bool woken = false;
    for (int k = 0; k < n; ++k) {
      if (ready[static_cast<size_t>(k)].data.u64 == sims.size()) woken = true;
      else sims[ready[static_cast<size_t>(k)].data.u64]->ReceiveWaiting(area);
    }
    if (woken) break;
    for (size_t i = 0; delays && i < sims.size(); ++i) sims[i]->Flush();
  }
  ::close(events);
}

bool Simulator::Chance(double p) {
  if (p <= 0) return false;
  const bool hit = std::uniform_real_distribution<double>(0, 1)(rng_) < p;
  if (hit) ++counters_.faults;
  return hit;
}

void Simulator::Handle(const uint8_t* d, size_t length, const Endpoint& from) {
  if (Chance(options_.faults.loss)) return;  // lost on the way in
  if (length < kFrameHeaderSize || d[0] != kFrameSync) return;
  if (d[1] == kReadCommand && length == kFrameHeaderSize)
    AnswerRead(d, from);
  else if (d[1] == kWriteCommand && !options_.refuseWrites)
    TakeWrite(d, length, from);
}

// --- reads ---

void Simulator::AnswerRead(const uint8_t* request, const Endpoint& from) {
  ++counters_.reads;
  Packets packets = store_.Answer(request);
  if (options_.fragmented) packets.resize(std::min(packets.size(), kMostFragmentedPackets));
  FrameHeader header{};
  std::copy(request, request + kFrameHeaderSize, header.begin());
  SetAnnouncedLength(header.data(), packets.size());  // modulo 65536, as the 16-bit field holds it
  std::vector<Datagram> answer =
      options_.fragmented ? FragmentDatagrams(header, packets.data(), packets.size(), sequence_++)
                          : PlainDatagrams(header, packets.data(), packets.size(), options_.packetsPerDatagram);
  if (Chance(options_.faults.oversize)) Oversize(answer);
  for (Datagram& d : answer) Emit(from, std::move(d));
}

void Simulator::Oversize(std::vector<Datagram>& answer) {
  switch (rng_() % 3) {
    case 0:  // a length field beyond every buffer
      for (Datagram& d : answer) SetAnnouncedLength(d.data(), 0xFFFF);
      break;
    case 1:  // a datagram larger than a receiver's area
      answer.front().resize(kOversizeDatagram, 0x47);
      break;
    default:
      if (options_.fragmented) {  // a fragment count and index far past the data
        for (Datagram& d : answer) d[8] = 0xFF;
        Datagram far = answer.front();
        far[7] = 0xF0;
        far.resize(kFragmentHeaderSize + kFragmentDataSize, 0x47);
        answer.push_back(std::move(far));
      } else {  // continuation datagrams that never end
        Datagram more = answer.front();
        more[more.size() - kTrailerSize] = 1;
        for (Datagram& d : answer) d[d.size() - kTrailerSize] = 1;
        answer.insert(answer.end(), kContinuationRun, more);
      }
  }
}

// --- writes ---

bool Simulator::IsFragment(const uint8_t* d, size_t length, const Peer& peer) const {
  if (length < kFragmentHeaderSize || length > kFragmentHeaderSize + kFragmentDataSize) return false;
  const uint8_t index = d[7], count = d[8];
  if (index < 1 || index > count) return false;
  const auto pending = fragments_.find(peer);
  if (pending != fragments_.end() && pending->second.sequence == d[6] && pending->second.count == count &&
      std::equal(pending->second.header.begin(), pending->second.header.end(), d))
    return true;
  if (index != 1) return false;
  return length == kFragmentHeaderSize ? count == 1 : d[kFragmentHeaderSize] == kFrameSync;
}

void Simulator::TakeWrite(const uint8_t* d, size_t length, const Endpoint& from) {
  const Peer peer{from.address, from.port};
  FrameHeader header{};
  std::copy(d, d + kFrameHeaderSize, header.begin());
  if (length == kFrameHeaderSize) {  // a table without packets
    Store(header, nullptr, 0);
    Reply(header, from);
    return;
  }
  if (IsFragment(d, length, peer)) return TakeFragment(d, length, peer, from);
  const size_t body = length - kFrameHeaderSize;
  if (body % kPacketSize == 0 && CountPackets(d + kFrameHeaderSize, body) == body) {
    Store(header, d + kFrameHeaderSize, body);
    Reply(header, from);
    return;
  }
  const long chunk = PlainDatagramPackets(d, length);
  if (chunk > 0) TakeChunk(d, length, chunk, peer, from);
}

void Simulator::TakeFragment(const uint8_t* d, size_t length, const Peer& peer, const Endpoint& from) {
  const uint8_t index = d[7], count = d[8];
  FragmentIntake& in = fragments_[peer];
  const bool continues = in.count == count && in.sequence == d[6] && std::equal(in.header.begin(), in.header.end(), d);
  if (!continues || in.received == 0) {
    in = FragmentIntake{};
    std::copy(d, d + kFrameHeaderSize, in.header.begin());
    in.sequence = d[6];
    in.count = count;
  }
  if (in.seen[index]) return;
  const size_t data = length - kFragmentHeaderSize;
  if (index < count && data != kFragmentDataSize) return;
  const size_t offset = static_cast<size_t>(index - 1) * kFragmentDataSize;
  if (in.data.size() < offset + data) in.data.resize(offset + data);
  std::copy(d + kFragmentHeaderSize, d + length, in.data.begin() + static_cast<long>(offset));
  in.seen[index] = true;
  if (++in.received < count) return;
  const FragmentIntake done = std::move(in);
  fragments_.erase(peer);
  Store(done.header, done.data.data(), CountPackets(done.data.data(), done.data.size()));
  Reply(done.header, from);
}

void Simulator::TakeChunk(const uint8_t* d, size_t length, long packetBytes, const Peer& peer, const Endpoint& from) {
  FrameHeader header{};
  std::copy(d, d + kFrameHeaderSize, header.begin());
  const bool more = d[length - 3] == 1;
  const size_t first = static_cast<size_t>(d[length - 2]) << 8 | d[length - 1];
  auto pending = chunks_.find(peer);
  if (first == 0) {
    pending = chunks_.insert_or_assign(peer, ChunkIntake{header, {}}).first;
  } else if (pending == chunks_.end() || pending->second.header != header ||
             pending->second.packets.size() != first * kPacketSize) {
    chunks_.erase(peer);  // a chunk went missing: the table is not taken
    return;
  }
  Packets& packets = pending->second.packets;
  if (packets.size() + static_cast<size_t>(packetBytes) > kLargestTable) {
    chunks_.erase(peer);  // larger than any table the editor writes
    return;
  }
  packets.insert(packets.end(), d + kFrameHeaderSize, d + kFrameHeaderSize + packetBytes);
  Reply(header, from);
  if (more) return;
  Store(header, packets.data(), packets.size());
  chunks_.erase(peer);
}

void Simulator::Store(const FrameHeader& header, const uint8_t* packets, size_t bytes) {
  store_.Take(header.data(), packets, bytes);
  ++counters_.writes;
  if (!options_.saveDir.empty()) store_.SavePort(options_.saveDir, header[2]);
}

void Simulator::Reply(const FrameHeader& header, const Endpoint& to) {
  FrameHeader reply = header;
  SetAnnouncedLength(reply.data(), 0);
  Emit(to, Datagram(reply.begin(), reply.end()));
}

// --- sending ---

void Simulator::Emit(const Endpoint& to, Datagram d) {
  const FaultRates& f = options_.faults;
  const auto due = SteadyClock::now() + std::chrono::milliseconds(f.delayMs);
  if (Chance(f.loss)) return;
  if (spoofSocket_.IsOpen() && Chance(f.spoof)) {
    Datagram forged = d;
    for (size_t i = kFrameHeaderSize + 5; i < forged.size(); i += 7) forged[i] ^= 0x5A;
    outgoing_.push_back({due, true, to, std::move(forged)});
  }
  if (d.size() > 1 && Chance(f.truncate)) d.resize(1 + rng_() % (d.size() - 1));
  if (Chance(f.duplicate)) outgoing_.push_back({due, false, to, d});
  outgoing_.push_back({due, false, to, std::move(d)});
}

void Simulator::Flush() {
  const auto now = SteadyClock::now();
  while (!outgoing_.empty() && outgoing_.front().due <= now) {
    Outgoing& o = outgoing_.front();
    (o.spoofed ? spoofSocket_ : socket_).SendTo(o.to, o.bytes.data(), o.bytes.size());
    ++counters_.sent;
    outgoing_.pop_front();
  }
}

std::unique_ptr<Simulator> StartOnFreeLoopback(SimulatorOptions options, std::string& error) {
  if (!options.saveDir.empty() && !PrepareSaveDirectory(options.saveDir, error)) return nullptr;
  constexpr int kFirst = 2, kCount = 253;
  const int start = static_cast<int>(::getpid() % kCount);
  for (int i = 0; i < kCount; ++i) {
    const int n = kFirst + (start + i) % kCount;
    options.listen.address = htonl(0x7F000000u | static_cast<uint32_t>(n));
    auto sim = std::make_unique<Simulator>(options);
    if (sim->Start(error)) return sim;
  }
  error = "no free loopback address for port " + std::to_string(options.listen.port);
  return nullptr;
}

SimulatorRange::SimulatorRange(uint32_t first, uint32_t last, const SimulatorOptions& options) {
  for (uint32_t host = ntohl(first); host <= ntohl(last); ++host) {
    SimulatorOptions each = options;
    each.listen.address = htonl(host);
    each.seed = options.seed + static_cast<uint32_t>(sims_.size());
    if (!options.saveDir.empty())
      each.saveDir = (std::filesystem::path(options.saveDir) / Ipv4Text(each.listen.address)).string();
    sims_.push_back(std::make_unique<Simulator>(std::move(each)));
  }
}

SimulatorRange::~SimulatorRange() { Stop(); }

bool SimulatorRange::Start(std::string& error) {
  // A socket per device: as many descriptors as the system lets this process have.
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
  for (auto& sim : sims_)
    if (!sim->Open(error)) return false;
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    error = "cannot create the stop event";
    return false;
  }
  std::vector<Simulator*> all;
  for (auto& sim : sims_) all.push_back(sim.get());
  thread_ = std::thread([all, this] { Simulator::Serve(all, wake_); });
  return true;
}

void SimulatorRange::Stop() {
  EndServing(thread_, wake_);
  for (auto& sim : sims_) sim->Close();
}

std::optional<std::pair<uint32_t, uint32_t>> ParseAddressRange(const std::string& text) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos) return std::nullopt;
  const auto first = ParseIpv4(text.substr(0, dash).c_str()), last = ParseIpv4(text.substr(dash + 1).c_str());
  if (!first || !last || ntohl(*last) < ntohl(*first) || ntohl(*last) - ntohl(*first) >= 65536) return std::nullopt;
  return std::pair{*first, *last};
}

}  // namespace quorvelin::devsim
