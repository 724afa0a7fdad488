#include "util/TextCode.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace quorvelin {
namespace {

using Bytes = std::vector<uint8_t>;

// GBK: 中文 (U+4E2D U+6587)
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";
// Big5: 臺灣電視; GBK: 臺灣電視 and 台湾电视
const std::string kTaiwanTvBig5 = "\xBB\x4F\xC6\x57\xB9\x71\xB5\xF8";
const std::string kTaiwanTvTraditionalGbk = "\xC5\x5F\x9E\xB3\xEB\x8A\xD2\x95";
const std::string kTaiwanTvSimplifiedGbk = "\xCC\xA8\xCD\xE5\xB5\xE7\xCA\xD3";

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string Decode(const Bytes& wire, int code) { return DecodeName(wire.data(), wire.size(), code); }
std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

// Code 1: UCS-2 big-endian out, host order in; 10: selector 0x14 then UCS-2 big-endian; 3: UTF-8;
// 4: Big5 out (Simplified characters made Traditional first), Simplified in; others: the bytes.
TEST(TextCode, NamesAreEncodedAndDecodedByTheTextCode) {
  const struct {
    int code;
    std::string text;
    Bytes wire;
  } encoded[] = {{1, kZhongWen, {0x4E, 0x2D, 0x65, 0x87}},
                 {10, kZhongWen, {0x14, 0x4E, 0x2D, 0x65, 0x87}},
                 {3, "abc", {0x61, 0x62, 0x63}},
                 {3, "\xD6\xD0", {0xE4, 0xB8, 0xAD}},
                 {4, kTaiwanTvTraditionalGbk, ToBytes(kTaiwanTvBig5)},
                 {4, kTaiwanTvSimplifiedGbk, ToBytes(kTaiwanTvBig5)}};
  for (const auto& e : encoded) EXPECT_EQ(EncodeName(e.text, e.code), e.wire) << e.code;
  const struct {
    int code;
    Bytes wire;
    std::string text;
  } decoded[] = {{1, {0x2D, 0x4E, 0x87, 0x65, 0x00, 0x00, 0x41, 0x00}, kZhongWen},  // stops at the zero unit
                 {10, {0x14, 0x4E, 0x2D, 0x65, 0x87}, kZhongWen},
                 {10, {0x14}, ""},
                 {10, {0x14, 0xD8, 0x00, 0x00, 0x41}, "?A"},  // an unpaired surrogate
                 {3, {'a', 0xE4, 0xB8}, "a"},                 // a sequence cut off by the end
                 {4, ToBytes(kTaiwanTvBig5), kTaiwanTvSimplifiedGbk}};
  for (const auto& d : decoded) EXPECT_EQ(Decode(d.wire, d.code), d.text) << d.code;
  EXPECT_NE(Decode(EncodeName(kZhongWen, 1), 1), kZhongWen);  // what code 1 encodes does not come back
  for (int code : {0, 2, 5, 11, -1}) {
    EXPECT_EQ(EncodeName(kZhongWen, code), ToBytes(kZhongWen)) << code;
    EXPECT_EQ(UnencodableCharacter("a\x81", code), "") << code;
    EXPECT_EQ(Decode(Bytes{0xD6, 0xD0, 0x00, 0x41}, code), std::string("\xD6\xD0\0A", 4)) << code;
  }
  EXPECT_EQ(UnencodableCharacter(kTaiwanTvSimplifiedGbk, 4), "");
  EXPECT_EQ(UnencodableCharacter("ab\xDF\xC7" "c", 4), "\xDF\xC7");  // no Big5 form even after s2tw
  EXPECT_EQ(UnencodableCharacter("a\x81", 3), "\x81");              // lead byte without trail byte
  EXPECT_EQ(Utf8ToCp936("a\xE0\xB8\x81" "b"), "a?b");                // Thai KO KAI has no GBK code
  EXPECT_EQ(Cp936ToUtf8("a\x81"), "a?");
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8(kZhongWen)), kZhongWen);
}

// The work-area lengths keep their rules (three bytes reserved per UTF-8 unit in 256, Big5 in 255)
// while EncodeName is whole.
TEST(TextCode, LengthsOfTheWorkAreasAndOfWholeNames) {
  const std::string longBig5 = Repeat(kTaiwanTvTraditionalGbk, 80);  // 320 characters
  EXPECT_EQ(Utf8ByteLength("abc") << 16 | Utf8ByteLength(kZhongWen.c_str()) << 8 |
                Utf8ByteLength(std::string(100, 'n').c_str()),
            3 << 16 | 6 << 8 | 85);
  EXPECT_EQ(Big5ByteLength(kTaiwanTvTraditionalGbk.c_str()) << 16 | Big5ByteLength(longBig5.c_str()), 8 << 16 | 254);
  for (const auto& [text, code, size] : {std::tuple{std::string(100, 'n'), 3, 100u}, {Repeat(kZhongWen, 100), 3, 600u},
                                         {Repeat(kZhongWen, 100), 10, 401u}, {longBig5, 4, 640u}})
    EXPECT_EQ(EncodeName(text, code).size(), size) << code;
}

