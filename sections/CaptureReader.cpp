#include "sections/CaptureReader.h"

#include <algorithm>
#include <cstring>

#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr uint8_t kSync = 0x47;

uint16_t PidOf(const uint8_t* p) { return static_cast<uint16_t>((p[1] & 0x1F) << 8 | p[2]); }
size_t SectionSize(const uint8_t* s) { return 3 + (static_cast<size_t>(s[1] & 0x0F) << 8 | s[2]); }

// Sections in the long form, and the TOT, end in a CRC_32; the TDT has none.
bool HasCrc(const uint8_t* s) { return (s[1] & 0x80) != 0 || s[0] == kTotTableId; }

}  // namespace

std::string TableIdName(uint8_t tableId) {
  switch (tableId) {
    case kPatTableId:
      return "PAT (0x00)";
    case kCatTableId:
      return "CAT (0x01)";
    case kPmtTableId:
      return "PMT (0x02)";
    case kNitTableId:
      return "NIT actual (0x40)";
    case 0x41:
      return "NIT other (0x41)";
    case kSdtTableId:
      return "SDT actual (0x42)";
    case 0x46:
      return "SDT other (0x46)";
    case kBatTableId:
      return "BAT (0x4A)";
    case kTdtTableId:
      return "TDT (0x70)";
    case kTotTableId:
      return "TOT (0x73)";
    default:
      return tableId >= 0x4E && tableId <= 0x6F ? Format("EIT (0x%02X)", tableId) : Format("table 0x%02X", tableId);
  }
}

CaptureReader::CaptureReader(Sink sink, Pids pids) : sink_(std::move(sink)) {
  if (pids == Pids::All) {
    watched_.set();
    return;
  }
  for (uint16_t pid : {kPatPid, kCatPid, kNitPid, kSdtBatPid, kTdtTotPid}) watched_.set(pid);
}

size_t CaptureReader::NextSync(const uint8_t* data, size_t from, size_t size) const {
  const void* found = from < size ? std::memchr(data + from, kSync, size - from) : nullptr;
  return found ? static_cast<size_t>(static_cast<const uint8_t*>(found) - data) : size;
}

void CaptureReader::Feed(const uint8_t* data, size_t size) {
  if (data == nullptr) return;
  size_t at = 0;
  // A packet begun at the end of the last chunk.
  while (!carry_.empty() && at < size) {
    const size_t take = std::min(kPacketSize - carry_.size(), size - at);
    carry_.insert(carry_.end(), data + at, data + at + take);
    at += take;
    if (carry_.size() < kPacketSize) return;
    Packet(carry_.data());
    carry_.clear();
  }
  while (at < size) {
    if (data[at] != kSync) {
      const size_t sync = NextSync(data, at, size);
      skipped_ += sync - at;
      at = sync;
      continue;
    }
    if (size - at < kPacketSize) {
      carry_.assign(data + at, data + size);
      return;
    }
    Packet(data + at);
    at += kPacketSize;
  }
}

void CaptureReader::Finish() {
  if (!carry_.empty())
    Note(Format("the last packet is cut short (%d of 188 bytes): left out", static_cast<int>(carry_.size())));
  carry_.clear();
  for (auto& [pid, state] : states_)
    if (!state.pending.empty()) {
      Note(Format("%s on PID 0x%04X: the stream ends inside a section, left out",
                  TableIdName(state.pending[0]).c_str(), pid));
      state.pending.clear();
    }
}

// Continuity (ISO/IEC 13818-1 2.4.3.3): a packet that repeats the last one byte for byte is a
// duplicate and is dropped; any other gap in the count drops the section that was being joined.
bool CaptureReader::CountsOn(PidState& s, const uint8_t* p, uint16_t pid) {
  const uint8_t counter = p[3] & 0x0F;
  const bool discontinuity = (p[3] & 0x20) != 0 && p[4] > 0 && (p[5] & 0x80) != 0;
  if (s.counted && counter == s.counter && std::memcmp(s.last.data(), p, kPacketSize) == 0) return false;
  std::memcpy(s.last.data(), p, kPacketSize);
  if (s.counted && !discontinuity) {
    if (counter != ((s.counter + 1) & 0x0F)) {
      Note(Format("continuity_counter jumps on PID 0x%04X", pid));
      if (!s.pending.empty()) {
        Note(Format("%s on PID 0x%04X: a section cut by a lost packet, left out", TableIdName(s.pending[0]).c_str(), pid));
        s.pending.clear();
      }
    }
  }
  s.counter = counter;
  s.counted = true;
  return true;
}

