#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/TextCode.h"

namespace quorvelin {
namespace {

using Bytes = std::vector<uint8_t>;

// "01 bf d5" -> {0x01, 0xbf, 0xd5}
Bytes Hex(const std::string& text) {
  Bytes out;
  for (size_t at = 0; at + 1 < text.size(); at += text[at] == ' ' ? 1 : 2)
    if (text[at] != ' ') out.push_back(static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
  return out;
}

std::string Decode(const Bytes& wire, int code) { return DecodeName(wire.data(), wire.size(), code); }

// The wire bytes of every character table (ETSI EN 300 468 Annex A) and of the text codes, as
// Python's codecs write them; decoded, then written again in the table they came in.
TEST(TextCode, NamesAreReadByTheirSelectorOrTheTextCodeAndWrittenBackInTheirTable) {
  const struct {
    int code;
    const char* wire;
    std::string text;
    bool roundTrip = true;
  } rows[] = {
      {0, "01 bfd5e0d2ebd920dad0ddd0db", "Первый канал"},    // ISO/IEC 8859-5
      {0, "02 c7e4ccd2ead1c9", "الجزيرة"},                   // 8859-6
      {0, "03 c5d1d420c5ebebdce4e1", "ΕΡΤ Ελλάδα"},          // 8859-7
      {0, "04 f2f8e5f52031", "ערוץ 1"},                      // 8859-8
      {3, "05 54525420d0fc6e65fe", "TRT Ğüneş"},             // 8859-9
      {0, "06 53e16d6920bf", "Sámi ŋ"},                      // 8859-10
      {4, "07 e4b7c2", "ไทย"},                               // 8859-11
      {0, "09 4c5254204b756c74fb7261", "LRT Kultūra"},       // 8859-13
      {0, "0a 53344320d0", "S4C Ŵ"},                         // 8859-14
      {0, "0b a475726f", "€uro"},                            // 8859-15
      {0, "10 00 01 5476204e756de9726963", "Tv Numéric"},    // 8859-1
      {10, "10 00 02 c8542053706f7274", "ČT Sport"},         // 8859-2
      {0, "11 d55cad6d002000f8", "한국 ø"},                  // UCS-2
      {0, "12 c7d1b1b9b9e6bcdb", "한국방송"},                // KS X 1001
      {0, "13 d6d0d1ebb5e7cad3cca8", "中央电视台"},          // GB2312
      {0, "14 bb4fc657b971b5f8", "臺灣電視"},                // Big5
      {0, "15 c3b1616e64c3ba20c3b820e4b8ad", "ñandú ø 中"},  // UTF-8
      {10, "14 4e2d 6587", "中文"},                          // text code 10: 0x14 is UCS-2
      {0, "d6d0 cec4", "中文"},                              // no selector: the text code
      {3, "c3a7 61", "ça"},
      {4, "bb4fc657b971b5f8", "台湾电视"},  // shown Simplified, written Traditional
      {10, "d6d0 cec4", "中文"},
      {1, "2d4e 8765 0000 4100", "中文", false},          // host order up to a zero unit
      {1, "14 4e", "且", false},                          // under text code 1 never a selector
      {0, "d6d0 00 41", std::string("中\0A", 5), false},  // written up to the zero
      {0, "11 d800 0041", "?A", false},                   // an unpaired surrogate
      {3, "61 e4b8", "a?", false},                        // a sequence cut off by the end
      {0, "1f 01 41", "A", false},                        // encoding_type_id: the rest by the text code
      {0, "08 41", "A", false},                           // reserved
  };
  for (const auto& r : rows) {
    const Bytes wire = Hex(r.wire);
    EXPECT_EQ(Decode(wire, r.code), r.text) << r.wire;
    if (r.roundTrip) {
      EXPECT_EQ(EncodeName(r.text, r.code, wire), wire) << r.wire;
    }
  }
  // New names, and names whose table is not written here, go in the text code's table.
  EXPECT_EQ(EncodeName("中文", 1), Hex("4e2d 6587"));
  EXPECT_EQ(EncodeName("中文", 10), Hex("14 4e2d 6587"));
  EXPECT_EQ(EncodeName("中文", 0, Hex("1f 01 41")), Hex("d6d0 cec4"));
  EXPECT_EQ(EncodeName("台湾电视", 4), Hex("bb4fc657b971b5f8"));
  EXPECT_EQ(EncodeName(std::string("ab\0cd", 5), 3), Hex("6162"));
  EXPECT_EQ(EncodeName(std::string(300, 'n'), 0).size(), 300u);  // never clipped
  EXPECT_EQ(NameTableName(0, Hex("10 00 01")), "character table ISO/IEC 8859-1");
  EXPECT_EQ(NameTableName(10, Hex("d6d0")), "text code 10");
}

// A character the table cannot hold is named (as typed), and comes out as "?" in its table.
TEST(TextCode, ACharacterTheTableCannotHoldIsNamed) {
  const struct {
    int code;
    const char* previous;
    std::string text, refused;
  } rows[] = {{0, "01 bf", "Пёс ø", "ø"},   {0, "", "Café ñ", "ñ"},   {3, "", "Café ñ 한", ""},
              {0, "13 d6d0", "臺灣", "臺"}, {10, "", "a😀", "😀"},      {4, "", "ab咔c", "咔"},
              {4, "", "台湾电视", ""},      {0, "11 0041", "😀", "😀"}, {1, "", "😀", "😀"}};
  for (const auto& r : rows) EXPECT_EQ(UnencodableCharacter(r.text, r.code, Hex(r.previous)), r.refused) << r.text;
  EXPECT_EQ(EncodeName("Ж ø", 0, Hex("01 bf")), Hex("01 b6 20 3f"));
  EXPECT_EQ(EncodeName("a😀", 10), Hex("14 0061 003f"));
}

}  // namespace
}  // namespace quorvelin
