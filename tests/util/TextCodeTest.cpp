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

TEST(TextCode, Code1EncodesBigEndianUnits) {
  EXPECT_EQ(EncodeName(kZhongWen, 1), (Bytes{0x4E, 0x2D, 0x65, 0x87}));

  std::array<uint16_t, 8> out{};
  out.fill(0xAAAA);
  EXPECT_EQ(GbkToUcs2Be(out.data(), 8, kZhongWen.c_str(), false), 4);
  Bytes bytes(4);
  std::memcpy(bytes.data(), out.data(), 4);
  EXPECT_EQ(bytes, (Bytes{0x4E, 0x2D, 0x65, 0x87}));
  EXPECT_EQ(out[2], 0);

  EXPECT_EQ(GbkToUcs2Be(out.data(), 8, kZhongWen.c_str(), true), 4);
  EXPECT_EQ(out[0], 0x4E2D);

  out.fill(0xBBBB);
  EXPECT_EQ(GbkToUcs2Be(out.data(), 2, "abcd", true), 4);  // clipped at the caller's size
  EXPECT_EQ(out[2], 0xBBBB);
}

TEST(TextCode, Code10EncodesSelectorThenBigEndianUnits) {
  const Bytes wire{0x14, 0x4E, 0x2D, 0x65, 0x87};
  EXPECT_EQ(EncodeName(kZhongWen, 10), wire);

  std::array<uint8_t, 16> out{};
  out.fill(0xEE);
  EXPECT_EQ(GbkToSelectorUcs2Be(out.data(), 8, kZhongWen.c_str(), false), 5);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 5), wire);
  out.fill(0xEE);
  EXPECT_EQ(GbkToSelectorUcs2Be(out.data(), 2, kZhongWen.c_str(), false), 3);  // 4 bytes of room
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{0x14, 0x4E, 0x2D, 0xEE}));

  EXPECT_EQ(Decode(wire, 10), kZhongWen);
  // Any selector value is skipped; keep-order reads the units in host order.
  const Bytes hostOrder{0x11, 0x2D, 0x4E, 0x87, 0x65};
  std::array<char, 16> text{};
  SelectorUcs2BeToGbk(hostOrder.data(), 5, text.data(), 16, true);
  EXPECT_EQ(std::string(text.data()), kZhongWen);
  EXPECT_EQ(Decode(Bytes{0x14}, 10), "");
}

TEST(TextCode, Code1DecodesInHostOrderWithoutSwapping) {
  const Bytes hostOrder{0x2D, 0x4E, 0x87, 0x65, 0x00, 0x00, 0x41, 0x00};
  std::array<char, 16> text{};
  Ucs2LeToGbk(hostOrder.data(), static_cast<int>(hostOrder.size()), text.data(), 16);
  EXPECT_EQ(std::string(text.data()), kZhongWen);  // stops at the zero unit
  EXPECT_EQ(Decode(hostOrder, 1), kZhongWen);
  // What code 1 encodes does not come back unchanged.
  EXPECT_NE(Decode(EncodeName(kZhongWen, 1), 1), kZhongWen);
}

TEST(TextCode, DecodedTextIsClippedAtACharacterBoundary) {
  const Bytes wire{0x14, 0x4E, 0x2D, 0x65, 0x87};
  std::array<char, 8> text{};
  text.fill('#');
  SelectorUcs2BeToGbk(wire.data(), 5, text.data(), 4, false);
  EXPECT_EQ(std::string(text.data()), "\xD6\xD0");  // the second character no longer fits
  EXPECT_EQ(text[4], '#');
  Ucs2LeToGbk(wire.data(), 5, text.data(), 1);
  EXPECT_EQ(text[0], '\0');
}

