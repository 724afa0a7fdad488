// CTDTModifyTime and CDlgModifyTOT.
#include <cstdlib>
#include <ctime>
#include <optional>

#include "MpegFixture.h"
#include "dialogs/mpeg/CDlgModifyTOT.h"
#include "dialogs/mpeg/CTDTModifyTime.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

namespace tdt = mpeg_ids::tdt;
namespace tot = mpeg_ids::tot;

// Runs a test in a zone eight hours east of UTC (bias -480 minutes).
class ZoneUtcPlus8 {
 public:
  ZoneUtcPlus8() {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    setenv("TZ", "CST-8", 1);
    tzset();
  }
  ~ZoneUtcPlus8() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

std::string Fields(CTDTModifyTime& dlg) {
  std::string out;
  for (int id : {tdt::kYear, tdt::kMonth, tdt::kDay, tdt::kHour, tdt::kMinute, tdt::kSecond}) out += dlg.Text(id) + " ";
  return out;
}

void Type(CTDTModifyTime& dlg, int y, int mo, int d, int h, int mi, int s) {
  const int parts[] = {y, mo, d, h, mi, s};
  const int ids[] = {tdt::kYear, tdt::kMonth, tdt::kDay, tdt::kHour, tdt::kMinute, tdt::kSecond};
  for (int i = 0; i < 6; ++i) dlg.SetText(ids[i], std::to_string(parts[i]));
}

TEST(CTDTModifyTime, ShowsTheValueAndTakesTypedPartsAsUtc) {
  ZoneUtcPlus8 zone;
  RecordingUi ui;
  CTDTModifyTime dlg(ui, MakeDate(2013, 3, 4, 5, 6, 7), 2);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "ModifyTDT");
  EXPECT_EQ(Fields(dlg), "2013 3 4 5 6 7 ");
  EXPECT_EQ(dlg.Check(tdt::kUtcTime), 1);
  EXPECT_EQ(dlg.Check(tdt::kLocalTime), 0);
  Type(dlg, 2014, 12, 31, 23, 59, 58);
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(dlg.value, MakeDate(2014, 12, 31, 23, 59, 58));
  EXPECT_EQ(dlg.port, 2);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(CTDTModifyTime, LocalTimeIsConvertedWithTheZoneBias) {
  ZoneUtcPlus8 zone;
  RecordingUi ui;
  CTDTModifyTime dlg(ui, MakeDate(2013, 3, 4, 5, 6, 7), 1);
  dlg.OnInitDialog();
  dlg.SetCheck(tdt::kLocalTime, 1);
  dlg.OnCommand(tdt::kLocalTime);
  EXPECT_EQ(dlg.zone, CTDTModifyTime::kZoneLocal);
  const DateParts now = BreakDown(CurrentLocalDate());
  EXPECT_EQ(dlg.Text(tdt::kYear), std::to_string(now.year));
  Type(dlg, 2013, 1, 1, 5, 0, 0);
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(FormatDateTime(dlg.value, "%Y-%m-%d %H:%M:%S"), "2012-12-31 21:00:00");
}

TEST(CTDTModifyTime, EachUtcClickAddsTheBiasAgain) {
  ZoneUtcPlus8 zone;
  RecordingUi ui;
  CTDTModifyTime dlg(ui, MakeDate(2013, 3, 4, 20, 0, 0), 1);
  dlg.OnInitDialog();
  dlg.OnCommand(tdt::kUtcTime);
  EXPECT_EQ(Fields(dlg), "2013 3 4 12 0 0 ");
  dlg.OnCommand(tdt::kUtcTime);
  EXPECT_EQ(Fields(dlg), "2013 3 4 4 0 0 ");
}

TEST(CTDTModifyTime, DatesThatDoNotExistStayInvalid) {
  ZoneUtcPlus8 zone;
  RecordingUi ui;
  for (int zoneChoice : {tdt::kUtcTime, tdt::kLocalTime}) {
    CTDTModifyTime dlg(ui, MakeDate(2013, 3, 4, 5, 6, 7), 1);
    dlg.OnInitDialog();
    dlg.OnCommand(zoneChoice);
    Type(dlg, 2013, 2, 29, 0, 0, 0);
    EXPECT_TRUE(dlg.OnOK());
    EXPECT_FALSE(dlg.value.valid());
  }
  CTDTModifyTime dlg(ui, DateTime{0, DateTime::Status::Invalid}, 1);
  dlg.OnInitDialog();
  EXPECT_EQ(Fields(dlg), "-1 -1 -1 -1 -1 -1 ");
  dlg.SetText(tdt::kYear, "abc");  // no digits: 0
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_FALSE(dlg.value.valid());
  EXPECT_TRUE(ui.messages.empty());
}

TotRecord ReceivedTot() {
  TotRecord s;
  s.table_id = 0x73;
  s.section_length.set(0x1A);
  s.utc_time = MakeDate(2012, 5, 6, 7, 8, 9);
  s.descriptors_loop_length.set(15);
  s.country_code = {'F', 'R', 'A'};
  s.country_region_id = 3;
  s.local_time_offset_polarity = 0;
  s.local_time_offset = MakeDate(1899, 12, 30, 1, 0, 0);
  s.time_of_change = MakeDate(2012, 10, 28, 1, 0, 0);
  s.next_time_offset = MakeDate(1899, 12, 30, 2, 0, 0);
  return s;
}

TEST(CDlgModifyTOT, ShowsTheStateAndFillsItOnOk) {
  MpegTree t;
  const ItemHandle section = t.AddTot(2, ReceivedTot());
  const ItemHandle root = t.tree.Root(2, Table::Tot);
  CDlgModifyTOT dlg(t.tree, t.ui, root, MakeDate(2020, 1, 1, 0, 0, 0), MakeDate(2021, 2, 3, 4, 5, 6));
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "ModifyTOT");
  EXPECT_EQ(dlg.Text(tot::kCountryCode), "FRA");
  EXPECT_EQ(dlg.Text(tot::kCountryRegionId), "3");
  EXPECT_EQ(dlg.Text(tot::kPolarity), "0");
  EXPECT_EQ(FormatDateTime(dlg.Value(tot::kLocalTimeOffset).time, "%Y-%m-%d %H:%M"), "1899-12-30 01:00");
  EXPECT_EQ(FormatDateTime(dlg.Value(tot::kTimeOfChangeDate).time, "%Y-%m-%d"), "2012-10-28");
  EXPECT_EQ(FormatDateTime(dlg.Value(tot::kTimeOfChangeTime).time, "%H:%M"), "01:00");

