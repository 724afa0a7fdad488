// Shared helpers of the section tests: the real captures, hand-made sections with their CRC_32,
// a scripted device and a tree of two ports in a scratch directory; every table's parser and builder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/DumpFiles.h"
#include "sections/LoopSections.h"
#include "sections/NitSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/TableFiles.h"
#include "sections/TimeSections.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
// The packets of tests/data/samples/<name>.ts.
inline Bytes SamplePackets(const std::string& name) {
  return ReadFileBytes(std::string(QUORVELIN_TEST_DATA) + "/samples/" + name + ".ts");
}
// The section carried by whole packets laid end to end, table_id to the last CRC byte; nothing
// without a whole packet.
inline Bytes SectionBytesOf(Bytes p) {
  const size_t packets = CountPackets(p.data(), p.size()) / kPacketSize;
  UnpackPackets(static_cast<int>(packets), p.data(), p.size());
  p.resize(packets ? std::min<size_t>(p.size(), 3u + ((p[1] & 0x0F) << 8 | p[2])) : 0);
  return p;
}
inline Bytes SampleSection(const std::string& name) { return SectionBytesOf(SamplePackets(name)); }
inline Bytes Packetized(const Bytes& section, uint16_t pid) {
  Bytes out(static_cast<size_t>(PacketsForSection(section.size())) * kPacketSize);
  PacketizeSection(section.data(), section.size(), pid, out.data(), out.size());
  return out;
}

// Bytes written as hex digits, blanks between them: Hex("47 40 11").
// A capture's packets as our builders write them: the continuity counter starts at 0 with each section.
inline Bytes WithCountersFromZero(Bytes packets) {
  for (size_t at = 0; at + kPacketSize <= packets.size(); at += kPacketSize)
    packets[at + 3] = static_cast<uint8_t>((packets[at + 3] & 0xF0) | ((at / kPacketSize) & 0x0F));
  return packets;
}
inline Bytes Hex(const std::string& text) {
  Bytes out;
  for (size_t at = 0; at + 1 < text.size(); at += text[at] == ' ' ? 1 : 2)
    if (text[at] != ' ') out.push_back(static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
  return out;
}
inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline Bytes Descriptor(uint8_t tag, const Bytes& data) {
  return Join({{tag, static_cast<uint8_t>(data.size())}, data});
}
// A 12-bit length behind four reserved bits, then the bytes it counts.
inline Bytes Loop12(const Bytes& data) {
  return Join({{static_cast<uint8_t>(0xF0 | data.size() >> 8), static_cast<uint8_t>(data.size())}, data});
}
// `s` (table_id on, without CRC_32) with section_length set and a correct CRC_32 appended.
inline Bytes WithCrc(Bytes s) {
  s[1] = static_cast<uint8_t>((s[1] & 0xF0) | (s.size() + 1) >> 8);
  s[2] = static_cast<uint8_t>(s.size() + 1);
  const uint32_t crc = Crc32Mpeg(s.data(), s.size());
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(crc >> shift));
  return s;
}
// A NIT (0x40) or BAT (0x4A) section of version 3: first descriptor loop, transport stream loop.
inline Bytes LoopSection(uint8_t tableId, uint8_t number, uint8_t last, const Bytes& first = {},
                         const Bytes& streams = {}, uint16_t id = 0x1001) {
  const Bytes head = Hex(Format("%02x f000 %04x c7 %02x %02x", tableId, id, number, last));
  return WithCrc(Join({head, Loop12(first), Loop12(streams)}));
}
inline Bytes Stream(uint16_t ts, uint16_t on, const Bytes& descriptors) {
  return Join({Hex(Format("%04x %04x", ts, on)), Loop12(descriptors)});
}

// Plays the device: answers each read with the packets queued for its PID (the last answer
// repeats), unpacked as a reply frame is; an empty queue fails the read.
class ScriptedExchange : public TableExchange {
 public:
  struct Request {
    uint16_t pid;
    uint8_t selector;
    int port;
    bool bat;
  };
  void Queue(uint16_t pid, Bytes packets) { replies_[pid].push_back(std::move(packets)); }
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    requests.push_back({pid, selector, port, bat});
    auto& queue = replies_[pid];
    if (queue.empty()) return false;
    const Bytes& packets = queue.front();  // behind the reply header with their byte count
    const Bytes reply =
        Join({{0, 0, 0, 0, static_cast<uint8_t>(packets.size() >> 8), static_cast<uint8_t>(packets.size())}, packets});
    std::memset(buffer, 0xFF, size);
    std::memcpy(buffer, reply.data(), std::min(reply.size(), size));
    UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer, size);
    if (queue.size() > 1) queue.pop_front();
    return true;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return false; }

  std::vector<Request> requests;

 private:
  std::map<uint16_t, std::deque<Bytes>> replies_;
};

using ScratchDirectory = TempDir;  // dump and table files land there

inline void BuildTwoPorts(TableTreeCtrl& tree) {
  tree.BuildRoots();
}

// The lines below a table root, indented from their own depth.
inline std::string BranchText(const TableTreeCtrl& tree, int port, Table table) {
  const std::string text = DumpTree(tree, tree.Root(port, table));
  std::string out;
  for (size_t at = text.find('\n') + 1, end; at < text.size(); at = end + 1)
    out += text.substr(at + 2, (end = text.find('\n', at)) - at - 1);
  return out;
}

// Every one of `lines` (each one or more whole lines) stands in `text`.
inline void ExpectLines(const std::string& text, const std::vector<const char*>& lines) {
  for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "\nnot in\n" << text;
}

// Two ports in a scratch directory, text code 0.
class SectionTest : public ::testing::Test {
 protected:
  SectionTest() { BuildTwoPorts(tree), SetTextCode(0); }
  std::string Branch(int port, Table table) const { return BranchText(tree, port, table); }
  ItemHandle Find(int port, Table t, NodeKind kind) const { return tree.FindChildOfKind(tree.Root(port, t), kind); }
  template <class T>
  T* RecordIn(int port, Table table, NodeKind kind) const {
    return tree.RecordOf(Find(port, table, kind))->As<T>();
  }
  int Sections(int port, Table table) const { return tree.ChildCount(tree.Root(port, table)); }

  ScratchDirectory dir;
  TableTreeCtrl tree;
};

}  // namespace quorvelin::testing
