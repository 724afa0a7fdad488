// Gathering the answer to one read request into the caller's buffer, datagram by datagram.
// Every datagram is checked before a byte of it is kept: nothing is ever written past the
// caller's buffer, and an answer that is not exactly what its header announces fails the read.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "device/Framing.h"

namespace quorvelin {

enum class Intake {
  Ignored,   // belongs to another request or message: not kept, keep waiting
  More,      // kept, more datagrams belong to the answer
  Complete,  // kept, the answer is whole
  Failed,    // the answer is broken: the read fails
};

class ReadAssembly {
 public:
  // `buffer` holds `size` bytes; the assembly fills it with 0xFF first.
  ReadAssembly(const FrameHeader& request, uint8_t* buffer, size_t size);
  virtual ~ReadAssembly() = default;
  ReadAssembly(const ReadAssembly&) = delete;
  ReadAssembly& operator=(const ReadAssembly&) = delete;

  virtual Intake Take(const uint8_t* datagram, size_t length) = 0;
  // After Complete: checks that exactly the announced packets arrived and joins their payloads
  // into section bytes at the start of the buffer (zeros behind). False leaves the buffer zeroed.
  bool Finish();

 protected:
  // Same request header and, for a datagram whose payload starts with a packet, the requested
  // PID (the NIT may travel on the network PID that the PAT names, so its PID is not compared).
  bool Belongs(const uint8_t* datagram, size_t length, size_t payloadOffset, bool startsWithPacket) const;
  virtual size_t ReceivedPacketBytes() const = 0;

  FrameHeader request_;
  uint8_t* buffer_;
  size_t size_;
};

// Plain answers: header, packets, trailer; a trailer byte 1 says another datagram follows (and
// such a datagram must carry packets, so an answer never has more datagrams than packets).
// The buffer keeps the first datagram's header, then the packets of every datagram in order.
class PlainReadAssembly final : public ReadAssembly {
 public:
  using ReadAssembly::ReadAssembly;
  Intake Take(const uint8_t* datagram, size_t length) override;

 private:
  size_t ReceivedPacketBytes() const override { return filled_ > kFrameHeaderSize ? filled_ - kFrameHeaderSize : 0; }
  size_t filled_ = 0;
};

// Fragmented answers: {sequence, index, count} behind the header, 1400 data bytes per fragment
// placed by index; the header of the last fragment stands at the start of the buffer.
class FragmentReadAssembly final : public ReadAssembly {
 public:
  using ReadAssembly::ReadAssembly;
  Intake Take(const uint8_t* datagram, size_t length) override;

 private:
  size_t ReceivedPacketBytes() const override { return dataBytes_; }
  bool started_ = false;
  uint8_t sequence_ = 0;
  uint8_t count_ = 0;
  int received_ = 0;
  size_t dataBytes_ = 0;
  std::bitset<256> seen_;
};

// An answer left in the exchange file: `read` bytes of it at the start of the zeroed buffer.
// False when the header announces more packets than the file held.
bool UnpackFileAnswer(uint8_t* buffer, size_t size, size_t read);

}  // namespace quorvelin
