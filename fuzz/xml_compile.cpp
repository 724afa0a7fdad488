// Any text as a TSDuck XML document: it is refused with a line and column, or compiles to
// sections that carry a valid CRC_32, fit their size and, written out again, compile back to
// themselves.
#include <cstdlib>
#include <string_view>

#include "sections/Packets.h"
#include "sections/TsduckXml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvelin;
  if (size > 65536) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const SectionBytesList sections = CompileXmlSections(text, error);
  if (!error.empty()) {
    if (error.rfind("line ", 0) != 0 || !sections.empty()) std::abort();
    return 0;
  }
  for (const auto& s : sections) {
    if (s.size() < 8 || s.size() > 4096) std::abort();
    const bool longForm = s[1] & 0x80;  // the TDT is a short section, without CRC_32
    if (size_t(3 + ((s[1] & 0x0F) << 8 | s[2])) != s.size()) std::abort();
    if (longForm && Crc32Mpeg(s.data(), s.size()) != 0) std::abort();  // over a whole section it is 0
  }
  std::string again;
  if (CompileXmlSections(SectionsToXml(sections), again) != sections || !again.empty()) std::abort();
  (void)CompileXml(text);
  return 0;
}
