#include <gtest/gtest.h>

#include <array>

#include "util/Number.h"

namespace quorvelin {
namespace {

TEST(ParseNumber, APrefixSelectsHexOtherwiseDecimalWhileParseHexReadsHex) {
  const struct {
    const char* text;
    int32_t number, hex;
  } rows[] = {
      {"0x10", 16, 16},   {"0X10", 16, 16},     {"010", 10, 16},   {"16", 16, 22},         {"-1", -1, -1},
      {"  42", 42, 0x42}, {"12ab", 12, 0x12ab}, {"0x1Fz", 31, 31}, {"x10", 0, 0},          {"", 0, 0},
      {"1f", 1, 31},      {"0x1f", 31, 31},     {"zz", 0, 0},      {"1000", 1000, 0x1000}, {"0xFFFFFFFF", -1, -1}};
  for (const auto& r : rows)
    EXPECT_EQ(std::pair(ParseNumber(r.text), ParseHex(r.text)), std::pair(r.number, r.hex)) << r.text;
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

TEST(HexTextToBytes, TakesExactlyTheBytesAskedForOrRefuses) {
  const struct {
    const char* text;
    int n, ok;
    std::array<uint8_t, 3> bytes;
    const char* normalized;  // nullptr: left as it was
  } rows[] = {{"01 02 03", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"010203FF", 3, 1, {1, 2, 3}, "01 02 03 "},  // surplus ignored
              {"01\r\n02 03", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"0x01 0X02\n0x3", 3, 1, {1, 2, 3}, "01 02 03 "},  // "0x" groups are whole bytes
              {"0x10203", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"01 02", 3, 0, {0, 0, 0}, nullptr},  // short: cleared
              {"aBzz0G", 3, 0, {0, 0, 0}, nullptr},
              {"0x 01 02 03", 3, 0, {0, 0, 0}, nullptr},
              {"anything", 0, 1, {9, 9, 9}, ""}};
  for (const auto& r : rows) {
    std::array<uint8_t, 3> b{9, 9, 9};
    std::string normalized = "untouched";
    EXPECT_EQ(HexTextToBytes(r.text, normalized, r.n, b.data()), r.ok) << r.text;
    EXPECT_EQ(b, r.bytes) << r.text;
    EXPECT_EQ(normalized, r.normalized ? r.normalized : "untouched") << r.text;
  }
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

}  // namespace
}  // namespace quorvelin
