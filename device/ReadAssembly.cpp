#include "device/ReadAssembly.h"

#include <cstring>

#include "sections/Packets.h"

namespace quorvelin {
namespace {

int WholePackets(size_t announced) { return static_cast<int>(announced / kPacketSize); }

}  // namespace

ReadAssembly::ReadAssembly(const FrameHeader& request, uint8_t* buffer, size_t size)
    : request_(request), buffer_(buffer), size_(size) {
  if (size_ > 0) std::memset(buffer_, 0xFF, size_);
}

bool ReadAssembly::Belongs(const uint8_t* datagram, size_t length, size_t payloadOffset,
                           bool startsWithPacket) const {
  if (!RepeatsRequest(datagram, length, request_)) return false;
  const uint16_t pid = RequestPid(request_.data());
  if (!startsWithPacket || pid == kNitPid || length < payloadOffset + 3) return true;
  const uint8_t* packet = datagram + payloadOffset;
  return packet[0] != kFrameSync || PacketPid(packet) == pid;
}

bool ReadAssembly::Finish() {
  if (size_ < kFrameHeaderSize) return false;
  const int n = WholePackets(AnnouncedLength(buffer_));
  if (static_cast<size_t>(n) * kPacketSize != ReceivedPacketBytes()) {
    std::memset(buffer_, 0, size_);
    return false;
  }
  UnpackPacketsWithHeader(n, buffer_, size_);
  return true;
}

Intake PlainReadAssembly::Take(const uint8_t* datagram, size_t length) {
  if (!Belongs(datagram, length, kFrameHeaderSize, true)) return Intake::Ignored;
  if (length <= kFrameHeaderSize) return Intake::Failed;
  const long packets = PlainDatagramPackets(datagram, length);
  if (packets < 0) return Intake::Failed;
  const bool more = datagram[length - kTrailerSize] == 1;
  if (more && packets == 0) return Intake::Failed;  // every datagram but the last carries packets
  const bool first = filled_ == 0;
  const uint8_t* from = first ? datagram : datagram + kFrameHeaderSize;
  const size_t bytes = first ? length - kTrailerSize : static_cast<size_t>(packets);
  if (bytes > size_ - filled_) return Intake::Failed;
  std::memcpy(buffer_ + filled_, from, bytes);
  filled_ += bytes;
  return more ? Intake::More : Intake::Complete;
}

Intake FragmentReadAssembly::Take(const uint8_t* datagram, size_t length) {
  const bool opening = length > kFragmentHeaderSize && datagram[7] == 1;
  if (!Belongs(datagram, length, kFragmentHeaderSize, opening)) return Intake::Ignored;
  if (length < kFragmentHeaderSize) return Intake::Failed;
  const uint8_t sequence = datagram[6], index = datagram[7], count = datagram[8];
  if (!started_) {
    if (count == 0) return Intake::Failed;
    started_ = true;
    sequence_ = sequence;
    count_ = count;
  } else if (sequence != sequence_ || count != count_ || seen_[index]) {
    return Intake::Ignored;  // an earlier message, or a fragment seen twice
  }
  const size_t data = length - kFragmentHeaderSize;
  if (index == 0 || index > count_ || data > kFragmentDataSize) return Intake::Failed;
  if (index < count_ && data != kFragmentDataSize) return Intake::Failed;
  const size_t offset = static_cast<size_t>(index - 1) * kFragmentDataSize;
  const size_t room = size_ > kFrameHeaderSize ? size_ - kFrameHeaderSize : 0;
  if (offset > room || data > room - offset) return Intake::Failed;
  std::memcpy(buffer_ + kFrameHeaderSize + offset, datagram + kFragmentHeaderSize, data);
  if (index == count_) std::memcpy(buffer_, datagram, kFrameHeaderSize);
  seen_[index] = true;
  dataBytes_ += data;
  return ++received_ == count_ ? Intake::Complete : Intake::More;
}

bool UnpackFileAnswer(uint8_t* buffer, size_t size, size_t read) {
  const int n = read >= kFrameHeaderSize && size >= read ? WholePackets(AnnouncedLength(buffer)) : -1;
  if (n < 0 || kFrameHeaderSize + static_cast<size_t>(n) * kPacketSize > read) {
    std::memset(buffer, 0, size);
    return false;
  }
  UnpackPacketsWithHeader(n, buffer, size);
  return true;
}

}  // namespace quorvelin
