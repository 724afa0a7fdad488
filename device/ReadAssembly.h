// Gathering the answer to one read request into the caller's buffer, datagram by datagram, as the
// device's protocol reads it: the first header gives the length, packets run while their first
// byte is 0x47, the continuation byte (plain) or the fragment count (fragmented) ends the answer.
// Nothing is ever written past the caller's buffer: an answer that does not fit fails the read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/Framing.h"

namespace quorvelin {

enum class Intake {
  More,      // kept, more datagrams belong to the answer
  Complete,  // kept, the answer is whole
  Failed,    // the answer cannot be taken: the read fails
};

class ReadAssembly {
 public:
  // `buffer` holds `size` bytes; the assembly fills it with 0xFF first.
  ReadAssembly(uint8_t* buffer, size_t size);
  virtual ~ReadAssembly() = default;
  ReadAssembly(const ReadAssembly&) = delete;
  ReadAssembly& operator=(const ReadAssembly&) = delete;

  virtual Intake Take(const uint8_t* datagram, size_t length) = 0;
  // After Complete (every announced packet byte came): joins the payloads of the packets taken
  // into section bytes at the start of the buffer (zeros behind).
  // False, with the buffer zeroed, when the packets do not fit the buffer.
  bool Finish();
  // The answer held more than the buffer takes.
  bool Oversized() const { return oversized_; }

 protected:
  // Whether `received` packet bytes make the answer whole; then they are the packets taken.
  Intake Whole(size_t received);

  uint8_t* buffer_;
  size_t size_;
  size_t taken_ = 0;
  bool oversized_ = false;
};

// The packet bytes taken of an answer whose header announces `announced` (16 bits: the length
// modulo 65536) and that brought `received`: below 65536 bytes the announced ones (packets behind
// them are passed over); from 65536 on all of them, when their count matches the announced length
// modulo 65536. Nothing when fewer came than announced or the count does not match.
std::optional<size_t> TakenLength(size_t announced, size_t received);

// Plain answers: the buffer keeps the first datagram without its 3-byte trailer, then of each
// later datagram the bytes between its header and its trailer. The byte behind the run of
// packets is the continuation byte: 1 says another datagram follows. An answer of more
// datagrams than the buffer holds packets (plus two) fails, so a run without packets ends.
class PlainReadAssembly final : public ReadAssembly {
 public:
  using ReadAssembly::ReadAssembly;
  Intake Take(const uint8_t* datagram, size_t length) override;

 private:
  size_t filled_ = 0;
  size_t datagrams_ = 0;
};

// Fragmented answers: {sequence, index, count} behind the header; the count of the first
// datagram says how many datagrams the answer has, each one's data goes to 1400·(index - 1)
// behind the header, and the header of the last one received stands at the start of the buffer.
class FragmentReadAssembly final : public ReadAssembly {
 public:
  using ReadAssembly::ReadAssembly;
  Intake Take(const uint8_t* datagram, size_t length) override;

 private:
  int count_ = 0;
  int received_ = 0;
  size_t data_ = 0;
};

// Tells the datagrams that may belong to the answer to one read request from late or stray ones
// (answers to earlier requests): every transport packet carries the PID that was asked for, and
// the section the answer starts with has a table_id of the table asked for. An empty answer
// carries no packet and is taken. Fragments after the first must carry its message sequence
// number; a fragment that comes before the first fragment of its answer is not taken.
class AnswerFilter {
 public:
  AnswerFilter(uint16_t pid, bool bat, bool fragmented) : pid_(pid), bat_(bat), fragmented_(fragmented) {}
  bool Belongs(const uint8_t* datagram, size_t length);

 private:
  // The packets at `at` lie on the PID asked for; when `first`, the section they start with is
  // of the table asked for.
  bool PacketsBelong(const uint8_t* datagram, size_t length, size_t at, bool first) const;

  uint16_t pid_;
  bool bat_, fragmented_;
  bool started_ = false;
  uint8_t sequence_ = 0;
};

// An answer left in the exchange file: `read` bytes of it at the start of the zeroed buffer.
// False when the file held fewer packets than the header announces.
bool UnpackFileAnswer(uint8_t* buffer, size_t size, size_t read);

}  // namespace quorvelin
