#include <gtest/gtest.h>

#include "dialogs/common/HexDescriptorFields.h"

namespace quorvelin {
namespace {

class PlainForm : public Form {
 public:
  explicit PlainForm(Ui& ui) : Form(0, ui) {}
};

constexpr HexDescriptorFields kIds{10, 11, 12};

struct Typed {
  const char* tag;
  const char* length;
  const char* data;
};

std::optional<HexDescriptorInput> ReadTyped(PlainForm& form, Typed t) {
  form.SetText(10, t.tag);
  form.SetText(11, t.length);
  form.SetText(12, t.data);
  return kIds.Read(form);
}

// The emptiness checks and "The data is error!" are exercised through the PMT "Other" page.
TEST(HexDescriptorFields, LengthsTheLengthByteCannotHoldAreRefused) {
  for (const char* length : {"256", "0x100", "-1"}) {
    RecordingUi ui;
    PlainForm form(ui);
    EXPECT_FALSE(ReadTyped(form, {"0x5f", length, "00"})) << length;
    EXPECT_EQ(ui.LastText(), "Descriptor_length must be 0 to 255!");
    EXPECT_EQ(form.focusId, 11);
  }
  RecordingUi ui;
  PlainForm form(ui);
  std::string data;
  for (int i = 0; i < 255; ++i) data += "ab";
  const auto in = ReadTyped(form, {"0x5f", "255", data.c_str()});
  ASSERT_TRUE(in);
  EXPECT_EQ(in->descriptor.length, 255);
  EXPECT_EQ(in->descriptor.data, std::vector<uint8_t>(255, 0xAB));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(HexDescriptorFields, ConvertsTagLengthAndData) {
  RecordingUi ui;
  PlainForm form(ui);
  // decimal length, hexadecimal tag, surplus digits ignored, case of the digits kept
  auto in = ReadTyped(form, {"0x15f", "3", "01aB\r\n03FF"});
  ASSERT_TRUE(in);
  EXPECT_EQ(in->descriptor.tag, 0x5f);  // cut to 8 bits
  EXPECT_EQ(in->descriptor.length, 3);
  EXPECT_EQ(in->descriptor.data, (std::vector<uint8_t>{0x01, 0xab, 0x03}));
  EXPECT_EQ(in->normalised, "01 aB 03 ");

  in = ReadTyped(form, {"95", "0", "zz"});
  ASSERT_TRUE(in);
  EXPECT_EQ(in->descriptor.tag, 95);
  EXPECT_EQ(in->descriptor.length, 0);
  EXPECT_TRUE(in->descriptor.data.empty());
  EXPECT_EQ(in->normalised, "");

  in = ReadTyped(form, {"1", "0x10", std::string(32, '7').c_str()});
  ASSERT_TRUE(in);
  EXPECT_EQ(in->descriptor.length, 16);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(DecimalNumber, ReadsLikeTheDecimalScanner) {
  EXPECT_EQ(DecimalNumber("2013"), 2013);
  EXPECT_EQ(DecimalNumber("  -5x"), -5);
  EXPECT_EQ(DecimalNumber(""), 0);
  EXPECT_EQ(DecimalNumber("abc"), 0);
  EXPECT_EQ(DecimalNumber("0x10"), 0);
  EXPECT_EQ(DecimalNumber("010"), 10);
}

}  // namespace
}  // namespace quorvelin
