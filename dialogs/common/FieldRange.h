// The one way every dialog reads a field whose value must fit the bits it goes into: the whole
// text as one number (or the name as encoded bytes), refused when it does not fit. A refusal
// names the field by its label and shows what fits, "<label> must be <min> to <max>!" (the unit
// of a label such as "Centre frequency:(unit 10 Hz)" after the range, hexadecimal fields give
// the range as "0x0 to 0xffff"), puts the focus on the field and leaves the tree alone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/common/Form.h"
#include "util/Number.h"

namespace quorvelin {

struct FieldRange {
  int64_t min = 0;
  int64_t max = 0;
  NumberText reading = NumberText::Number;
};

// An unsigned field of `bits` bits.
constexpr FieldRange Bits(int bits, NumberText reading = NumberText::Number) {
  return {0, (int64_t{1} << bits) - 1, reading};
}
inline constexpr FieldRange kByteField = Bits(8);  // tags, types, lengths
inline constexpr FieldRange kIdField = Bits(16);   // ids, service and program numbers
inline constexpr FieldRange kPidField = Bits(13);  // PIDs
inline constexpr FieldRange kHexIdField = Bits(16, NumberText::Hex);

// The field's label in the form's template without its colon ("Channel_Number"), and the unit
// written after the colon ("(unit 10 Hz)"), empty when there is none.
struct FieldLabel {
  std::string name, unit;
};
FieldLabel LabelOf(Form& form, int id);

// "<label> must be <min> to <max>[ <unit>]!"
std::string RangeMessage(Form& form, int id, std::string_view min, std::string_view max);
std::string RangeMessage(Form& form, int id, const FieldRange& range);

// The trimmed text of field `id` read by the range's notation; text that is not one number, or a
// value outside the range, is refused and nothing is returned.
std::optional<uint32_t> ReadField(Form& form, int id, const FieldRange& range);
// The same, an empty field reading as 0 (fields without an emptiness check).
std::optional<uint32_t> ReadFieldOrZero(Form& form, int id, const FieldRange& range);
// A text that belongs to field `id` but is held elsewhere (a row of a list).
std::optional<uint32_t> ReadTextOf(Form& form, int id, std::string_view text, const FieldRange& range);

// transport_stream_id and original_network_id of a transport stream, as a form shows and reads them.
struct TransportIds {
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
};
// Both ids as "0x%x" in fields `tsid` and `onid`.
void ShowTransportIds(Form& form, int tsid, int onid, TransportIds ids);
// Both fields checked in form order ("Transport_stream_id can't be NULL!", then the same for the
// Original_network_id, then each as a 16-bit hexadecimal id); nothing after a refusal.
std::optional<TransportIds> ReadTransportIds(Form& form, int tsid, int onid);

// Hexadecimal data typed into field `dataId` as the `n` bytes that field `lengthId` gives.
// More digits than that (any for 0) are refused with "<data> must be n bytes, as <length>
// says!", fewer or a character that is no hexadecimal digit with "The data is error!"; the focus
// goes to the data. True with `bytes` (n of them) and `normalised` filled.
bool ReadHexData(Form& form, int dataId, int lengthId, std::string_view typed, int n, std::string& normalised,
                 uint8_t* bytes);

// A typed name of field `id` encoded in the character table of `previous` (the name it replaces)
// or, for a new name, of the process's text code; refused, naming the table and the first
// character it cannot hold, with nothing returned.
std::optional<std::vector<uint8_t>> EncodeField(Form& form, int id, const std::string& typed,
                                                std::span<const uint8_t> previous = {});

}  // namespace quorvelin
