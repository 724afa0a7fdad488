#include <gtest/gtest.h>

#include <array>

#include "util/Number.h"

namespace quorvelin {
namespace {

TEST(ParseNumber, PrefixSelectsHexOtherwiseDecimal) {
  EXPECT_EQ(ParseNumber("0x10"), 16);
  EXPECT_EQ(ParseNumber("0X10"), 16);
  EXPECT_EQ(ParseNumber("010"), 10);
  EXPECT_EQ(ParseNumber("16"), 16);
  EXPECT_EQ(ParseNumber("-1"), -1);
  EXPECT_EQ(ParseNumber("  42"), 42);
  EXPECT_EQ(ParseNumber("12ab"), 12);
  EXPECT_EQ(ParseNumber("0x1Fz"), 0x1F);
  EXPECT_EQ(ParseNumber("x10"), 0);
  EXPECT_EQ(ParseNumber(""), 0);
  EXPECT_EQ(ParseNumber("0xFFFFFFFF"), -1);
}

TEST(ParseHex, WholeTextIsHexadecimal) {
  EXPECT_EQ(ParseHex("10"), 16);
  EXPECT_EQ(ParseHex(""), 0);
  EXPECT_EQ(ParseHex("0x10"), 16);
  EXPECT_EQ(ParseHex("1f"), 31);
  EXPECT_EQ(ParseHex("0x1f"), 31);
  EXPECT_EQ(ParseHex("zz"), 0);
  EXPECT_EQ(ParseHex("1000"), 0x1000);
}

TEST(BytesToHexText, BlankBeforeEveryLowerCasePair) {
  std::string text = "old";
  const uint8_t bytes[] = {0x0A, 0xFF};
  EXPECT_EQ(BytesToHexText(text, bytes, 2), 2);
  EXPECT_EQ(text, " 0a ff");
  EXPECT_EQ(BytesToHexText(text, bytes, 0), 0);
  EXPECT_EQ(text, "");

  char chars[3 * 2 + 100];
  EXPECT_EQ(BytesToHexChars(chars, bytes, 2), 2);
  EXPECT_STREQ(chars, " 0a ff");
}

TEST(HexTextToBytes, ExactSurplusShortAndLineBreaks) {
  std::array<uint8_t, 3> b{9, 9, 9};
  std::string norm = "untouched";
  EXPECT_EQ(HexTextToBytes("01 02 03", norm, 3, b.data()), 1);
  EXPECT_EQ(b, (std::array<uint8_t, 3>{1, 2, 3}));
  EXPECT_EQ(norm, "01 02 03 ");

  EXPECT_EQ(HexTextToBytes("010203FF", norm, 3, b.data()), 1);
  EXPECT_EQ(b, (std::array<uint8_t, 3>{1, 2, 3}));

  norm = "untouched";
  b = {9, 9, 9};
  EXPECT_EQ(HexTextToBytes("01 02", norm, 3, b.data()), 0);
  EXPECT_EQ(b, (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(norm, "untouched");

  EXPECT_EQ(HexTextToBytes("01\r\n02 03", norm, 3, b.data()), 1);
  EXPECT_EQ(b, (std::array<uint8_t, 3>{1, 2, 3}));

  EXPECT_EQ(HexTextToBytes("aBzz0G", norm, 3, b.data()), 0);  // no hexadecimal digits: refused

  EXPECT_EQ(HexTextToBytes("0x01 0X02\n0x3", norm, 3, b.data()), 1);  // "0x" groups are whole bytes
  EXPECT_EQ(b, (std::array<uint8_t, 3>{1, 2, 3}));
  EXPECT_EQ(norm, "01 02 03 ");
  EXPECT_EQ(HexTextToBytes("0x10203", norm, 3, b.data()), 1);
  EXPECT_EQ(b, (std::array<uint8_t, 3>{1, 2, 3}));
  EXPECT_EQ(HexTextToBytes("0x 01 02 03", norm, 3, b.data()), 0);

  EXPECT_EQ(HexTextToBytes("anything", norm, 0, b.data()), 1);
  EXPECT_EQ(norm, "");
}

TEST(DigitsToBcd, RightAlignedAndNeverInFrontOfTheField) {
  std::array<uint8_t, 4> f{};
  EXPECT_TRUE(DigitsToBcd("474.0000", f.data(), 4));
  EXPECT_EQ(f, (std::array<uint8_t, 4>{0x04, 0x74, 0x00, 0x00}));

  f = {0xAA, 0xBB, 0xCC, 0xDD};
  EXPECT_TRUE(DigitsToBcd("12", f.data(), 4));
  EXPECT_EQ(f, (std::array<uint8_t, 4>{0xAA, 0xBB, 0xCC, 0x12}));

  f = {};
  EXPECT_TRUE(DigitsToBcd("123", f.data(), 4));
  EXPECT_EQ(f, (std::array<uint8_t, 4>{0, 0, 0x01, 0x23}));

  std::array<uint8_t, 6> guarded{0x55, 0, 0, 0, 0, 0x55};
  EXPECT_FALSE(DigitsToBcd("10000.0000", guarded.data() + 1, 4));
  EXPECT_EQ(guarded, (std::array<uint8_t, 6>{0x55, 0, 0, 0, 0, 0x55}));
}

TEST(ShiftNibblesLeft, SymbolRateLeavesTheLowNibbleFree) {
  std::array<uint8_t, 4> f{0x00, 0x27, 0x50, 0x00};
  ShiftNibblesLeft(f.data(), 4);
  EXPECT_EQ(f, (std::array<uint8_t, 4>{0x02, 0x75, 0x00, 0x00}));
}

}  // namespace
}  // namespace quorvelin
