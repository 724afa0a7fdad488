// Name codings on glibc iconv and OpenCC (Traditional and Simplified Chinese). Text is UTF-8;
// characters a table cannot hold, and bytes that are not valid in their table, come out as '?'.
#include "util/TextCode.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <memory>
#include <opencc/SimpleConverter.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelin {
namespace {

constexpr const char* kGbk = "CP936";
constexpr const char* kBig5TextCode = "CP950";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kUcs2 = "UCS-2BE";
constexpr const char* kHostUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr size_t kUtf8Character = 0;   // pass over one UTF-8 character, however long
constexpr int kSelectorTextCode = 10;  // new names: selector 0x14 + UCS-2
constexpr uint8_t kSelectorUcs2OfTextCode = 0x14;

int g_textCode = 0;

// Open conversions, one per direction and thread, each reset to its initial state before use:
// opening a conversion costs more than converting a name with it. Closed when the thread ends.
class IconvCache {
 public:
  IconvCache() = default;
  IconvCache(const IconvCache&) = delete;
  IconvCache& operator=(const IconvCache&) = delete;
  ~IconvCache() {
    for (const Entry& e : entries_)
      if (e.cd != kFailed) iconv_close(e.cd);
  }
  // The conversion from `from` to `to`, or nothing when iconv does not have it.
  std::optional<iconv_t> Get(const char* to, const char* from) {
    auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.to == to && e.from == from; });
    if (it == entries_.end()) it = entries_.insert(entries_.end(), Entry{to, from, iconv_open(to, from)});
    if (it->cd == kFailed) return std::nullopt;
    iconv(it->cd, nullptr, nullptr, nullptr, nullptr);
    return it->cd;
  }

 private:
  struct Entry {
    std::string to, from;
    iconv_t cd;
  };
  static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
  std::vector<Entry> entries_;
};

std::optional<iconv_t> OpenConversion(const std::string& to, const std::string& from) {
  thread_local IconvCache cache;
  return cache.Get(to.c_str(), from.c_str());
}

