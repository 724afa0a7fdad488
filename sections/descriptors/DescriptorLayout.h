// The fields of a descriptor kind as one description, read the way ETSI EN 300 468 and ISO/IEC
// 13818-1 draw their syntax tables: numbers of a given bit width, reserved bits, three-letter
// codes, length-prefixed texts, loops and parts that a flag or the remaining bytes make present.
// The same description reads the bytes, writes them back, draws the tree lines and names the
// TSDuck XML attributes and elements.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelin {

enum class Op : uint8_t {
  Bits,       // an unsigned number of `bits` bits, most significant first
  Reserved,   // `bits` reserved bits, written as ones
  Char3,      // three-letter code (ISO 639 language, ISO 3166 country)
  Text8,      // length byte, then that many bytes of text
  TextRest,   // text up to the end of the enclosing part
  BytesRest,  // bytes up to the end of the enclosing part (a child element of hex digits)
  Loop,       // entries of `sub` up to the end of the enclosing part
  Loop8,      // length byte, then entries of `sub` inside that many bytes
  Opt,        // `sub` present when the flag named `flag` is set
  Unless,     // `sub` present when the flag named `flag` is clear
  IfMore,     // `sub` present when bytes remain in the enclosing part
};

enum class Show : uint8_t {
  Hex,           // "0x..", in XML with a fixed number of digits
  Dec,           // decimal
  Bool,          // "true" / "false"
  Implicit,      // a flag set by the presence of the part it announces: neither line nor attribute
  Scaled,        // decimal, the field times `scale` (maximum_bitrate in bits/s, frequencies in Hz)
  Frequency,     // centre_frequency of a frequency_list: in Hz by the descriptor's coding_type
  TeletextPage,  // magazine (3 bits) and BCD page (8 bits) as one page number, 100 to 899
  Bcd,           // binary-coded decimal digits, the number times `scale` (frequency, symbol_rate)
  BcdTenths,     // binary-coded decimal tenths as "dd.d" (orbital_position in degrees)
};

// A name a field's value is given by, in lines and XML alike; other values of a Dec field show
// in hexadecimal.
struct Symbol {
  uint64_t value;
  const char* name;
};

struct Field {
  Op op = Op::Bits;
  const char* name = nullptr;  // attribute; element for loops, parts and bytes
  int bits = 0;
  Show show = Show::Hex;
  std::span<const Field> sub{};
  const char* flag = nullptr;
  uint32_t scale = 1;
  std::span<const Symbol> symbols{};
  int64_t byDefault = -1;  // the value an XML element that leaves the attribute out gives; -1: required
};

constexpr Field Bits(const char* name, int bits, Show show = Show::Hex) { return {Op::Bits, name, bits, show}; }
constexpr Field Dec(const char* name, int bits) { return {Op::Bits, name, bits, Show::Dec}; }
constexpr Field Flag(const char* name) { return {Op::Bits, name, 1, Show::Bool}; }
constexpr Field Presence(const char* name) { return {Op::Bits, name, 1, Show::Implicit}; }
constexpr Field Scaled(const char* name, int bits, uint32_t scale) {
  return {Op::Bits, name, bits, Show::Scaled, {}, nullptr, scale};
}
// A field whose values have names; `byDefault` as in Field.
constexpr Field Named(const char* name, int bits, std::span<const Symbol> symbols, int64_t byDefault = -1) {
  return {Op::Bits, name, bits, Show::Dec, {}, nullptr, 1, symbols, byDefault};
}
constexpr Field Bcd(const char* name, int bits, uint32_t scale) {
  return {Op::Bits, name, bits, Show::Bcd, {}, nullptr, scale};
}
constexpr Field Reserved(int bits) { return {Op::Reserved, nullptr, bits}; }
constexpr Field Char3(const char* name) { return {Op::Char3, name}; }
constexpr Field Text8(const char* name) { return {Op::Text8, name}; }
constexpr Field TextRest(const char* name) { return {Op::TextRest, name}; }
constexpr Field BytesRest(const char* name) { return {Op::BytesRest, name}; }
constexpr Field Loop(const char* element, std::span<const Field> sub) { return {Op::Loop, element, 0, Show::Hex, sub}; }
constexpr Field Loop8(const char* element, std::span<const Field> sub) { return {Op::Loop8, element, 0, Show::Hex, sub}; }
// `element` null: the part's fields stand with their neighbours.
constexpr Field Opt(const char* flag, std::span<const Field> sub, const char* element = nullptr) {
  return {Op::Opt, element, 0, Show::Hex, sub, flag};
}
constexpr Field Unless(const char* flag, std::span<const Field> sub, const char* element = nullptr) {
  return {Op::Unless, element, 0, Show::Hex, sub, flag};
}
constexpr Field IfMore(std::span<const Field> sub, const char* element = nullptr) {
  return {Op::IfMore, element, 0, Show::Hex, sub};
}

struct Group;
struct Value {
  const Field* field = nullptr;
  uint64_t number = 0;          // Bits
  std::vector<uint8_t> bytes;   // Char3, Text8, TextRest, BytesRest
  std::vector<Group> entries;   // Loop, Loop8: one per entry; Opt, Unless, IfMore: none or one
};
struct Group {
  std::vector<Value> values;  // one per field of the layout, in order
};

// The fields of `layout` over `data`; nothing when the bytes do not fit: too few for a field,
// or bytes left over behind the last one.
std::optional<Group> DecodeLayout(std::span<const Field> layout, std::span<const uint8_t> data);
// The bytes of a group: reserved bits set, presence flags and length bytes from what is there.
// Nothing when a loop or text outgrows its length byte.
std::optional<std::vector<uint8_t>> EncodeLayout(const Group& group);

// The value of the number field `name` among the values (0 when there is none).
uint64_t NumberOf(const Group& group, const char* name);

// Display and XML text of a number field; `root` is the descriptor's outer group.
std::string FieldText(const Field& f, uint64_t raw, const Group& root);
// The raw field value of a display number (Scaled, Frequency, TeletextPage, Bcd); nothing when
// the number has no exact raw value or does not fit the field.
std::optional<uint64_t> FieldNumber(const Field& f, uint64_t shown, const Group& root);
// The value of one of the field's symbol names (in any case, or the opening of one name only)
// or, for BcdTenths, of a "dd.d" text; nothing for other texts.
std::optional<uint64_t> FieldSymbol(const Field& f, std::string_view text);

}  // namespace quorvelin