TEST(TextCode, Code3EncodesUtf8) {
  EXPECT_EQ(EncodeName("abc", 3), (Bytes{0x61, 0x62, 0x63}));
  EXPECT_EQ(EncodeName("\xD6\xD0", 3), (Bytes{0xE4, 0xB8, 0xAD}));

  std::array<char, 256> out{};
  EXPECT_EQ(GbkToUtf8(out.data(), 256, kZhongWen.c_str()), 6);
  EXPECT_STREQ(out.data(), "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(Utf8ByteLength("abc"), 3);
  EXPECT_EQ(Utf8ByteLength(kZhongWen.c_str()), 6);
}

TEST(TextCode, Utf8LengthKeepsTheWorkAreaRuleWhileEncodeNameIsWhole) {
  // 256-byte area, three bytes reserved per unit: 85 units at most.
  const std::string ascii(100, 'n');
  EXPECT_EQ(Utf8ByteLength(ascii.c_str()), 85);
  EXPECT_EQ(EncodeName(ascii, 3).size(), 100u);
  EXPECT_EQ(EncodeName(Repeat(kZhongWen, 100), 3).size(), 600u);
  EXPECT_EQ(EncodeName(Repeat(kZhongWen, 100), 10).size(), 401u);
}

TEST(TextCode, Code4EncodesBig5AndDecodesToSimplified) {
  EXPECT_EQ(EncodeName(kTaiwanTvTraditionalGbk, 4), ToBytes(kTaiwanTvBig5));
  EXPECT_EQ(EncodeName(kTaiwanTvSimplifiedGbk, 4), ToBytes(kTaiwanTvBig5));  // s2tw before Big5
  EXPECT_EQ(UnencodableCharacter(kTaiwanTvSimplifiedGbk, 4), "");
  EXPECT_EQ(UnencodableCharacter("ab\xDF\xC7" "c", 4), "\xDF\xC7");  // no Big5 form even after s2tw
  EXPECT_EQ(UnencodableCharacter("a\x81", 3), "\x81");  // lead byte without trail byte
  EXPECT_EQ(Big5ByteLength(kTaiwanTvTraditionalGbk.c_str()), 8);

  EXPECT_EQ(Decode(ToBytes(kTaiwanTvBig5), 4), kTaiwanTvSimplifiedGbk);
  std::array<char, 64> out{};
  EXPECT_EQ(Big5ToSimplifiedGbk(out.data(), 64, kTaiwanTvBig5.c_str()), 8);
  EXPECT_EQ(std::string(out.data()), kTaiwanTvSimplifiedGbk);
  EXPECT_EQ(Big5ToSimplifiedGbk(out.data(), 5, kTaiwanTvBig5.c_str()), 4);
}

TEST(TextCode, Big5OutputsStayInsideTheirAreas) {
  const std::string longName = Repeat(kTaiwanTvTraditionalGbk, 80);  // 320 characters
  std::array<char, 600> out{};
  out.fill('#');
  const int n = GbkToBig5(out.data(), longName.c_str());
  EXPECT_EQ(n, 510);
  EXPECT_EQ(out[511], '\0');
  EXPECT_EQ(out[512], '#');
  EXPECT_EQ(Big5ByteLength(longName.c_str()), 254);
  EXPECT_EQ(EncodeName(longName, 4).size(), 640u);
}

TEST(TextCode, OtherCodesKeepTheBytes) {
  for (int code : {0, 2, 5, 11, -1}) {
    EXPECT_EQ(EncodeName(kZhongWen, code), ToBytes(kZhongWen)) << code;
    EXPECT_EQ(UnencodableCharacter("a\x81", code), "") << code;
    EXPECT_EQ(Decode(Bytes{0xD6, 0xD0, 0x00, 0x41}, code), std::string("\xD6\xD0\0A", 4)) << code;
  }
}

TEST(TextCode, Utf8ToAnsiTakesEveryHighByteAsThreeByteSequence) {
  std::array<char, 32> out{};
  const Bytes chinese{'a', 0xE4, 0xB8, 0xAD, 'b'};
  EXPECT_EQ(Utf8ToAnsi(out.data(), chinese.data(), 5), 4);
  EXPECT_STREQ(out.data(), "a\xD6\xD0" "b");

  // A two-byte sequence swallows the byte after it.
  const Bytes twoByte{0xC3, 0xA9, 'X', 'Y'};
  Utf8ToAnsi(out.data(), twoByte.data(), 4);
  EXPECT_EQ(std::string(out.data()).back(), 'Y');
  EXPECT_EQ(std::string(out.data()).find('X'), std::string::npos);

  // A sequence cut off by the end is dropped, nothing is read behind the bytes.
  const Bytes cut{'a', 0xE4, 0xB8};
  EXPECT_EQ(Utf8ToAnsi(out.data(), cut.data(), 3), 1);
  EXPECT_STREQ(out.data(), "a");
  EXPECT_EQ(Decode(cut, 3), "a");
}

TEST(TextCode, EncodeUtf8UnitRanges) {
  struct Case {
    uint16_t unit;
    Bytes bytes;
  };
  const Case cases[] = {
      {0x41, {0x41}},
      {0x7F, {0x7F}},
      {0x80, {0xC2, 0x80}},
      {0x7FF, {0xDF, 0xBF}},
      {0x800, {0xE0, 0xA0, 0x80}},
      {0x4E2D, {0xE4, 0xB8, 0xAD}},
      {0xD800, {0xED, 0xA0, 0x80}},  // a surrogate is a unit of its own
      {0xFFFF, {0xEF, 0xBF, 0xBF}},
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 4> out{};
    ASSERT_EQ(EncodeUtf8Unit(out.data(), c.unit), static_cast<int>(c.bytes.size())) << c.unit;
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(c.bytes.size())), c.bytes) << c.unit;
  }
  std::array<uint8_t, 4> out{0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(EncodeUtf8Unit(out.data(), 0), -1);
  EXPECT_EQ(out[0], 0xEE);
}

TEST(TextCode, Utf16ToUtf8StopsBeforeOverflowing) {
  const uint16_t units[] = {0x4E2D, 0x6587, 0x4E2D, 0x6587};
  std::array<uint8_t, 12> out{};
  out.fill(0xEE);
  Utf16ToUtf8(units, 8, out.data(), 8);  // room for two units of three bytes
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), (Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}));
  EXPECT_EQ(out[6], 0xEE);

  const uint16_t ascii[] = {'a', 'b', 'c', 'd'};
  out.fill(0);
  Utf16ToUtf8(ascii, 8, out.data(), 7);  // the room is counted as three bytes per unit
  EXPECT_STREQ(reinterpret_cast<const char*>(out.data()), "ab");
  out.fill(0);
  Utf16ToUtf8(ascii, 8, out.data(), 2);
  EXPECT_EQ(out[0], 0);
}

TEST(TextCode, UnmappableAndInvalidTextBecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToCp936("a\xE0\xB8\x81" "b"), "a?b");  // Thai KO KAI has no GBK code
  EXPECT_EQ(Cp936ToUtf8("a\x81"), "a?");               // lead byte without trail byte
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8(kZhongWen)), kZhongWen);
  // An unpaired surrogate from the wire.
  EXPECT_EQ(Decode(Bytes{0x14, 0xD8, 0x00, 0x00, 0x41}, 10), "?A");
}

}  // namespace
}  // namespace quorvelin
