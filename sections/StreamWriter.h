// Sections written as a transport stream, as an analyzer expects them: each section starts a
// packet (pointer_field 0), the continuity_counter runs on per PID from section to section, and
// the last packet of a section is filled with 0xFF.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "sections/PortTables.h"

namespace quorvelin {

class StreamWriter {
 public:
  void Add(uint16_t pid, const std::vector<uint8_t>& section);
  const Packets& Stream() const { return stream_; }

 private:
  std::map<uint16_t, uint8_t> counters_;
  Packets stream_;
};

// The whole sections of `tableIds` in bytes that a read of the device delivered (payloads joined,
// later packets' pointer_fields and 0xFF filler between sections), in order. The walk ends at
// the first byte that starts none of them; a section whose CRC_32 does not check ends it too.
std::vector<std::vector<uint8_t>> AnswerSections(const uint8_t* bytes, size_t size, const std::vector<uint8_t>& tableIds);

}  // namespace quorvelin
