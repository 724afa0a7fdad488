// The simulated head-end device on UDP: answers reads in the plain or the fragmented framing,
// takes writes in every framing, replies as the device does, and injects faults on request.
// It serves from a thread of its own until Stop() or destruction.
#pragma once

#include <atomic>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/Framing.h"
#include "device/UdpSocket.h"
#include "tools/devsim/DeviceStore.h"

namespace quorvelin::devsim {

// Probabilities (0 to 1) of each fault, per datagram the device sends (loss also per datagram
// it receives), and a delay for every datagram it sends.
struct FaultRates {
  double loss = 0;       // the datagram is dropped
  double duplicate = 0;  // the datagram is sent twice
  double truncate = 0;   // the datagram is cut short
  double oversize = 0;   // a read answer announces, carries or continues past any buffer
  double spoof = 0;      // a forged copy comes first, from another address
  int delayMs = 0;       // every datagram leaves this late (in order)
};

struct SimulatorOptions {
  Endpoint listen{0x0100007F, kDeviceUdpPort};  // 127.0.0.1
  bool fragmented = false;                       // answer reads in fragments
  size_t packetsPerDatagram = kPacketsPerChunk;  // packets per plain answer datagram
  std::string saveDir;                           // portN.ts after every write and at the end (created)
  bool refuseWrites = false;                     // a read-only device: writes are not taken nor answered
  FaultRates faults;
  uint32_t seed = 2007;
};

class Simulator {
 public:
  explicit Simulator(SimulatorOptions options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Creates the save directory when missing, binds the listening address and starts serving;
  // false with a message when it cannot.
  bool Start(std::string& error);
  // Stops serving (and saves every port when a save directory is set). Idempotent.
  void Stop();
  // Start without a thread of its own: a SimulatorRange serves it.
  bool Open(std::string& error);

  Endpoint Address() const { return options_.listen; }
  DeviceStore& Store() { return store_; }

  struct Counters {
    std::atomic<int> reads{0};       // read requests answered
    std::atomic<int> writes{0};      // whole tables stored
    std::atomic<int> faults{0};      // faults injected
    std::atomic<int> sent{0};        // datagrams sent
  };
  const Counters& Stats() const { return counters_; }

 private:
  struct Outgoing {
    SteadyClock::time_point due;
    bool spoofed;
    Endpoint to;
    Datagram bytes;
  };
  struct FragmentIntake {
    FrameHeader header{};
    uint8_t sequence = 0, count = 0;
    int received = 0;
    std::bitset<256> seen;
    std::vector<uint8_t> data;
  };
  struct ChunkIntake {
    FrameHeader header{};
    Packets packets;
  };
  using Peer = std::pair<uint32_t, uint16_t>;

  friend class SimulatorRange;
  // Serves every simulator from the calling thread until `wake` is signalled.
  static void Serve(const std::vector<Simulator*>& sims, int wake);
  void ReceiveWaiting(std::vector<uint8_t>& area);
  // Saves every port when a save directory is set, and closes the sockets.
  void Close();
  void Handle(const uint8_t* d, size_t length, const Endpoint& from);
  void AnswerRead(const uint8_t* request, const Endpoint& from);
  void TakeWrite(const uint8_t* d, size_t length, const Endpoint& from);
  bool IsFragment(const uint8_t* d, size_t length, const Peer& peer) const;
  void TakeFragment(const uint8_t* d, size_t length, const Peer& peer, const Endpoint& from);
  void TakeChunk(const uint8_t* d, size_t length, long packetBytes, const Peer& peer, const Endpoint& from);
  void Store(const FrameHeader& header, const uint8_t* packets, size_t bytes);
  void Reply(const FrameHeader& header, const Endpoint& to);

  void Oversize(std::vector<Datagram>& answer);
  void Emit(const Endpoint& to, Datagram d);
  void Flush();
  bool Chance(double p);

  SimulatorOptions options_;
  DeviceStore store_;
  UdpSocket socket_, spoofSocket_;
  int wake_ = -1;  // eventfd that ends the serving thread
  std::thread thread_;
  std::mt19937 rng_;
  uint8_t sequence_ = 0;
  std::deque<Outgoing> outgoing_;
  std::map<Peer, FragmentIntake> fragments_;
  std::map<Peer, ChunkIntake> chunks_;
  Counters counters_;
  bool stopped_ = false;
};

// One simulated device per address of a range, every one with its own tables, all served by
// one thread.
class SimulatorRange {
 public:
  // Addresses in network byte order; each device listens on options.listen.port, saves into
  // options.saveDir/ADDR when a save directory is set and seeds its faults with seed + its index.
  SimulatorRange(uint32_t first, uint32_t last, const SimulatorOptions& options);
  ~SimulatorRange();
  SimulatorRange(const SimulatorRange&) = delete;
  SimulatorRange& operator=(const SimulatorRange&) = delete;

  // Binds every address and starts serving; false with a message when one cannot be bound.
  bool Start(std::string& error);
  void Stop();
  std::vector<std::unique_ptr<Simulator>>& Devices() { return sims_; }

 private:
  std::vector<std::unique_ptr<Simulator>> sims_;
  int wake_ = -1;
  std::thread thread_;
};

// "127.0.1.1-127.0.4.238" to its first and last address (network byte order); nothing for text
// that is not two addresses in rising order, or a range of more than 65536.
std::optional<std::pair<uint32_t, uint32_t>> ParseAddressRange(const std::string& text);

// A simulator on the first loopback address 127.0.0.N (N from 2 up, starting at a place that
// depends on the process) whose UDP port is free.
std::unique_ptr<Simulator> StartOnFreeLoopback(SimulatorOptions options, std::string& error);

}  // namespace quorvelin::devsim