// Bytes passed over where a sequence does not convert: `unit` bytes, or one UTF-8 character
// (its lead byte and the continuation bytes that follow it).
size_t SkipOf(std::string_view rest, size_t unit) {
  if (unit != kUtf8Character) return std::min(unit, rest.size());
  const auto lead = static_cast<uint8_t>(rest[0]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  size_t n = 1;
  while (n < length && n < rest.size() && (static_cast<uint8_t>(rest[n]) & 0xC0) == 0x80) ++n;
  return n;
}

// Converts `in`; a sequence that is not valid or has no form in `to` becomes `replacement`.
// `firstBad`, when given, receives the offset of the first such sequence (npos when there is none).
std::string ConvertBytes(std::string_view in, const std::string& to, const std::string& from, size_t unit,
                         std::string_view replacement, size_t* firstBad = nullptr) {
  std::string result;
  if (firstBad) *firstBad = std::string_view::npos;
  const std::optional<iconv_t> cd = OpenConversion(to, from);
  if (!cd) {
    if (firstBad) *firstBad = 0;
    return result;
  }
  char* src = const_cast<char*>(in.data());  // iconv's signature; the input is not written
  size_t srcLeft = in.size();
  std::array<char, 1024> chunk{};
  while (srcLeft > 0) {
    char* dst = chunk.data();
    size_t dstLeft = chunk.size();
    const size_t r = iconv(*cd, &src, &srcLeft, &dst, &dstLeft);
    const int err = errno;
    result.append(chunk.data(), static_cast<size_t>(dst - chunk.data()));
    if (r != static_cast<size_t>(-1)) break;
    if (err == E2BIG) continue;
    if (firstBad && *firstBad == std::string_view::npos) *firstBad = static_cast<size_t>(src - in.data());
    result.append(replacement);
    if (err != EILSEQ) break;  // incomplete sequence at the end of the input
    const size_t n = SkipOf(std::string_view(src, srcLeft), unit);
    src += n;
    srcLeft -= n;
  }
  return result;
}

std::string ToUtf8(std::string_view bytes, const std::string& codeset, size_t unit) {
  return ConvertBytes(bytes, kUtf8, codeset, unit, "?");
}

// Offset in `utf8` of the first character that has no form in `codeset`; npos when all convert.
size_t FirstUnconvertible(std::string_view utf8, const std::string& codeset) {
  size_t bad = 0;
  ConvertBytes(utf8, codeset, kUtf8, utf8.size(), {}, &bad);
  return bad;
}

size_t CharacterCount(std::string_view utf8) {
  return static_cast<size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

// The `index`-th UTF-8 character of `utf8`.
std::string CharacterAt(std::string_view utf8, size_t index) {
  size_t at = 0;
  for (; at < utf8.size() && index > 0; --index) at += SkipOf(utf8.substr(at), kUtf8Character);
  return at < utf8.size() ? std::string(utf8.substr(at, SkipOf(utf8.substr(at), kUtf8Character))) : std::string();
}

std::unique_ptr<opencc::SimpleConverter> LoadConverter(const char* config) {
  try {
    return std::make_unique<opencc::SimpleConverter>(config);
  } catch (...) {
    return {};  // no dictionary: text stays as it is
  }
}

std::string ConvertChinese(const opencc::SimpleConverter* converter, const std::string& utf8) {
  if (!converter) return utf8;
  try {
    return converter->Convert(utf8);
  } catch (...) {
    return utf8;
  }
}

std::string Simplified(const std::string& utf8) {
  static const std::unique_ptr<opencc::SimpleConverter> converter = LoadConverter("t2s.json");
  return ConvertChinese(converter.get(), utf8);
}

std::string TaiwanTraditional(const std::string& utf8) {
  static const std::unique_ptr<opencc::SimpleConverter> converter = LoadConverter("s2tw.json");
  return ConvertChinese(converter.get(), utf8);
}

// How received bytes of a table are read, apart from converting them.
enum class Reading {
  Plain,
  HostOrderUcs2,   // two bytes per unit in host order, up to a zero unit
  SimplifiedBig5,  // up to a zero byte, Traditional characters shown Simplified (s2tw on writing)
};

// A character table: the selector bytes in front of the text and the coding behind them.
struct Table {
  std::string selector;
  std::string codeset = kGbk;
  size_t unit = 1;  // bytes passed over where a received sequence is not valid
  Reading reading = Reading::Plain;
  std::string label;    // the character table's name; empty for the text code's own tables
  bool written = true;  // false: a selector this program does not write; read under the text code
};

// The table of a name without a selector.
Table CodeTable(int code) {
  Table t;
  if (code == 1) {
    t.codeset = kUcs2;
    t.unit = 2;
    t.reading = Reading::HostOrderUcs2;
  } else if (code == 3) {
    t.codeset = kUtf8;
  } else if (code == 4) {
    t.codeset = kBig5TextCode;
    t.reading = Reading::SimplifiedBig5;
  }
  return t;
}

// The table of a new name.
Table NewNameTable(int code) {
  Table t = CodeTable(code);
  if (code == kSelectorTextCode) {
    t.selector = std::string(1, static_cast<char>(kSelectorUcs2OfTextCode));
    t.codeset = kUcs2;
    t.unit = 2;
  }
  return t;
}

Table Selected(std::string_view selector, std::string codeset, std::string label, size_t unit = 1) {
  Table t;
  t.selector = std::string(selector);
  t.codeset = std::move(codeset);
  t.label = std::move(label);
  t.unit = unit;
  return t;
}

Table Iso8859(std::string_view selector, int number) {
  const std::string n = std::to_string(number);
  return Selected(selector, "ISO-8859-" + n, "ISO/IEC 8859-" + n);
}

// The table that the first byte(s) of `name` select (EN 300 468 Annex A, table A.3).
Table SelectedTable(std::string_view name, int code) {
  const auto first = static_cast<uint8_t>(name[0]);
  if (first <= 0x0B && first != 0x08) return Iso8859(name.substr(0, 1), first + 4);
  if (first == 0x10 && name.size() >= 3 && name[1] == 0) {
    const int number = static_cast<uint8_t>(name[2]);
    if (number >= 1 && number <= 15 && number != 12) return Iso8859(name.substr(0, 3), number);
  }
  switch (first) {
    case 0x11:
      return Selected(name.substr(0, 1), kUcs2, "ISO/IEC 10646", 2);
    case 0x12:
      return Selected(name.substr(0, 1), "EUC-KR", "KS X 1001");
    case 0x13:
      return Selected(name.substr(0, 1), "GB2312", "GB2312");
    case 0x14:
      if (code == kSelectorTextCode) return NewNameTable(code);
      return Selected(name.substr(0, 1), "BIG5", "Big5");
    case 0x15:
      return Selected(name.substr(0, 1), kUtf8, "UTF-8");
    default:
      break;
  }
  // reserved, 0x10 naming no ISO/IEC 8859 table, or 0x1F encoding_type_id
  Table t = CodeTable(code);
  t.selector = std::string(name.substr(0, first == 0x10 ? 3 : first == 0x1F ? 2 : 1));
  t.written = false;
  return t;
}

Table TableOf(std::string_view name, int code) {
  const bool selector =
      code != 1 && !name.empty() && static_cast<uint8_t>(name[0]) >= 0x01 && static_cast<uint8_t>(name[0]) <= 0x1F;
  return selector ? SelectedTable(name, code) : CodeTable(code);
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

Table WrittenTable(int code, std::span<const uint8_t> previous) {
  if (!previous.empty()) {
    Table t = TableOf(AsText(previous), code);
    if (t.written) return t;
  }
  return NewNameTable(code);
}

// Host-order UCS-2 up to its zero unit; an odd last byte pairs with a zero byte.
std::string HostOrderUnits(std::string_view body) {
  std::string units(body);
  if (units.size() % 2) units.push_back('\0');
  for (size_t i = 0; i < units.size(); i += 2)
    if (units[i] == 0 && units[i + 1] == 0) units.resize(i);
  return units;
}

// The typed text as it is written in `t`: up to a zero character, Simplified characters made
// Traditional for Big5 of the text code.
std::string WrittenText(const std::string& text, const Table& t) {
  const std::string typed(text.c_str());
  return t.reading == Reading::SimplifiedBig5 ? TaiwanTraditional(typed) : typed;
}

}  // namespace

int TextCode() { return g_textCode; }
void SetTextCode(int code) { g_textCode = code; }

std::string DecodeName(const uint8_t* bytes, size_t count, int code) {
  if (!bytes) return {};
  const std::string_view name = AsText({bytes, count});
  const Table t = TableOf(name, code);
  const std::string_view body = name.substr(t.selector.size());
  switch (t.reading) {
    case Reading::HostOrderUcs2:
      return ToUtf8(HostOrderUnits(body), kHostUtf16, 2);
    case Reading::SimplifiedBig5:
      return Simplified(ToUtf8(body.substr(0, body.find('\0')), t.codeset, 1));
    case Reading::Plain:
      break;
  }
  return ToUtf8(body, t.codeset, t.unit);
}

std::vector<uint8_t> EncodeName(const std::string& text, int code, std::span<const uint8_t> previous) {
  const Table t = WrittenTable(code, previous);
  const std::string replacement = ConvertBytes("?", t.codeset, kUtf8, kUtf8Character, {});
  const std::string coded = ConvertBytes(WrittenText(text, t), t.codeset, kUtf8, kUtf8Character, replacement);
  std::vector<uint8_t> wire(t.selector.begin(), t.selector.end());
  wire.insert(wire.end(), coded.begin(), coded.end());
  return wire;
}

std::string UnencodableCharacter(const std::string& text, int code, std::span<const uint8_t> previous) {
  const Table t = WrittenTable(code, previous);
  const std::string typed(text.c_str());
  const std::string written = WrittenText(text, t);
  const size_t bad = FirstUnconvertible(written, t.codeset);
  if (bad == std::string_view::npos) return {};
  const size_t index = CharacterCount(std::string_view(written).substr(0, bad));
  // s2tw turns character for character: name the one the user typed.
  return CharacterAt(CharacterCount(written) == CharacterCount(typed) ? typed : written, index);
}

std::string NameTableName(int code, std::span<const uint8_t> previous) {
  const Table t = WrittenTable(code, previous);
  return t.label.empty() ? "text code " + std::to_string(code) : "character table " + t.label;
}

namespace {
constexpr const char* kIso6937 = "ISO_6937";
constexpr const char* kIso885915 = "ISO-8859-15";
constexpr uint8_t kSelector885915 = 0x0B, kSelectorUtf8 = 0x15;
}  // namespace

namespace {
// Where the ISO/IEC 6937 table of the exchange differs from the system's: 0xA4 is the euro sign
// (the system has none), 0xD0 the horizontal bar and 0xE2 D with stroke (the system: em dash and
// eth, which the exchange leaves to the other tables).
struct Iso6937Byte {
  uint8_t byte;
  std::string_view exchange, system;
};
constexpr Iso6937Byte kIso6937Bytes[] = {
    {0xA4, "\u20AC", ""}, {0xD0, "\u2015", "\u2014"}, {0xE2, "\u0110", "\u00D0"}};

// The text in the exchange's ISO/IEC 6937; nothing when a character is not in it.
std::optional<std::string> ToIso6937(std::string_view utf8) {
  std::string out;
  size_t from = 0;
  const auto segment = [&](size_t end) {
    const std::string_view part = utf8.substr(from, end - from);
    for (const Iso6937Byte& b : kIso6937Bytes)
      if (!b.system.empty() && part.find(b.system) != std::string_view::npos) return false;
    if (FirstUnconvertible(part, kIso6937) != std::string_view::npos) return false;
    out += ConvertBytes(part, kIso6937, kUtf8, kUtf8Character, {});
    return true;
  };
  for (size_t at = 0; at < utf8.size();) {
    const Iso6937Byte* hit = nullptr;
    for (const Iso6937Byte& b : kIso6937Bytes)
      if (utf8.substr(at, b.exchange.size()) == b.exchange) hit = &b;
    if (!hit) {
      ++at;
      continue;
    }
    if (!segment(at)) return std::nullopt;
    out += static_cast<char>(hit->byte);
    at += hit->exchange.size();
    from = at;
  }
  if (!segment(utf8.size())) return std::nullopt;
  return out;
}

// ISO/IEC 6937 bytes as the exchange reads them; nothing when a byte is not valid.
std::optional<std::string> FromIso6937(std::string_view bytes) {
  std::string out;
  size_t from = 0;
  const auto segment = [&](size_t end) {
    size_t bad = 0;
    out += ConvertBytes(bytes.substr(from, end - from), kUtf8, kIso6937, 1, {}, &bad);
    return bad == std::string_view::npos;
  };
  for (size_t at = 0; at < bytes.size(); ++at)
    for (const Iso6937Byte& b : kIso6937Bytes)
      if (static_cast<uint8_t>(bytes[at]) == b.byte) {
        if (!segment(at)) return std::nullopt;
        out += b.exchange;
        from = at + 1;
      }
  if (!segment(bytes.size())) return std::nullopt;
  return out;
}
}  // namespace

std::vector<uint8_t> EncodeExchangeText(const std::string& utf8) {
  std::vector<uint8_t> out;
  std::string coded;
  if (const auto iso6937 = ToIso6937(utf8)) {
    coded = *iso6937;
  } else if (FirstUnconvertible(utf8, kIso885915) == std::string_view::npos) {
    out.push_back(kSelector885915);
    coded = ConvertBytes(utf8, kIso885915, kUtf8, kUtf8Character, {});
  } else {
    out.push_back(kSelectorUtf8);
    coded = utf8;
  }
  out.insert(out.end(), coded.begin(), coded.end());
  return out;
}

std::optional<std::string> DecodeExchangeText(std::span<const uint8_t> bytes) {
  const std::string_view all = AsText(bytes);
  const uint8_t first = bytes.empty() ? 0x20 : bytes[0];
  if (first >= 0x20) return FromIso6937(all);
  const char* codeset = first == kSelector885915 ? kIso885915 : first == kSelectorUtf8 ? kUtf8 : nullptr;
  if (!codeset) return std::nullopt;
  size_t bad = 0;
  std::string text = ConvertBytes(all.substr(1), kUtf8, codeset, 1, {}, &bad);
  if (bad != std::string_view::npos) return std::nullopt;
  return text;
}

}  // namespace quorvelin
