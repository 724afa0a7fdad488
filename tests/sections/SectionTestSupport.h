// Shared helpers of the section tests: sample captures, a scripted table exchange, packets
// turned back into section bytes.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "sections/Packets.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin::testing {

// The transport packets of tests/data/samples/<name>.ts.
inline std::vector<uint8_t> SamplePackets(const std::string& name) {
  std::ifstream in(std::string(QUORVELIN_TEST_DATA) + "/samples/" + name + ".ts", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Section bytes carried by whole packets laid end to end (payloads joined, pointer field dropped).
inline std::vector<uint8_t> SectionBytesOf(std::vector<uint8_t> packets) {
  const size_t n = CountPackets(packets.data(), packets.size()) / kPacketSize;
  UnpackPackets(static_cast<int>(n), packets.data(), packets.size());
  const size_t length = packets.size() >= 3 ? 3u + ((packets[1] & 0x0F) << 8 | packets[2]) : 0;
  packets.resize(std::min(length, packets.size()));
  return packets;
}

// The sample's section, table_id to the last CRC byte.
inline std::vector<uint8_t> SampleSection(const std::string& name) { return SectionBytesOf(SamplePackets(name)); }

// Packets of `section` on `pid`, as a device holds them.
inline std::vector<uint8_t> Packetized(const std::vector<uint8_t>& section, uint16_t pid) {
  std::vector<uint8_t> out(static_cast<size_t>(PacketsForSection(section.size())) * kPacketSize);
  PacketizeSection(section.data(), section.size(), pid, out.data(), out.size());
  return out;
}

// Plays the device: answers each read with the packets queued for its PID (the last answer
// repeats), unpacked exactly as a reply frame is; an empty queue fails the read.
class ScriptedExchange : public TableExchange {
 public:
  struct Request {
    uint16_t pid;
    uint8_t selector;
    int port;
    bool bat;
  };

  void Queue(uint16_t pid, std::vector<uint8_t> packets) { replies_[pid].push_back(std::move(packets)); }

  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    requests.push_back({pid, selector, port, bat});
    auto it = replies_.find(pid);
    if (it == replies_.end() || it->second.empty()) return false;
    const std::vector<uint8_t> packets = it->second.front();
    if (it->second.size() > 1) it->second.pop_front();
    std::memset(buffer, 0xFF, size);
    buffer[4] = static_cast<uint8_t>(packets.size() >> 8);
    buffer[5] = static_cast<uint8_t>(packets.size() & 0xFF);
    std::memcpy(buffer + 6, packets.data(), std::min(packets.size(), size - 6));
    UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer, size);
    return true;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, int, uint8_t) override { return false; }

  std::vector<Request> requests;

 private:
  std::map<uint16_t, std::deque<std::vector<uint8_t>>> replies_;
};

// Runs a test inside a fresh directory, so that dump and table files land there.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    dir_ = std::filesystem::temp_directory_path() /
           ("quorvelin-sections-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  ~ScratchDirectory() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return dir_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path previous_, dir_;
};

// Sets section_length (low nibble of byte 1 and byte 2) to fit `section`, its CRC_32 included.
inline void SetSectionLength(std::vector<uint8_t>& section) {
  const size_t length = section.size() - 3;
  section[1] = static_cast<uint8_t>((section[1] & 0xF0) | ((length >> 8) & 0x0F));
  section[2] = static_cast<uint8_t>(length & 0xFF);
}

// True when whole descriptors fill [from, from + length) of `section` exactly.
inline bool DescriptorsFill(const std::vector<uint8_t>& section, size_t from, size_t length) {
  const size_t end = from + length;
  if (end > section.size()) return false;
  size_t at = from;
  while (at + 2 <= end) at += 2u + section[at + 1];
  return at == end;
}

// True when the entries from `first` on (each a `head`-byte head ending in its 12-bit descriptor
// loop length, then that loop) fill `section` up to its CRC_32 exactly, every loop with whole
// descriptors: the walk of a PMT's components or an SDT's services.
inline bool EntriesFillSection(const std::vector<uint8_t>& section, size_t first, size_t head) {
  if (section.size() < first + 4) return false;
  const size_t crc = section.size() - 4;
  size_t at = first;
  while (at + head <= crc) {
    const size_t length = (section[at + head - 2] & 0x0Fu) << 8 | section[at + head - 1];
    if (!DescriptorsFill(section, at + head, length)) return false;
    at += head + length;
  }
  return at == crc;
}

// A tree with the two ports of port mode 1.
inline void BuildTwoPorts(TableTreeCtrl& tree) {
  tree.portMode = 1;
  tree.BuildRoots();
}

// The lines below a table root, indented from their own depth (the root's line left out).
inline std::string BranchText(const TableTreeCtrl& tree, int port, Table table) {
  const std::string text = DumpTree(tree, tree.Root(port, table));
  std::string out;
  for (size_t at = text.find('\n') + 1; at < text.size();) {
    const size_t end = text.find('\n', at);
    out += text.substr(at + 2, end - at - 1);
    at = end + 1;
  }
  return out;
}

// A capture's packets as our builders write them: the continuity counter starts at 0 with
// each section, where the capture shows the counter the multiplexer had reached.
inline std::vector<uint8_t> WithCountersFromZero(std::vector<uint8_t> packets) {
  for (size_t at = 0; at + kPacketSize <= packets.size(); at += kPacketSize)
    packets[at + 3] = static_cast<uint8_t>((packets[at + 3] & 0xF0) | ((at / kPacketSize) & 0x0F));
  return packets;
}

}  // namespace quorvelin::testing