// Each converter writes inside the room its caller gives, clipped at a character boundary.
TEST(TextCode, ConvertersStayInsideTheirAreas) {
  std::array<uint16_t, 8> units{};
  units.fill(0xAAAA);
  EXPECT_EQ(GbkToUcs2Be(units.data(), 8, kZhongWen.c_str(), false), 4);
  EXPECT_EQ(std::memcmp(units.data(), "\x4E\x2D\x65\x87\0", 6), 0);
  EXPECT_EQ(GbkToUcs2Be(units.data(), 8, kZhongWen.c_str(), true) << 16 | units[0], 4 << 16 | 0x4E2D);
  units.fill(0xBBBB);
  EXPECT_EQ(GbkToUcs2Be(units.data(), 2, "abcd", true) << 16 | units[2], 4 << 16 | 0xBBBB);

  std::array<uint8_t, 16> bytes{};
  bytes.fill(0xEE);
  EXPECT_EQ(GbkToSelectorUcs2Be(bytes.data(), 2, kZhongWen.c_str(), false), 3);  // 4 bytes of room
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x14, 0x4E, 0x2D, 0xEE}));

  std::array<char, 16> text{};
  const Bytes hostOrder{0x11, 0x2D, 0x4E, 0x87, 0x65};  // any selector; keep-order reads host order
  SelectorUcs2BeToGbk(hostOrder.data(), 5, text.data(), 16, true);
  EXPECT_EQ(std::string(text.data()), kZhongWen);
  const Bytes wire{0x14, 0x4E, 0x2D, 0x65, 0x87};
  text.fill('#');
  SelectorUcs2BeToGbk(wire.data(), 5, text.data(), 4, false);
  EXPECT_EQ(std::string(text.data()) + text[4], "\xD6\xD0#");  // the second character no longer fits
  Ucs2LeToGbk(wire.data(), 5, text.data(), 1);
  EXPECT_EQ(text[0], '\0');

  std::array<char, 600> out{};
  EXPECT_EQ(GbkToUtf8(out.data(), 256, kZhongWen.c_str()), 6);
  EXPECT_STREQ(out.data(), "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(Big5ToSimplifiedGbk(out.data(), 64, kTaiwanTvBig5.c_str()), 8);
  EXPECT_EQ(std::string(out.data()), kTaiwanTvSimplifiedGbk);
  EXPECT_EQ(Big5ToSimplifiedGbk(out.data(), 5, kTaiwanTvBig5.c_str()), 4);
  out.fill('#');
  EXPECT_EQ(GbkToBig5(out.data(), Repeat(kTaiwanTvTraditionalGbk, 80).c_str()), 510);
  EXPECT_EQ(std::string(out.data() + 511, 2), std::string("\0#", 2));

  const uint16_t chinese[] = {0x4E2D, 0x6587, 0x4E2D, 0x6587}, ascii[] = {'a', 'b', 'c', 'd'};
  bytes.fill(0xEE);
  Utf16ToUtf8(chinese, 8, bytes.data(), 8);  // room for two units of three bytes
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 7), (Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0xEE}));
  bytes.fill(0);
  Utf16ToUtf8(ascii, 8, bytes.data(), 7);  // the room is counted as three bytes per unit
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data()), "ab");
  bytes.fill(0);
  Utf16ToUtf8(ascii, 8, bytes.data(), 2);
  EXPECT_EQ(bytes[0], 0);
}

TEST(TextCode, Utf8UnitsAndTheAnsiReading) {
  const std::pair<uint16_t, Bytes> units[] = {
      {0x41, {0x41}},           {0x7F, {0x7F}},     {0x80, {0xC2, 0x80}},           {0x7FF, {0xDF, 0xBF}},
      {0x800, {0xE0, 0xA0, 0x80}}, {0x4E2D, {0xE4, 0xB8, 0xAD}}, {0xD800, {0xED, 0xA0, 0x80}},  // a unit of its own
      {0xFFFF, {0xEF, 0xBF, 0xBF}}, {0, {0xEE}}};  // 0: nothing written
  for (const auto& [unit, expected] : units) {
    std::array<uint8_t, 4> out{0xEE, 0xEE, 0xEE, 0xEE};
    const int n = EncodeUtf8Unit(out.data(), unit);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + std::max(n, 1)), expected) << unit;
    EXPECT_EQ(n, unit ? static_cast<int>(expected.size()) : -1) << unit;
  }
  // Every high byte starts a three-byte sequence: a two-byte one swallows the byte after it; a
  // sequence cut off by the end is dropped.
  std::array<char, 32> out{};
  const Bytes chinese{'a', 0xE4, 0xB8, 0xAD, 'b'}, twoByte{0xC3, 0xA9, 'X', 'Y'}, cut{'a', 0xE4, 0xB8};
  EXPECT_EQ(Utf8ToAnsi(out.data(), chinese.data(), 5), 4);
  EXPECT_STREQ(out.data(), "a\xD6\xD0" "b");
  Utf8ToAnsi(out.data(), twoByte.data(), 4);
  EXPECT_EQ(std::string(out.data()).back(), 'Y');
  EXPECT_EQ(std::string(out.data()).find('X'), std::string::npos);
  EXPECT_EQ(Utf8ToAnsi(out.data(), cut.data(), 3), 1);
  EXPECT_STREQ(out.data(), "a");
}

}  // namespace
}  // namespace quorvelin
