// Name encodings on glibc iconv (CP936, CP950, UTF-16) and OpenCC (Traditional to Simplified).
// Every conversion pivots through UTF-16 units in host order; characters a target code page
// cannot hold, and bytes that are not valid in the source, come out as '?'.
#include "util/TextCode.h"

#include <iconv.h>
#include <opencc/SimpleConverter.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelin {
namespace {

constexpr const char* kGbk = "CP936";
constexpr const char* kBig5 = "CP950";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kHostUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char kDefaultChar = '?';
constexpr uint8_t kUcs2Selector = 0x14;  // EN 300 468 Annex A: ISO/IEC 10646 BMP
constexpr size_t kWorkUnits = 512;       // wide work area of the conversions
constexpr int kWorkBytes = 256;          // byte work area of the length functions
constexpr int kBig5OutSize = 512;        // the Big5 output area of GbkToBig5 and Utf16ToBig5

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
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.to == to && e.from == from; });
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

std::optional<iconv_t> OpenConversion(const char* to, const char* from) {
  thread_local IconvCache cache;
  return cache.Get(to, from);
}

// Converts `in`; an invalid or unconvertible stretch of `skip` source bytes becomes `replacement`.
// `firstBad`, when given, receives the offset of the first such stretch (npos when there is none).
std::string ConvertBytes(std::string_view in, const char* to, const char* from, size_t skip,
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
    const size_t n = std::min(skip, srcLeft);
    src += n;
    srcLeft -= n;
  }
  return result;
}

std::u16string Decode(std::string_view text, const char* codeset) {
  const char16_t unit = kDefaultChar;
  std::string replacement(sizeof unit, '\0');
  std::memcpy(replacement.data(), &unit, sizeof unit);
  const std::string bytes = ConvertBytes(text, kHostUtf16, codeset, 1, replacement);
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return units;
}

std::string_view BytesOf(std::u16string_view units) {
  return {reinterpret_cast<const char*>(units.data()), units.size() * 2};
}

std::string Encode(std::u16string_view units, const char* codeset) {
  return ConvertBytes(BytesOf(units), codeset, kHostUtf16, 2, std::string_view(&kDefaultChar, 1));
}

std::u16string_view UpToNul(std::u16string_view units) { return units.substr(0, units.find(u'\0')); }

std::u16string_view UpToNul(const uint16_t* text) {
  if (!text) return {};
  size_t n = 0;
  while (text[n] != 0) ++n;
  return {reinterpret_cast<const char16_t*>(text), n};
}

std::u16string GbkUnits(const char* gbk) { return gbk ? Decode(gbk, kGbk) : std::u16string(); }

uint16_t SwapUnit(uint16_t u) { return static_cast<uint16_t>((u >> 8) | (u << 8)); }

// Host-order unit as it is stored: big-endian unless the keep-order flag is set.
uint16_t StoredUnit(uint16_t u, bool keepOrder) {
  return keepOrder || std::endian::native == std::endian::big ? u : SwapUnit(u);
}

