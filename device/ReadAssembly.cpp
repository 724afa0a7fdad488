#include "device/ReadAssembly.h"

#include <algorithm>
#include <cstring>

#include "sections/Packets.h"
#include "sections/TableIds.h"

namespace quorvelin {
namespace {

int WholePackets(size_t announced) { return static_cast<int>(announced / kPacketSize); }

// Offset of the continuation byte: behind the packets that start at offset 6, each 188 bytes
// on, as long as a packet starts inside the datagram with 0x47.
size_t ContinuationOffset(const uint8_t* datagram, size_t length) {
  size_t at = kFrameHeaderSize;
  while (at < length && datagram[at] == kFrameSync) at += kPacketSize;
  return at;
}

}  // namespace

std::optional<size_t> TakenLength(size_t announced, size_t received) {
  constexpr size_t kLengthField = 0x10000;  // the header's 16 bits
  if (received < announced) return std::nullopt;
  if (received < kLengthField) return announced;
  if ((received - announced) % kLengthField != 0) return std::nullopt;
  return received;
}

ReadAssembly::ReadAssembly(uint8_t* buffer, size_t size) : buffer_(buffer), size_(size) {
  if (size_ > 0) std::memset(buffer_, 0xFF, size_);
}

Intake ReadAssembly::Whole(size_t received) {
  const std::optional<size_t> taken = TakenLength(AnnouncedLength(buffer_), received);
  if (!taken) return Intake::Failed;
  taken_ = *taken;
  return Intake::Complete;
}

bool ReadAssembly::Finish() {
  const int n = WholePackets(taken_);
  if (size_ < kFrameHeaderSize || kFrameHeaderSize + static_cast<size_t>(n) * kPacketSize > size_) {
    oversized_ = size_ >= kFrameHeaderSize;
    if (size_ > 0) std::memset(buffer_, 0, size_);
    return false;
  }
  UnpackPacketsWithHeader(n, buffer_, size_);
  return true;
}

Intake PlainReadAssembly::Take(const uint8_t* datagram, size_t length) {
  if (length <= kFrameHeaderSize) return Intake::Failed;
  if (++datagrams_ > size_ / kPacketSize + 2) {
    oversized_ = true;
    return Intake::Failed;
  }
  const size_t continuation = ContinuationOffset(datagram, length);
  const bool more = continuation < length && datagram[continuation] == 1;
  const size_t from = filled_ == 0 ? 0 : kFrameHeaderSize;
  const size_t bytes = length >= from + kTrailerSize ? length - from - kTrailerSize : 0;
  if (bytes > size_ - filled_) {
    oversized_ = true;
    return Intake::Failed;
  }
  std::memcpy(buffer_ + filled_, datagram + from, bytes);
  filled_ += bytes;
  if (more) return Intake::More;
  // A datagram cut short on the way leaves packets out: the answer is not whole.
  return Whole(filled_ >= kFrameHeaderSize ? filled_ - kFrameHeaderSize : 0);
}

Intake FragmentReadAssembly::Take(const uint8_t* datagram, size_t length) {
  if (length < kFragmentHeaderSize || size_ < kFrameHeaderSize) return Intake::Failed;
  if (received_ == 0) count_ = std::max<int>(datagram[8], 1);
  const uint8_t index = datagram[7];
  const size_t data = length - kFragmentHeaderSize;
  const size_t offset = static_cast<size_t>(index - 1) * kFragmentDataSize;
  const size_t room = size_ - kFrameHeaderSize;
  if (index == 0) return Intake::Failed;
  if (offset > room || data > room - offset) {
    oversized_ = true;
    return Intake::Failed;
  }
  std::memcpy(buffer_ + kFrameHeaderSize + offset, datagram + kFragmentHeaderSize, data);
  std::memcpy(buffer_, datagram, kFrameHeaderSize);
  data_ += data;
  if (++received_ < count_) return Intake::More;
  return Whole(data_);
}

bool AnswerFilter::PacketsBelong(const uint8_t* d, size_t length, size_t at, bool first) const {
  for (size_t p = at; p + kPacketSize <= length && d[p] == kFrameSync; p += kPacketSize) {
    if (PacketPid(d + p) != pid_) return false;
    if (first && p == at) {
      const bool unitStart = (d[p + 1] & 0x40) != 0;
      const size_t section = p + 5 + d[p + 4];  // behind the pointer_field
      if (!unitStart || section >= p + kPacketSize || !TableIdAnswers(pid_, bat_, d[section])) return false;
    }
  }
  return true;
}

bool AnswerFilter::Belongs(const uint8_t* d, size_t length) {
  if (length <= kFrameHeaderSize) return false;  // a header alone answers no read (a late write reply)
  if (!fragmented_) {
    const bool ok = PacketsBelong(d, length, kFrameHeaderSize, !started_);
    started_ = started_ || ok;
    return ok;
  }
  if (length < kFragmentHeaderSize) return false;
  if (started_) return d[6] == sequence_;
  if (d[7] != 1 || !PacketsBelong(d, length, kFragmentHeaderSize, true)) return false;
  started_ = true;
  sequence_ = d[6];
  return true;
}

bool UnpackFileAnswer(uint8_t* buffer, size_t size, size_t read) {
  const std::optional<size_t> taken = read >= kFrameHeaderSize && size >= read
                                          ? TakenLength(AnnouncedLength(buffer), read - kFrameHeaderSize)
                                          : std::nullopt;
  if (!taken) {
    std::memset(buffer, 0, size);
    return false;
  }
  UnpackPacketsWithHeader(WholePackets(*taken), buffer, size);
  return true;
}

}  // namespace quorvelin
