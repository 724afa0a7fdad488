#include "device/Framing.h"

#include <algorithm>
#include <atomic>

#include "sections/Packets.h"

namespace quorvelin {
namespace {

FrameHeader MakeRequest(uint8_t command, uint8_t portIndex, uint8_t selector, uint16_t pid, bool marker) {
  FrameHeader h{};
  h[0] = kFrameSync;
  h[1] = command;
  h[2] = portIndex;
  h[3] = selector;
  h[4] = static_cast<uint8_t>(pid >> 8);
  if (marker && pid == kSdtBatPid) h[4] |= kBatMarker;
  h[5] = static_cast<uint8_t>(pid & 0xFF);
  return h;
}

Datagram WithHeader(const FrameHeader& header, const uint8_t* data, size_t bytes, size_t reserve) {
  Datagram d;
  d.reserve(kFrameHeaderSize + bytes + reserve);
  d.insert(d.end(), header.begin(), header.end());
  if (bytes > 0) d.insert(d.end(), data, data + bytes);
  return d;
}

}  // namespace

uint8_t PortIndex(int channelNumber, int port) {
  if (channelNumber != -1) return static_cast<uint8_t>(channelNumber - 1);
  return port == 2 ? 1 : 0;
}

uint8_t WriteSelector(uint16_t pid, uint8_t selector) {
  switch (pid) {
    case kPatPid:
    case kCatPid:
    case kNitPid:
    case kSdtBatPid:
    case kTdtTotPid:
      return 0;
    default:
      return selector;
  }
}

FrameHeader MakeReadRequest(uint8_t portIndex, uint8_t selector, uint16_t pid, bool bat) {
  return MakeRequest(kReadCommand, portIndex, selector, pid, bat);
}

FrameHeader MakeWriteRequest(uint8_t portIndex, uint8_t selector, uint16_t pid, bool batFlag) {
  return MakeRequest(kWriteCommand, portIndex, WriteSelector(pid, selector), pid, batFlag);
}

uint16_t RequestPid(const uint8_t* header) {
  const uint16_t pid = static_cast<uint16_t>((header[4] << 8) | header[5]);
  return HasBatMarker(header) ? kSdtBatPid : pid;
}

bool HasBatMarker(const uint8_t* header) {
  return header[4] == kBatMarker && header[5] == (kSdtBatPid & 0xFF);
}

size_t AnnouncedLength(const uint8_t* header) { return static_cast<size_t>(header[4]) << 8 | header[5]; }

void SetAnnouncedLength(uint8_t* header, size_t length) {
  header[4] = static_cast<uint8_t>(length >> 8);
  header[5] = static_cast<uint8_t>(length & 0xFF);
}

uint16_t PacketPid(const uint8_t* packet) { return static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]); }

std::vector<Datagram> PlainDatagrams(const FrameHeader& header, const uint8_t* packets, size_t bytes,
                                     size_t perDatagram) {
  const size_t total = bytes / kPacketSize;
  const size_t step = std::max<size_t>(perDatagram, 1);
  std::vector<Datagram> out;
  size_t first = 0;
  do {
    const size_t count = std::min(step, total - first);
    Datagram d = WithHeader(header, packets + first * kPacketSize, count * kPacketSize, kTrailerSize);
    const bool more = first + count < total;
    d.push_back(more ? 1 : 0);
    d.push_back(static_cast<uint8_t>(first >> 8));
    d.push_back(static_cast<uint8_t>(first & 0xFF));
    out.push_back(std::move(d));
    first += count;
  } while (first < total);
  return out;
}

std::vector<Datagram> PlainWriteDatagrams(const FrameHeader& header, const uint8_t* packets, size_t bytes) {
  if (bytes + kFrameHeaderSize < kPlainWriteLimit) return {WithHeader(header, packets, bytes, 0)};
  return PlainDatagrams(header, packets, bytes, kPacketsPerChunk);
}

long PlainDatagramPackets(const uint8_t* datagram, size_t length) {
  if (length < kFrameHeaderSize + kTrailerSize) return -1;
  const size_t run = CountPackets(datagram + kFrameHeaderSize, length - kFrameHeaderSize);
  if (kFrameHeaderSize + run + kTrailerSize != length) return -1;
  return static_cast<long>(run);
}

int FragmentCount(size_t length, int chunk) {
  if (chunk <= 0) chunk = 1000;
  if (length == 0) return 1;
  return static_cast<int>((length - 1) / static_cast<size_t>(chunk)) + 1;
}

std::vector<Datagram> FragmentDatagrams(const FrameHeader& header, const uint8_t* data, size_t bytes,
                                        uint8_t sequence, int chunk) {
  if (chunk <= 0) chunk = 1000;
  const int count = FragmentCount(bytes, chunk);
  std::vector<Datagram> out;
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const size_t from = static_cast<size_t>(i) * static_cast<size_t>(chunk);
    const size_t piece = std::min(static_cast<size_t>(chunk), bytes - std::min(bytes, from));
    Datagram d = WithHeader(header, nullptr, 0, 3 + piece);
    d.push_back(sequence);
    d.push_back(static_cast<uint8_t>(i + 1));
    d.push_back(static_cast<uint8_t>(count));
    if (piece > 0) d.insert(d.end(), data + from, data + from + piece);
    out.push_back(std::move(d));
  }
  return out;
}

uint8_t NextMessageSequence() {
  static std::atomic<uint8_t> sequence{0};
  return sequence.fetch_add(1);
}

}  // namespace quorvelin
