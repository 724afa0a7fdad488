#include "util/Number.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace quorvelin {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsScanBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// What typed hexadecimal data skips between its digits.
bool IsDataBlank(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

// The "%x" scanning rule: blanks, sign, optional 0x, hexadecimal digits.
// Returns false when no digit was converted.
bool ScanHex(std::string_view t, uint32_t& value) {
  size_t i = 0;
  while (i < t.size() && IsScanBlank(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X') && i + 2 < t.size() &&
      HexDigit(t[i + 2]) >= 0) {
    i += 2;
  }
  uint32_t v = 0;
  bool any = false;
  for (; i < t.size() && HexDigit(t[i]) >= 0; ++i) {
    v = v * 16u + static_cast<uint32_t>(HexDigit(t[i]));
    any = true;
  }
  if (!any) return false;
  value = negative ? 0u - v : v;
  return true;
}

bool ScanDecimal(std::string_view t, uint32_t& value) {
  size_t i = 0;
  while (i < t.size() && IsScanBlank(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  uint32_t v = 0;
  bool any = false;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    v = v * 10u + static_cast<uint32_t>(t[i] - '0');
    any = true;
  }
  if (!any) return false;
  value = negative ? 0u - v : v;
  return true;
}

}  // namespace

int32_t ParseNumber(std::string_view text) {
  uint32_t v = 0;
  size_t i = 0;
  while (i < text.size() && IsScanBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    if (!ScanHex(text, v)) v = 0;
  } else if (!ScanDecimal(text, v)) {
    v = 0;
  }
  return static_cast<int32_t>(v);
}

std::optional<int64_t> ReadWholeNumber(std::string_view text, NumberText rule) {
  constexpr int64_t kCap = int64_t{1} << 53;
  const std::string t = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const bool prefixed = i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X');
  if (prefixed && rule != NumberText::Decimal) i += 2;
  const int base = rule == NumberText::Hex || (rule == NumberText::Number && prefixed) ? 16 : 10;
  if (i == t.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < t.size(); ++i) {
    const int digit = HexDigit(t[i]);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = std::min(kCap, value * base + digit);
  }
  return negative ? -value : value;
}

int32_t ParseHex(std::string_view text) {
  uint32_t v = 0;
  if (!ScanHex(text, v)) v = 0;
  return static_cast<int32_t>(v);
}

void AppendHexBytes(std::string& out, std::span<const uint8_t> bytes, char pad) {
  static const char kDigits[] = "0123456789abcdef";
  size_t at = out.size();
  out.resize(at + 3 * bytes.size());
  for (const uint8_t b : bytes) {
    out[at++] = ' ';
    out[at++] = b >> 4 ? kDigits[b >> 4] : pad;
    out[at++] = kDigits[b & 0x0F];
  }
}

int BytesToHexText(std::string& out, const uint8_t* bytes, int n) {
  out.clear();
  if (n > 0) AppendHexBytes(out, {bytes, static_cast<size_t>(n)});
  return n;
}

namespace {

// The digits of typed hexadecimal data, a "0x" group padded to whole bytes; false for a bare "0x".
bool HexDigitsOf(std::string_view typed, std::string& digits) {
  for (size_t at = 0; at < typed.size();) {
    if (IsDataBlank(typed[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < typed.size() && !IsDataBlank(typed[end])) ++end;
    std::string_view group = typed.substr(at, end - at);
    if (group.size() >= 2 && group[0] == '0' && (group[1] == 'x' || group[1] == 'X')) {
      group.remove_prefix(2);
      if (group.empty()) return false;
      if (group.size() % 2) digits += '0';  // a number of whole bytes
    }
    digits.append(group);
    at = end;
  }
  return true;
}

}  // namespace

size_t HexTextDigits(std::string_view typed) {
  std::string digits;
  HexDigitsOf(typed, digits);
  return digits.size();
}

int HexTextToBytes(std::string_view typed, std::string& normalised, int n, uint8_t* bytes) {
  if (n < 0) return 0;
  if (n > 0) std::memset(bytes, 0, static_cast<size_t>(n));
  const size_t wanted = 2 * static_cast<size_t>(n);
  std::string digits;
  digits.reserve(wanted);
  if (!HexDigitsOf(typed, digits) || digits.size() != wanted) return 0;
  for (char c : digits)
    if (HexDigit(c) < 0) return 0;
  std::string text;
  text.reserve(3 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const char high = digits[2 * static_cast<size_t>(i)], low = digits[2 * static_cast<size_t>(i) + 1];
    bytes[i] = static_cast<uint8_t>(HexDigit(high) << 4 | HexDigit(low));
    text += high;
    text += low;
    text += ' ';
  }
  normalised = std::move(text);
  return 1;
}

bool DigitsToBcd(std::string_view text, uint8_t* field, int n) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  if (n < 0 || digits.size() > 2 * static_cast<size_t>(n)) return false;
  int pos = n - 1;
  for (size_t end = digits.size(); end > 0 && pos >= 0; --pos) {
    const int low = digits[end - 1] - '0';
    const int high = end >= 2 ? digits[end - 2] - '0' : 0;
    field[pos] = static_cast<uint8_t>(high << 4 | low);
    end = end >= 2 ? end - 2 : 0;
  }
  return true;
}

void ShiftNibblesLeft(uint8_t* field, int n) {
  for (int i = 0; i < n; ++i) {
    const uint8_t next = i + 1 < n ? static_cast<uint8_t>(field[i + 1] >> 4) : 0;
    field[i] = static_cast<uint8_t>((field[i] << 4) | next);
  }
}

std::string FixedPoint(double value, int decimals) {
  char text[400];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(text, r.ptr) : std::string();
}

std::optional<double> ReadDecimal(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Counted(long long count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  char small[256];
  va_list copy;
  va_copy(copy, args);
  const int len = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  std::string out;
  if (len < 0) {
    va_end(args);
    return out;
  }
  if (static_cast<size_t>(len) < sizeof small) {
    out.assign(small, static_cast<size_t>(len));
  } else {
    out.resize(static_cast<size_t>(len));
    std::vsnprintf(out.data(), out.size() + 1, fmt, args);
  }
  va_end(args);
  return out;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n'))
    --e;
  return std::string(text.substr(b, e - b));
}

}  // namespace quorvelin