// Two bytes per unit (an odd last byte pairs with a zero byte); the text ends at a zero unit.
std::u16string UnitsFromBytes(const uint8_t* bytes, size_t count, bool bigEndian) {
  std::u16string units;
  if (!bytes) return units;
  for (size_t i = 0; i < count; i += 2) {
    const uint8_t first = bytes[i];
    const uint8_t second = i + 1 < count ? bytes[i + 1] : 0;
    const auto unit = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

// Cuts a CP936 or CP950 text to at most `max` bytes without splitting a double-byte character.
void ClipDoubleByteText(std::string& text, size_t max) {
  if (text.size() <= max) return;
  size_t end = 0;
  while (end < text.size()) {
    const size_t step = static_cast<uint8_t>(text[end]) >= 0x81 ? 2 : 1;
    if (end + step > max) break;
    end += step;
  }
  text.resize(end);
}

// Copies a text into a caller's buffer of outSize bytes, clipped and NUL-terminated.
int CopyTerminated(std::string text, char* out, int outSize) {
  if (!out || outSize <= 0) return 0;
  ClipDoubleByteText(text, static_cast<size_t>(outSize - 1));
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return static_cast<int>(text.size());
}

std::string Big5OfUnits(std::u16string_view units) { return Encode(UpToNul(units), kBig5); }

std::unique_ptr<opencc::SimpleConverter> LoadConverter(const char* config) {
  try {
    return std::make_unique<opencc::SimpleConverter>(config);
  } catch (...) {
    return {};  // no dictionary: text stays as it is
  }
}

const opencc::SimpleConverter* TraditionalToSimplified() {
  static const std::unique_ptr<opencc::SimpleConverter> converter = LoadConverter("t2s.json");
  return converter.get();
}

const opencc::SimpleConverter* SimplifiedToTaiwanTraditional() {
  static const std::unique_ptr<opencc::SimpleConverter> converter = LoadConverter("s2tw.json");
  return converter.get();
}

std::string ConvertUtf8(const opencc::SimpleConverter* converter, const std::string& utf8) {
  if (!converter) return utf8;
  try {
    return converter->Convert(utf8);
  } catch (...) {
    return utf8;
  }
}

std::string SimplifyGbk(const std::string& gbk) {
  return Utf8ToCp936(ConvertUtf8(TraditionalToSimplified(), Cp936ToUtf8(gbk)));
}

std::u16string TaiwanTraditional(std::u16string_view units) {
  return Decode(ConvertUtf8(SimplifiedToTaiwanTraditional(), Encode(units, kUtf8)), kUtf8);
}

// Offset in `in` of the first stretch that cannot be converted from `from` to `to`; npos when
// all of it converts.
size_t FirstUnconvertible(std::string_view in, const char* to, const char* from) {
  size_t bad = 0;
  ConvertBytes(in, to, from, in.size(), {}, &bad);
  return bad;
}

// The CP936 character that starts at `at` (one byte, or a lead byte and its trail byte).
std::string GbkCharacterAt(std::string_view gbk, size_t at) {
  const size_t length = static_cast<uint8_t>(gbk[at]) >= 0x81 && at + 1 < gbk.size() ? 2 : 1;
  return std::string(gbk.substr(at, length));
}

std::string SimplifiedGbkOfBig5(std::string_view big5) {
  const std::u16string units = Decode(big5.substr(0, big5.find('\0')), kBig5);
  return SimplifyGbk(Encode(units, kGbk));
}

// The units of Utf8ToAnsi's walk: ASCII bytes as they are, every other byte the head of three.
std::u16string UnitsOfThreeByteWalk(const uint8_t* utf8, size_t count) {
  std::u16string units;
  for (size_t i = 0; i < count;) {
    const uint8_t b0 = utf8[i];
    if (b0 < 0x80) {
      if (b0 == 0) break;
      units.push_back(b0);
      ++i;
      continue;
    }
    if (i + 2 >= count) break;  // sequence cut off by the end of the bytes
    const auto unit = static_cast<char16_t>((b0 & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F));
    if (unit == 0) break;
    // Each unit is converted on its own: a surrogate never pairs with its neighbour.
    units.push_back(unit >= 0xD800 && unit <= 0xDFFF ? static_cast<char16_t>(kDefaultChar) : unit);
    i += 3;
  }
  return units;
}

std::string Utf8OfUnits(std::u16string_view units) {
  std::string out(units.size() * 3 + 3, '\0');
  Utf16ToUtf8(reinterpret_cast<const uint16_t*>(units.data()), static_cast<int>(units.size() * 2),
              reinterpret_cast<uint8_t*>(out.data()), static_cast<int>(out.size()));
  out.resize(std::strlen(out.c_str()));
  return out;
}

// Text code 1 on receipt: host order, no swap, although it is encoded big-endian.
std::string GbkOfHostOrderUcs2(const uint8_t* bytes, size_t count) {
  return Encode(UnitsFromBytes(bytes, count, std::endian::native == std::endian::big), kGbk);
}

// Text code 10 on receipt: the first byte is the selector, whatever its value.
std::string GbkOfSelectorUcs2(const uint8_t* bytes, size_t count, bool keepOrder) {
  if (!bytes || count < 2) return {};
  const bool bigEndian = !keepOrder || std::endian::native == std::endian::big;
  return Encode(UnitsFromBytes(bytes + 1, count - 1, bigEndian), kGbk);
}

void AppendBigEndianUnits(std::vector<uint8_t>& out, std::u16string_view units) {
  for (const char16_t u : units) {
    out.push_back(static_cast<uint8_t>(u >> 8));
    out.push_back(static_cast<uint8_t>(u & 0xFF));
  }
}

}  // namespace

int TextCode() { return g_textCode; }
void SetTextCode(int code) { g_textCode = code; }

int GbkToUcs2Be(uint16_t* out, int outUnits, const char* gbk, bool keepOrder) {
  if (!out || outUnits <= 0) return 0;
  const std::u16string units = GbkUnits(gbk);
  const size_t n = std::min(units.size(), static_cast<size_t>(outUnits));
  for (size_t i = 0; i < n; ++i) out[i] = StoredUnit(units[i], keepOrder);
  if (n < static_cast<size_t>(outUnits)) out[n] = 0;
  return static_cast<int>(2 * n);
}

int GbkToSelectorUcs2Be(uint8_t* out, int outUnits, const char* gbk, bool keepOrder) {
  if (!out || outUnits <= 0) return 0;
  std::u16string units = GbkUnits(gbk);
  units.resize(std::min(units.size(), kWorkUnits));
  const size_t room = (2 * static_cast<size_t>(outUnits) - 1) / 2;  // units behind the selector
  const size_t n = std::min(units.size(), room);
  out[0] = kUcs2Selector;
  for (size_t i = 0; i < n; ++i) {
    const uint16_t stored = StoredUnit(units[i], keepOrder);
    std::memcpy(out + 1 + 2 * i, &stored, 2);
  }
  return static_cast<int>(2 * n + 1);
}

int GbkToUtf8(char* out, int outSize, const char* gbk) {
  if (!out || outSize <= 0) return 0;
  std::memset(out, 0, static_cast<size_t>(outSize));
  std::u16string units = GbkUnits(gbk);
  units.resize(std::min(units.size(), kWorkUnits));
  // One byte less than the area, so the text always stays terminated.
  Utf16ToUtf8(reinterpret_cast<const uint16_t*>(units.data()), static_cast<int>(units.size() * 2),
              reinterpret_cast<uint8_t*>(out), outSize - 1);
  return static_cast<int>(std::strlen(out));
}

int GbkToBig5(char* out, const char* gbk) {
  if (!out) return 0;
  std::u16string units = GbkUnits(gbk);
  units.resize(std::min(units.size(), kWorkUnits));
  units.push_back(u'\0');
  Utf16ToBig5(reinterpret_cast<const uint16_t*>(units.data()), out);
  return static_cast<int>(std::strlen(out));
}

int Ucs2ByteLength(const char* gbk) { return static_cast<int>(2 * std::min(GbkUnits(gbk).size(), kWorkUnits)); }

int Utf8ByteLength(const char* gbk) {
  std::array<char, kWorkBytes> work{};
  return GbkToUtf8(work.data(), kWorkBytes, gbk);
}

int Big5ByteLength(const char* gbk) {
  std::u16string units = GbkUnits(gbk);
  units.resize(std::min(units.size(), kWorkUnits));
  std::string big5 = Big5OfUnits(units);
  ClipDoubleByteText(big5, kWorkBytes - 1);
  return static_cast<int>(big5.size());
}

void Ucs2LeToGbk(const uint8_t* bytes, int count, char* out, int outSize) {
  CopyTerminated(GbkOfHostOrderUcs2(bytes, static_cast<size_t>(std::max(count, 0))), out, outSize);
}

void SelectorUcs2BeToGbk(const uint8_t* bytes, int count, char* out, int outSize, bool keepOrder) {
  CopyTerminated(GbkOfSelectorUcs2(bytes, static_cast<size_t>(std::max(count, 0)), keepOrder), out, outSize);
}

int Utf8ToAnsi(char* out, const uint8_t* utf8, int count) {
  if (!out) return 0;
  const size_t n = utf8 && count > 0 ? static_cast<size_t>(count) : 0;
  const std::string gbk = Encode(UnitsOfThreeByteWalk(utf8, n), kGbk);
  // Every unit comes from at least one byte and gives at most two: 2*count+1 always holds it.
  return CopyTerminated(gbk, out, static_cast<int>(2 * n + 1));
}

int Big5ToSimplifiedGbk(char* out, int outSize, const char* big5) {
  if (!out || outSize <= 0) return 0;
  return CopyTerminated(big5 ? SimplifiedGbkOfBig5(big5) : std::string(), out, outSize);
}

int EncodeUtf8Unit(uint8_t* out, uint16_t unit) {
  if (unit == 0 || !out) return -1;
  if (unit < 0x80) {
    out[0] = static_cast<uint8_t>(unit);
    return 1;
  }
  if (unit < 0x800) {
    out[0] = static_cast<uint8_t>(0xC0 | unit >> 6);
    out[1] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
    return 2;
  }
  out[0] = static_cast<uint8_t>(0xE0 | unit >> 12);
  out[1] = static_cast<uint8_t>(0x80 | (unit >> 6 & 0x3F));
  out[2] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
  return 3;
}

void Utf16ToUtf8(const uint16_t* units, int byteCount, uint8_t* out, int outSize) {
  if (!units || !out || byteCount <= 0) return;
  const long long count = byteCount / 2;
  long long written = 0;
  for (long long i = 0; i < count; ++i) {
    if (static_cast<long long>(outSize) - 3 * i < 3) break;  // room for one more unit is gone
    const int n = EncodeUtf8Unit(out + written, units[i]);
    if (n < 0) break;  // a zero unit ends the text
    written += n;
  }
}

void Utf16ToBig5(const uint16_t* text, char* out) {
  if (!out) return;
  std::string big5 = Big5OfUnits(UpToNul(text));
  ClipDoubleByteText(big5, kBig5OutSize - 2);
  std::memcpy(out, big5.data(), big5.size());
  out[big5.size()] = '\0';
  out[big5.size() + 1] = '\0';
}

std::vector<char> Utf16ToGbkAlloc(const uint16_t* text) {
  const std::string gbk = Encode(UpToNul(text), kGbk);
  std::vector<char> out(gbk.begin(), gbk.end());
  out.push_back('\0');
  return out;
}

std::vector<uint8_t> EncodeName(const std::string& gbk, int code) {
  const std::string_view typed(gbk.c_str());
  std::vector<uint8_t> wire;
  switch (code) {
    case 1:
      AppendBigEndianUnits(wire, Decode(typed, kGbk));
      break;
    case 3: {
      const std::string utf8 = Utf8OfUnits(Decode(typed, kGbk));
      wire.assign(utf8.begin(), utf8.end());
      break;
    }
    case 4: {
      const std::string big5 = Big5OfUnits(TaiwanTraditional(Decode(typed, kGbk)));
      wire.assign(big5.begin(), big5.end());
      break;
    }
    case 10:
      wire.push_back(kUcs2Selector);
      AppendBigEndianUnits(wire, Decode(typed, kGbk));
      break;
    default:
      wire.assign(gbk.begin(), gbk.end());
      break;
  }
  return wire;
}

std::string UnencodableCharacter(const std::string& gbk, int code) {
  if (code != 1 && code != 3 && code != 4 && code != 10) return {};  // the bytes go as typed
  const std::string_view typed(gbk.c_str());
  if (const size_t bad = FirstUnconvertible(typed, kHostUtf16, kGbk); bad != std::string_view::npos)
    return GbkCharacterAt(typed, bad);
  if (code != 4) return {};  // UCS-2 and UTF-8 hold every character of CP936
  const std::u16string units = Decode(typed, kGbk);
  const std::u16string traditional = TaiwanTraditional(units);
  const size_t bad = FirstUnconvertible(BytesOf(traditional), kBig5, kHostUtf16);
  if (bad == std::string_view::npos) return {};
  const size_t unit = bad / 2;
  // s2tw turns character for character: name the one the user typed.
  const std::u16string_view shown = traditional.size() == units.size() ? units : traditional;
  return Encode(shown.substr(unit, 1), kGbk);
}

std::string DecodeName(const uint8_t* bytes, size_t count, int code) {
  if (!bytes) return {};
  switch (code) {
    case 1:
      return GbkOfHostOrderUcs2(bytes, count);
    case 3:
      return Encode(UnitsOfThreeByteWalk(bytes, count), kGbk);
    case 4:
      return SimplifiedGbkOfBig5(std::string_view(reinterpret_cast<const char*>(bytes), count));
    case 10:
      return GbkOfSelectorUcs2(bytes, count, false);
    default:
      return std::string(reinterpret_cast<const char*>(bytes), count);
  }
}

std::string Cp936ToUtf8(const std::string& gbk) { return Encode(Decode(gbk, kGbk), kUtf8); }

std::string Utf8ToCp936(const std::string& utf8) { return Encode(Decode(utf8, kUtf8), kGbk); }

}  // namespace quorvelin
