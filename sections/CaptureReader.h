// Reading the PSI/SI sections out of a transport stream (ISO/IEC 13818-1 2.4.3, 2.4.4), fed in
// chunks of any size: only the PIDs asked for are looked at; pointer_field, adaptation fields,
// sections across packets and several sections in one packet are handled; a duplicate packet
// (the same bytes again) is dropped, a gap in the count drops the section it cuts; sections
// whose CRC_32 does not check are left out and named.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quorvelin {

struct CapturedSection {
  uint16_t pid = 0;
  std::vector<uint8_t> bytes;  // table_id to the end of the CRC_32 (TDT: of the section)
};

// "PAT (0x00)", "SDT other (0x46)", "table 0x7E" ...
std::string TableIdName(uint8_t tableId);

class CaptureReader {
 public:
  using Sink = std::function<void(const CapturedSection&)>;

  // Looks at the PIDs of the fixed tables (PAT, CAT, NIT, SDT/BAT, TDT/TOT), or at every PID.
  enum class Pids { Psi, All };
  CaptureReader(Sink sink, Pids pids = Pids::Psi);

  // A further PID to look at (a PMT or network PID a PAT names).
  void Watch(uint16_t pid) { watched_.set(pid & 0x1FFF); }
  // The next bytes of the stream, in order.
  void Feed(const uint8_t* data, size_t size);
  // The end of the stream: a packet cut short is named.
  void Finish();

  uint64_t Packets() const { return packets_; }
  // True once the bytes fed hold no 188-byte packet starting with the sync byte 0x47.
  bool NoPackets() const { return packets_ == 0; }
  // What was left out and why, each kind of problem once with its count.
  std::vector<std::string> Problems() const;

 private:
  struct PidState {
    std::vector<uint8_t> pending;  // a section begun in an earlier packet
    std::array<uint8_t, 188> last{};  // the last packet taken
    uint8_t counter = 0;
    bool counted = false;
  };
  void Packet(const uint8_t* p);
  bool CountsOn(PidState& s, const uint8_t* p, uint16_t pid);
  void Sections(uint16_t pid, const uint8_t* payload, size_t size);
  void Continue(uint16_t pid, const uint8_t* payload, size_t size);
  void Emit(uint16_t pid, const uint8_t* section, size_t size);
  void Note(const std::string& problem) { ++problems_[problem]; }
  size_t NextSync(const uint8_t* data, size_t from, size_t size) const;

  Sink sink_;
  std::bitset<8192> watched_;
  std::map<uint16_t, PidState> states_;
  std::vector<uint8_t> carry_;  // the start of a packet whose rest is in the next chunk
  uint64_t packets_ = 0;
  uint64_t skipped_ = 0;  // bytes passed over to find the sync byte again
  std::map<std::string, int> problems_;
};

}  // namespace quorvelin