  dlg.SetText(tot::kCountryCode, "DEUX");
  dlg.SetText(tot::kCountryRegionId, "0x5");  // decimal conversion: 0
  dlg.SetText(tot::kPolarity, "1");
  dlg.Value(tot::kLocalTimeOffset).time = MakeDate(2030, 1, 1, 5, 30, 45);
  dlg.Value(tot::kTimeOfChangeDate).time = MakeDate(2013, 3, 31, 9, 9, 9);
  dlg.Value(tot::kTimeOfChangeTime).time = MakeDate(2000, 1, 1, 2, 0, 0);
  dlg.Value(tot::kNextTimeOffset).time = MakeDate(2000, 1, 1, 10, 0, 0);
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_TRUE(t.ui.messages.empty());
  EXPECT_EQ(t.tree.ChildCount(section), 0);  // the lines go; the command rebuilds the branch
  const TotRecord& s = dlg.state;
  EXPECT_EQ(std::string(s.country_code.begin(), s.country_code.end()), "DEU");
  EXPECT_EQ(s.country_region_id, 0);
  EXPECT_EQ(s.local_time_offset_polarity, 1);
  EXPECT_EQ(s.local_time_offset, MakeDate(1899, 12, 30, 5, 30, 0));
  EXPECT_EQ(s.time_of_change, MakeDate(2013, 3, 31, 2, 0, 0));
  EXPECT_EQ(s.next_time_offset, MakeDate(1899, 12, 30, 10, 0, 0));
  EXPECT_EQ(s.table_id, 0x73);
  EXPECT_EQ(s.section_syntax_indicator & 1, 1);
  EXPECT_EQ(s.section_length.get(), 26);
  EXPECT_EQ(s.utc_time, MakeDate(2021, 2, 3, 4, 5, 6));  // PortB: the second port's time
  EXPECT_EQ(s.descriptors_loop_length.get(), 15);
  EXPECT_EQ(s.descriptor_tag, 0x58);
  EXPECT_EQ(s.descriptor_length, 13);
}

TEST(CDlgModifyTOT, ANewTotOfASinglePortTreeKeepsItsUtcTime) {
  MpegTree t;
  t.tree.DeleteAllItems();
  t.tree.ForgetPorts();
  t.tree.portMode = 2;
  t.tree.channelNumber = 4;
  t.tree.BuildRoots();
  const ItemHandle root = t.tree.Root(1, Table::Tot);
  CDlgModifyTOT dlg(t.tree, t.ui, root, MakeDate(2020, 1, 1, 0, 0, 0), MakeDate(2021, 1, 1, 0, 0, 0));
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.Text(tot::kCountryCode), "");
  EXPECT_TRUE(dlg.Value(tot::kTimeOfChangeDate).time.valid());
  const DateTime before = dlg.state.utc_time;
  dlg.SetText(tot::kCountryCode, "CHN");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(dlg.state.utc_time, before);  // "Port4" is neither PortA nor PortB
  EXPECT_EQ(dlg.state.country_code[2], 'N');
}

TEST(CDlgModifyTOT, ACountryCodeOfFewerThanThreeCharactersIsRefused) {
  for (const char* code : {"", "GB", " G B "}) {
    MpegTree t;
    t.AddTot(1, ReceivedTot());
    const std::string before = t.Snapshot();
    CDlgModifyTOT dlg(t.tree, t.ui, t.tree.Root(1, Table::Tot), {}, {});
    dlg.OnInitDialog();
    dlg.SetText(tot::kCountryCode, code);
    const bool closes = dlg.OnOK();
    if (std::string(code) == " G B ") {
      EXPECT_TRUE(closes);  // "G B" after trimming: three characters
      continue;
    }
    EXPECT_FALSE(closes);
    ExpectRefusal(t.ui, dlg, "country_code must be 3 characters!", tot::kCountryCode);
    EXPECT_EQ(t.Snapshot(), before);
  }
}

}  // namespace
}  // namespace quorvelin::test
