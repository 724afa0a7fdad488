#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <tuple>

#include "util/Number.h"

namespace quorvelin {
namespace {

TEST(ParseNumber, APrefixSelectsHexOtherwiseDecimalWhileParseHexReadsHex) {
  constexpr int64_t no = -999;  // ReadWholeNumber: no number
  const struct {
    const char* text;
    int32_t number, hex;
    int64_t whole;
  } rows[] = {
      {"0x10", 16, 16, 16},    {"0X10", 16, 16, 16},       {"010", 10, 16, 10},      {"16", 16, 22, 16},
      {"-1", -1, -1, -1},      {"  42", 42, 0x42, 42},     {"12ab", 12, 0x12ab, no}, {"0x1Fz", 31, 31, no},
      {"x10", 0, 0, no},       {"", 0, 0, no},             {"1f", 1, 31, no},        {"0x1f", 31, 31, 31},
      {"zz", 0, 0, no},        {"1000", 1000, 0x1000, 1000}, {"0xFFFFFFFF", -1, -1, 0xFFFFFFFF},
      {"+0x1234", 0x1234, 0x1234, 0x1234}, {" -0x10", -16, -16, -16}};
  for (const auto& r : rows) {
    const int64_t whole = ReadWholeNumber(r.text, NumberText::Number).value_or(no);
    EXPECT_EQ(std::tuple(ParseNumber(r.text), ParseHex(r.text), whole), std::tuple(r.number, r.hex, r.whole)) << r.text;
  }
}

TEST(FixedPoint, WritesAndReadsAPointWhateverTheLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a comma locale, where the machine has one
  EXPECT_EQ(FixedPoint(474.25, 4) + "/" + FixedPoint(11.75725, 5), "474.2500/11.75725");
  EXPECT_EQ(ReadDecimal("+6.875"), 6.875);
  EXPECT_FALSE(ReadDecimal("6,875") || ReadDecimal("6.8x") || ReadDecimal(""));
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(BytesToHexText, BlankBeforeEveryLowerCasePair) {
  std::string text = "old";
  const uint8_t bytes[] = {0x0A, 0xFF};
  EXPECT_EQ(BytesToHexText(text, bytes, 2), 2);
  EXPECT_EQ(text, " 0a ff");
  EXPECT_EQ(BytesToHexText(text, bytes, 0), 0);
  EXPECT_EQ(text, "");
}

TEST(HexTextToBytes, TakesExactlyTheBytesAskedForOrRefuses) {
  const struct {
    const char* text;
    int n, ok;
    std::array<uint8_t, 3> bytes;
    const char* normalized;  // nullptr: left as it was
  } rows[] = {{"01 02 03", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"010203FF", 3, 0, {0, 0, 0}, nullptr},  // surplus refused
              {"01\r\n02 03", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"0x01 0X02\n0x3", 3, 1, {1, 2, 3}, "01 02 03 "},  // "0x" groups are whole bytes
              {"0x10203", 3, 1, {1, 2, 3}, "01 02 03 "},
              {"01 02", 3, 0, {0, 0, 0}, nullptr},  // short: cleared
              {"aBzz0G", 3, 0, {0, 0, 0}, nullptr},
              {"0x 01 02 03", 3, 0, {0, 0, 0}, nullptr},
              {"anything", 0, 0, {9, 9, 9}, nullptr},
              {" ", 0, 1, {9, 9, 9}, ""}};
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
