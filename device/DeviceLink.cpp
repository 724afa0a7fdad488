#include "device/DeviceLink.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "device/ReadAssembly.h"
#include "sections/Packets.h"
#include "sections/PortTables.h"

namespace quorvelin {
namespace {

// A file descriptor closed when it goes out of scope.
class FileHandle {
 public:
  FileHandle(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsOpen() const { return fd_ >= 0; }

  bool WriteAll(const uint8_t* data, size_t bytes) {
    while (bytes > 0) {
      const ssize_t n = ::write(fd_, data, bytes);
      if (n <= 0) return false;
      data += n;
      bytes -= static_cast<size_t>(n);
    }
    return true;
  }
  size_t ReadUpTo(uint8_t* data, size_t size) {
    size_t got = 0;
    while (got < size) {
      const ssize_t n = ::read(fd_, data + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    return got;
  }

 private:
  int fd_;
};

template <typename Assembly>
bool Gather(Assembly& assembly, const std::function<std::optional<size_t>(Deadline)>& receive,
            const std::vector<uint8_t>& area, std::chrono::milliseconds perDatagram) {
  Deadline deadline = DeadlineAfter(perDatagram);
  for (;;) {
    const std::optional<size_t> length = receive(deadline);
    if (!length) return false;
    switch (assembly.Take(area.data(), *length)) {
      case Intake::More:
        deadline = DeadlineAfter(perDatagram);
        break;
      case Intake::Complete:
        return assembly.Finish();
      case Intake::Failed:
        return false;
    }
  }
}

// The wait for the reply to one NIT write; a device may take seconds to take a NIT.
constexpr std::chrono::milliseconds kNitReplyWait{5000};

}  // namespace

DeviceLink::DeviceLink(Ui& ui, LinkSettings settings) : ui_(ui), settings_(std::move(settings)), area_(kDatagramArea) {
  if (settings_.deviceAddress == 0) return;
  socket_ = UdpSocket::Open();
  socket_.RecordTo(settings_.pcap);
  if (!socket_.IsOpen()) ui_.MessageBox(kSocketFailedText, kSystemMessageCaption, MsgIcon::Error, MsgButtons::Ok);
}

void DeviceLink::SetHostCallbacks(HostCallback first, HostCallback second) {
  first_ = std::move(first);
  second_ = std::move(second);
}

bool DeviceLink::ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) {
  unheard_ = false;
  readProblem_ = "";
  if (buffer == nullptr || size < kFrameHeaderSize) return false;
  const FrameHeader request = MakeReadRequest(PortIndex(settings_.channelNumber, port), selector, pid, bat);
  const bool ok = settings_.deviceAddress != 0 ? ReadOverUdp(request, buffer, size, pid, bat)
                                                : ReadThroughFile(request, buffer, size);
  if (!ok) std::memset(buffer, 0, size);
  if (!ok && *readProblem_ == 0) readProblem_ = "no answer";
  return ok;
}

bool DeviceLink::WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) {
  const FrameHeader request = MakeWriteRequest(PortIndex(settings_.channelNumber, port), selector, pid, bat);
  const size_t bytes = CountPackets(packets, length);
  return settings_.deviceAddress != 0 ? WriteOverUdp(request, packets, bytes, pid, bat)
                                      : WriteThroughFile(request, packets, bytes);
}

void DeviceLink::NoteExchange(bool heard) {
  heardOnce_ = heardOnce_ || heard;
  silentRun_ = heard ? 0 : silentRun_ + 1;
}

// --- UDP ---

bool DeviceLink::SendDatagram(const Datagram& datagram) {
  return socket_.SendTo(Device(), datagram.data(), datagram.size());
}

std::optional<size_t> DeviceLink::ReceiveFromDevice(Deadline deadline) {
  for (;;) {
    const Deadline slice = tick_ ? std::min(deadline, DeadlineAfter(kWaitTick)) : deadline;
    const auto r = socket_.ReceiveUntil(area_.data(), area_.size(), slice);
    if (!r && slice < deadline && SteadyClock::now() >= slice) {  // only the slice is over
      tick_();
      continue;
    }
    if (!r) return std::nullopt;
    if (r->from.address != settings_.deviceAddress) continue;  // not the device: never an answer
    unheard_ = false;
    heard_ = true;
    // A datagram larger than the area cannot be a whole answer; an empty length fails it.
    return r->truncated ? std::optional<size_t>(0) : std::optional<size_t>(r->length);
  }
}

bool DeviceLink::AwaitReply(Deadline deadline, size_t least) {
  for (;;) {
    const std::optional<size_t> length = ReceiveFromDevice(deadline);
    if (!length) return false;
    if (*length >= least) return true;
  }
}

bool DeviceLink::ReadOverUdp(const FrameHeader& request, uint8_t* buffer, size_t size, uint16_t pid, bool bat) {
  if (!socket_.IsOpen()) return false;
  heard_ = false;
  oversized_ = false;
  bool ok = false, answered = false, late = false;
  echoRefused_ = false;
  int attempt = 0;
  for (const int attempts = Attempts(); attempt < attempts && !ok; ++attempt) {
    ok = ReadAttempt(request, buffer, size, pid, bat, attempt);
    answered = answered || !unheard_;
    late = late || (!ok && unheard_);
  }
  if (!ok && echoRefused_) {  // the device's answers carry another port index after all
    echo_ = Echo::No;
    ok = ReadAttempt(request, buffer, size, pid, bat, attempt);
  }
  // Late answers of a device that repeats the port index are told apart by it and their PID.
  if (ok && late && echo_ != Echo::Yes) LetTheAnswerEnd(AttemptWait(settings_.timeouts.readDatagram, attempt), 2);
  NoteExchange(heard_);
  unheard_ = !heard_;
  if (!ok) readProblem_ = answered ? "incomplete answer" : "no answer";
  if (!ok && oversized_) {
    readProblemText_ = OversizeProblem(size);
    readProblem_ = readProblemText_.c_str();
  }
  return ok;
}

std::chrono::milliseconds DeviceLink::AttemptWait(std::chrono::milliseconds configured, int attempt) const {
  if (roundTrip_.count() == 0) return configured;
  const auto first = std::chrono::ceil<std::chrono::milliseconds>(4 * roundTrip_) + kShortestWait;
  return std::min(configured, first * (1 << std::min(attempt, 16)));
}

void DeviceLink::NoteRoundTrip(Deadline sent) {
  const auto taken = std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - sent);
  roundTrip_ = roundTrip_.count() == 0 ? taken : (7 * roundTrip_ + taken) / 8;
}

bool DeviceLink::ReadAttempt(const FrameHeader& request, uint8_t* buffer, size_t size, uint16_t pid, bool bat,
                             int attempt) {
  socket_.Drain();  // late or repeated answers to earlier requests
  const Deadline sent = SteadyClock::now();
  if (!socket_.SendTo(Device(), request.data(), request.size())) return false;
  unheard_ = true;
  AnswerFilter filter(pid, bat, Fragmented());
  // Datagrams that belong to another request are passed over; the wait for this one goes on.
  bool first = true;
  const auto receive = [&](Deadline d) -> std::optional<size_t> {
    for (;;) {
      const std::optional<size_t> length = ReceiveFromDevice(d);
      if (!length || *length == 0) return length;
      const bool otherPort = first && echo_ == Echo::Yes && area_[2] != request[2];
      if (!otherPort && filter.Belongs(area_.data(), *length)) {
        if (first && echo_ == Echo::Unknown) echo_ = area_[2] == request[2] ? Echo::Yes : Echo::No;
        first = false;
        return length;
      }
      echoRefused_ = echoRefused_ || otherPort;
      unheard_ = true;
    }
  };
  const auto wait = AttemptWait(settings_.timeouts.readDatagram, attempt);
  FragmentReadAssembly fragments(buffer, size);
  PlainReadAssembly plain(buffer, size);
  const bool ok = Fragmented() ? Gather(fragments, receive, area_, wait) : Gather(plain, receive, area_, wait);
  oversized_ = oversized_ || fragments.Oversized() || plain.Oversized();
  if (!ok && !unheard_) LetTheAnswerEnd(wait);
  if (ok && attempt == 0) NoteRoundTrip(sent);
  return ok;
}

void DeviceLink::LetTheAnswerEnd(std::chrono::milliseconds wait, int quiet) {
  const Deadline limit = DeadlineAfter(kSettleWaits * wait);
  while (ReceiveFromDevice(std::min(DeadlineAfter(quiet * wait), limit))) {
  }
}

bool DeviceLink::SendFragments(const FrameHeader& request, const uint8_t* data, size_t bytes) {
  for (const Datagram& d : FragmentDatagrams(request, data, bytes, NextMessageSequence()))
    if (!SendDatagram(d)) return false;
  return true;
}

bool DeviceLink::WriteOverUdp(const FrameHeader& request, const uint8_t* packets, size_t bytes, uint16_t pid,
                              bool bat) {
  if (!socket_.IsOpen()) return false;
  // The fragment count has 8 bits: a longer table cannot be framed.
  if (Fragmented() && FragmentCount(bytes, static_cast<int>(kFragmentDataSize)) > 0xFF) return false;
  heard_ = false;
  bool ok = false;
  int attempt = 0;
  for (const int attempts = Attempts(); attempt < attempts && !ok; ++attempt)
    ok = WriteAttempt(request, packets, bytes, pid, bat, attempt);
  // The replies to the earlier attempts may still come: they must not count for the next write.
  if (ok && attempt > 1) LetTheAnswerEnd(AttemptWait(settings_.timeouts.writeReply, attempt - 1), 2);
  NoteExchange(heard_);
  return ok;
}

// The whole table once: a long plain write starts again from its first chunk.
bool DeviceLink::WriteAttempt(const FrameHeader& request, const uint8_t* packets, size_t bytes, uint16_t pid,
                              bool bat, int attempt) {
  const size_t least = bat ? 1 : kFrameHeaderSize;  // with the BAT flag a 1-byte reply is enough
  const auto& t = settings_.timeouts;
  // A device may take seconds to take a NIT: its reply is waited for as set, never shortened.
  const auto replyWait =
      pid == kNitPid ? std::min(t.nitWriteReply, kNitReplyWait) : AttemptWait(t.writeReply, attempt);
  socket_.Drain();
  const Deadline sent = SteadyClock::now();
  bool ok = true;
  if (Fragmented()) {
    ok = SendFragments(request, packets, bytes) && AwaitReply(DeadlineAfter(replyWait), least);
  } else if (bytes + kFrameHeaderSize < kPlainWriteLimit) {
    ok = SendDatagram(PlainWriteDatagrams(request, packets, bytes).front()) &&
         AwaitReply(DeadlineAfter(replyWait), least);
  } else {
    for (const Datagram& d : PlainWriteDatagrams(request, packets, bytes)) {
      socket_.Drain();
      if (!SendDatagram(d) || !AwaitReply(DeadlineAfter(AttemptWait(t.chunkReply, attempt)), least)) return false;
    }
    return true;
  }
  if (ok && attempt == 0 && pid != kNitPid && bytes + kFrameHeaderSize < kPlainWriteLimit) NoteRoundTrip(sent);
  return ok;
}

// --- exchange file ---

bool DeviceLink::PutRequestFile(const uint8_t* data, size_t bytes) {
  FileHandle file(settings_.exchangeFile, O_CREAT | O_RDWR | O_TRUNC);
  return file.IsOpen() && file.WriteAll(data, bytes);
}

bool DeviceLink::PollHost(const HostCallback& callback) {
  const Deadline start = SteadyClock::now();
  const auto limit = settings_.timeouts.hostLimit;
  while (!callback()) {
    if (limit.count() > 0 && SteadyClock::now() - start >= limit) return false;
    std::this_thread::sleep_for(settings_.timeouts.hostPoll);
    if (tick_) tick_();
  }
  return true;
}

bool DeviceLink::WaitForHost() {
  if (!first_ || !second_) return false;  // no host to carry the request
  return PollHost(second_) && PollHost(first_);
}

bool DeviceLink::ReadThroughFile(const FrameHeader& request, uint8_t* buffer, size_t size) {
  if (!PutRequestFile(request.data(), request.size())) ui_.AppMessageBox(kOpenFileFailedText);
  if (!WaitForHost()) return false;
  std::memset(buffer, 0, size);
  FileHandle file(settings_.exchangeFile, O_RDWR);
  const size_t read = file.IsOpen() ? file.ReadUpTo(buffer, size) : 0;
  return UnpackFileAnswer(buffer, size, read);
}

bool DeviceLink::WriteThroughFile(const FrameHeader& request, const uint8_t* packets, size_t bytes) {
  std::vector<uint8_t> frame(request.begin(), request.end());
  frame.insert(frame.end(), packets, packets + bytes);
  if (!PutRequestFile(frame.data(), frame.size())) {
    ui_.AppMessageBox(kOpenFileFailedText);
    return false;
  }
  return WaitForHost();  // the host carried it: counts as a 6-byte reply
}

}  // namespace quorvelin