void CaptureReader::Packet(const uint8_t* p) {
  ++packets_;
  const uint16_t pid = PidOf(p);
  if (!watched_.test(pid)) return;
  const uint8_t control = (p[3] >> 4) & 0x03;
  if ((p[1] & 0x80) != 0) {
    Note(Format("packets with transport_error_indicator set on PID 0x%04X: left out", pid));
    return;
  }
  if ((control & 0x01) == 0) return;  // adaptation field only
  if ((p[3] & 0xC0) != 0) return;      // scrambled payload
  PidState& s = states_[pid];
  if (!CountsOn(s, p, pid)) return;
  size_t at = 4;
  if (control & 0x02) at += 1u + p[4];
  if (at >= kPacketSize) {
    Note(Format("adaptation_field_length too long on PID 0x%04X: packet left out", pid));
    s.pending.clear();
    return;
  }
  if ((p[1] & 0x40) == 0) return Continue(pid, p + at, kPacketSize - at);
  const size_t pointer = p[at++];
  if (at + pointer > kPacketSize) {
    Note(Format("pointer_field past the packet on PID 0x%04X: packet left out", pid));
    s.pending.clear();
    return;
  }
  if (!s.pending.empty()) Continue(pid, p + at, pointer);
  if (!s.pending.empty()) {
    Note(Format("%s on PID 0x%04X: a section shorter than its section_length, left out",
                TableIdName(s.pending[0]).c_str(), pid));
    s.pending.clear();
  }
  Sections(pid, p + at + pointer, kPacketSize - at - pointer);
}

// The sections that start in one payload, up to stuffing (0xFF) or one that goes on in the next
// packet.
void CaptureReader::Sections(uint16_t pid, const uint8_t* payload, size_t size) {
  size_t at = 0;
  while (at < size && payload[at] != 0xFF) {
    if (size - at < 3) {
      states_[pid].pending.assign(payload + at, payload + size);
      return;
    }
    const size_t length = SectionSize(payload + at);
    if (length > size - at) {
      states_[pid].pending.assign(payload + at, payload + size);
      return;
    }
    Emit(pid, payload + at, length);
    at += length;
  }
}

void CaptureReader::Continue(uint16_t pid, const uint8_t* payload, size_t size) {
  std::vector<uint8_t>& pending = states_[pid].pending;
  if (pending.empty()) return;
  size_t used = 0;
  if (pending.size() < 3) {  // the header itself was cut
    used = std::min(size, 3 - pending.size());
    pending.insert(pending.end(), payload, payload + used);
    if (pending.size() < 3) return;
  }
  const size_t length = SectionSize(pending.data());
  const size_t take = std::min(size - used, length - pending.size());
  pending.insert(pending.end(), payload + used, payload + used + take);
  if (pending.size() < length) return;
  std::vector<uint8_t> section;
  section.swap(pending);
  Emit(pid, section.data(), section.size());
}

void CaptureReader::Emit(uint16_t pid, const uint8_t* section, size_t size) {
  if (size < 8 && HasCrc(section)) {
    Note(Format("%s on PID 0x%04X: section_length too short, left out", TableIdName(section[0]).c_str(), pid));
    return;
  }
  if (HasCrc(section) && Crc32Mpeg(section, size) != 0) {
    Note(Format("%s on PID 0x%04X: CRC_32 does not check, left out", TableIdName(section[0]).c_str(), pid));
    return;
  }
  sink_(CapturedSection{pid, std::vector<uint8_t>(section, section + size)});
}

std::vector<std::string> CaptureReader::Problems() const {
  std::vector<std::string> out;
  for (const auto& [problem, count] : problems_)
    out.push_back(count == 1 ? problem : problem + Format(" (%d times)", count));
  if (skipped_ > 0) out.push_back(Format("%llu bytes outside packets passed over", static_cast<unsigned long long>(skipped_)));
  return out;
}

}  // namespace quorvelin
