// The link to the head-end device: ReadTable and WriteTable over plain UDP datagrams, over UDP
// fragments (protocol mode 0x47), or through the exchange file that the host carries to the
// device (device address 0), as its settings say.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/Framing.h"
#include "device/LinkSettings.h"
#include "device/UdpSocket.h"
#include "sections/TableExchange.h"
#include "util/Ui.h"

namespace quorvelin {

// Messages of the link (CP936).
inline constexpr const char* kSocketFailedText = "\xb4\xb4\xbd\xa8\xcc\xd7\xbd\xd3\xd7\xd6\xca\xa7\xb0\xdc";
inline constexpr const char* kSystemMessageCaption = "\xcf\xb5\xcd\xb3\xcf\xfb\xcf\xa2";
inline constexpr const char* kOpenFileFailedText = "\xb4\xf2\xbf\xaa\xce\xc4\xbc\xfe\xca\xa7\xb0\xdc";
using HostCallback = std::function<bool()>;

class DeviceLink final : public TableExchange {
 public:
  // Opens the UDP socket when the settings hold a device address; a refusal is reported to the
  // user and leaves every network exchange failing.
  explicit DeviceLink(Ui& ui, LinkSettings settings = {});

  // The two host callbacks of the file exchange, in the order the host passes them.
  void SetHostCallbacks(HostCallback first, HostCallback second);
  // Whoever changes the device address, protocol mode or channel changes them here too (a new
  // address takes no new socket: the link for the exchange file has none).
  LinkSettings& Settings() { return settings_; }
  bool HasSocket() const { return socket_.IsOpen(); }

  // A read that gets no answer, or not all of one, is asked again (reads change nothing on the
  // device), a write without a reply sent again, up to kAttempts times; while the device has not
  // answered once on this link, or did not answer the last exchange, kAttemptsUnheard times.
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override;
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override;
  // The last read was sent and not one datagram came back from the device address.
  bool HeardNothing() const override { return unheard_; }
  const char* ReadProblem() const override { return readProblem_; }
  uint32_t DeviceAddress() const override { return settings_.deviceAddress; }
  // The last two exchanges got not one datagram from the device.
  bool DeviceSilent() const override { return silentRun_ >= 2; }

  static constexpr int kAttempts = 10;
  static constexpr int kAttemptsUnheard = 4;

  // Called about every kWaitTick while the link waits for the device or the host, so that a
  // window can show and paint its progress during a long wait; none by default.
  void SetWaitTick(std::function<void()> tick) { tick_ = std::move(tick); }
  static constexpr std::chrono::milliseconds kWaitTick{50};

 private:
  bool Fragmented() const { return settings_.protocolMode == kFragmentedProtocol; }
  Endpoint Device() const { return {settings_.deviceAddress, settings_.udpPort}; }

  bool ReadOverUdp(const FrameHeader& request, uint8_t* buffer, size_t size, uint16_t pid, bool bat);
  // One request and the datagrams of its answer.
  bool ReadAttempt(const FrameHeader& request, uint8_t* buffer, size_t size, uint16_t pid, bool bat, int attempt);
  // The wait of attempt `attempt` (0: the first): once first attempts have been answered, four
  // round trips and kShortestWait, doubled at each further attempt; never more than `configured`.
  std::chrono::milliseconds AttemptWait(std::chrono::milliseconds configured, int attempt) const;
  void NoteRoundTrip(Deadline sent);
  static constexpr std::chrono::milliseconds kShortestWait{20};
  int Attempts() const { return heardOnce_ && silentRun_ == 0 ? kAttempts : kAttemptsUnheard; }
  // Counts the exchange that ended: heard from the device or not.
  void NoteExchange(bool heard);
  // After an answer that failed part way, or an exchange whose earlier attempts got no answer in
  // time: the rest, or those answers, may still be on their way and would be taken for the
  // answer to the next request. Discards datagrams until the device has been quiet for `quiet`
  // waits, for at most kSettleWaits waits.
  void LetTheAnswerEnd(std::chrono::milliseconds wait, int quiet = 1);
  static constexpr int kSettleWaits = 10;
  bool WriteOverUdp(const FrameHeader& request, const uint8_t* packets, size_t bytes, uint16_t pid, bool bat);
  bool WriteAttempt(const FrameHeader& request, const uint8_t* packets, size_t bytes, uint16_t pid, bool bat,
                    int attempt);
  bool SendFragments(const FrameHeader& request, const uint8_t* data, size_t bytes);
  bool SendDatagram(const Datagram& datagram);
  // Length of the first datagram from the device address before the deadline.
  std::optional<size_t> ReceiveFromDevice(Deadline deadline);
  // A reply counts when it comes from the device address with at least `least` bytes.
  bool AwaitReply(Deadline deadline, size_t least);

  bool ReadThroughFile(const FrameHeader& request, uint8_t* buffer, size_t size);
  bool WriteThroughFile(const FrameHeader& request, const uint8_t* packets, size_t bytes);
  bool PutRequestFile(const uint8_t* data, size_t bytes);
  bool WaitForHost();
  bool PollHost(const HostCallback& callback);

  Ui& ui_;
  LinkSettings settings_;
  UdpSocket socket_;
  HostCallback first_, second_;
  std::function<void()> tick_;
  std::vector<uint8_t> area_;  // one received datagram
  bool unheard_ = false;
  bool heard_ = false;      // this exchange got a datagram from the device
  bool heardOnce_ = false;  // the device answered on this link
  int silentRun_ = 0;       // exchanges in a row that got nothing
  std::chrono::microseconds roundTrip_{0};  // smoothed, of exchanges answered at once; 0: none yet
  const char* readProblem_ = "";
  std::string readProblemText_;  // a problem with a number in it
  bool oversized_ = false;       // an answer of this read held more than the buffer takes
  // Whether the device repeats the request's port index in byte 2 of its answers: unknown until
  // its first answer; while it does, an answer for another port is a late one. A device that
  // does not is never held to it.
  enum class Echo { Unknown, Yes, No } echo_ = Echo::Unknown;
  bool echoRefused_ = false;  // an answer of this read was passed over for its port index alone
};


}  // namespace quorvelin
