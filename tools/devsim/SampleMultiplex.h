// The built-in multiplex of the simulated device: two ports with a full set of PSI/SI tables,
// laid out exactly as the editor's builders write them, so that a table read from the device and
// written back arrives unchanged (except the times of the TDT and TOT).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tools/devsim/DeviceStore.h"

namespace quorvelin::devsim {

// Section bytes written front to back; Finish() sets section_length and appends the CRC_32.
class SectionWriter {
 public:
  // Long-form header: table_id, syntax bit 1 with `fixedBits` (0x30 or 0x70), the identifier,
  // version 0, current_next_indicator 1, section and last section numbers.
  SectionWriter(uint8_t tableId, uint8_t fixedBits, uint16_t identifier, uint8_t sectionNumber = 0,
                uint8_t lastSectionNumber = 0);
  SectionWriter& U8(uint32_t v);
  SectionWriter& U16(uint32_t v);
  SectionWriter& Bytes(std::initializer_list<uint8_t> bytes);
  SectionWriter& Text(const char* text);  // the bytes of the text, without its end
  // A 12-bit length field counting what `fill` writes after it; `top` gives the four bits above
  // it (reserved bits: all set).
  template <typename Fill>
  SectionWriter& LengthPrefixed(Fill fill, uint8_t top = 0xF0) {
    const size_t at = bytes_.size();
    U16(0);
    fill(*this);
    const size_t n = bytes_.size() - at - 2;
    bytes_[at] = static_cast<uint8_t>((top & 0xF0) | ((n >> 8) & 0x0F));
    bytes_[at + 1] = static_cast<uint8_t>(n & 0xFF);
    return *this;
  }
  // A descriptor: tag, length, and what `fill` writes.
  template <typename Fill>
  SectionWriter& Descriptor(uint8_t tag, Fill fill) {
    U8(tag);
    const size_t at = bytes_.size();
    U8(0);
    fill(*this);
    bytes_[at] = static_cast<uint8_t>(bytes_.size() - at - 1);
    return *this;
  }
  std::vector<uint8_t> Finish();

 private:
  std::vector<uint8_t> bytes_;
};

using quorvelin::PacketsOf;

// Port A is index 0, port B index 1.
PortTables SamplePortA();
PortTables SamplePortB();
void LoadSample(DeviceStore& store);

}  // namespace quorvelin::devsim
