// Number text, hexadecimal text and packed BCD conversions used by the dialogs and parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvelin {

// Optional blanks and sign, then "0x"/"0X": hexadecimal; otherwise decimal.
// Trailing characters are ignored; text without a number gives 0.
int32_t ParseNumber(std::string_view text);

// Whole text as hexadecimal ("1f" and "0x1f" both give 31); no leading digit gives 0.
int32_t ParseHex(std::string_view text);

// How a dialog field reads its number: as ParseNumber ("0x" prefix: hexadecimal, else
// decimal), as ParseHex (hexadecimal with or without "0x"), or decimal digits only.
enum class NumberText { Number, Hex, Decimal };

// The whole text (blanks around it ignored) read as one integer by `rule`, an optional sign in
// front; nothing when the text holds no digit or anything after the number. Magnitudes beyond
// 2^53 read as 2^53, so that no range of a field takes them.
std::optional<int64_t> ReadWholeNumber(std::string_view text, NumberText rule);

// " %02x" per byte; returns n (the text is empty for n < 1).
int BytesToHexText(std::string& out, const uint8_t* bytes, int n);

// Appends " %02x" per byte, or " %2x" (a blank before digits below 0x10) when `pad` is ' '.
void AppendHexBytes(std::string& out, std::span<const uint8_t> bytes, char pad = '0');


// Typed hexadecimal data (blanks and line breaks skipped) into n bytes. A group that opens with
// "0x" is one hexadecimal number of whole bytes ("0x1" is 01, "0x102" is 01 02); other digits
// pair up in order. Returns 1 and fills `normalised` ("01 AB 20 ") when the text holds exactly
// 2*n digits, all hexadecimal; else 0 (fewer, more, or another character) with the n bytes
// zeroed and `normalised` untouched.
int HexTextToBytes(std::string_view typed, std::string& normalised, int n, uint8_t* bytes);
// The digits typed hexadecimal data holds as HexTextToBytes groups them (any character that is
// no blank counts).
size_t HexTextDigits(std::string_view typed);

// Packs the decimal digits of `text` right-aligned into the n-byte field.
// Bytes in front of the digits are left as they were. Returns false, and writes nothing,
// when the text holds more than 2*n digits.
bool DigitsToBcd(std::string_view text, uint8_t* field, int n);

// Shifts the n bytes, read as one big-endian number, left by one nibble.
void ShiftNibblesLeft(uint8_t* field, int n);

// `value` with `decimals` digits after a point, whatever the locale ("474.2500").
std::string FixedPoint(double value, int decimals);
// The decimal number that `text` holds in full ("474.25", "+6.875", ".5"), read with a point
// whatever the locale; nothing for any other text.
std::optional<double> ReadDecimal(std::string_view text);

// printf into a std::string (display lines are built with the system's own formats).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// "1 packet", "3 packets": the count and the noun, plural unless the count is 1.
std::string Counted(long long count, const char* noun);

// Blanks trimmed from both ends (the dialogs' emptiness test).
std::string Trim(std::string_view text);

}  // namespace quorvelin
