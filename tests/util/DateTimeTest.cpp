#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "util/DateTime.h"

namespace quorvelin {
namespace {

TEST(UtcTime, WorkedExamplesOfTheStandard) {
  const uint8_t mjd[] = {0xB0, 0xA2, 0x00, 0x00, 0x00};
  EXPECT_EQ(FormatDateTime(UtcTimeToDate(mjd), "%Y-%m-%d"), "1982-09-06");

  const uint8_t example[] = {0xC0, 0x79, 0x12, 0x45, 0x00};
  EXPECT_EQ(FormatDateTime(UtcTimeToDate(example), "%Y-%m-%d %H:%M:%S"), "1993-10-13 12:45:00");

  std::array<uint8_t, 7> out{};
  DateToUtcTime(MakeDate(1993, 10, 13, 12, 45, 0), out.data(), 2);
  EXPECT_EQ(out, (std::array<uint8_t, 7>{0, 0, 0xC0, 0x79, 0x12, 0x45, 0x00}));
}

TEST(UtcTime, EveryDateFrom1900To2100RoundTrips) {
  const double first = MakeDate(1900, 3, 1, 0, 0, 0).days;
  const double last = MakeDate(2100, 2, 28, 0, 0, 0).days;
  const double fieldEnd = MakeDate(2038, 4, 22, 0, 0, 0).days;  // MJD 65535
  int checked = 0;
  for (double day = first; day <= last; day += 1.0, ++checked) {
    DateTime d;
    d.days = day + (23 * 3600 + 59 * 60 + 58) / 86400.0;
    const DateParts p = BreakDown(d);
    const DateTime back = DateOfMjd(MjdOfDate(p.year, p.month, p.day), p.hour, p.minute, p.second);
    ASSERT_EQ(FormatDateTime(back, "%Y-%m-%d %H:%M:%S"), FormatDateTime(d, "%Y-%m-%d %H:%M:%S"));
    if (day <= fieldEnd) {
      uint8_t utc[5];
      DateToUtcTime(d, utc, 0);
      ASSERT_EQ(FormatDateTime(UtcTimeToDate(utc), "%Y-%m-%d %H:%M:%S"), FormatDateTime(d, "%Y-%m-%d %H:%M:%S"));
    }
  }
  EXPECT_EQ(checked, 73049);
  EXPECT_EQ(MjdOfDate(2038, 4, 22), 65535);
}

TEST(MakeDate, RefusesWhatIsNoCalendarDate) {
  EXPECT_FALSE(MakeDate(2013, 2, 29, 0, 0, 0).valid());
  EXPECT_TRUE(MakeDate(2012, 2, 29, 0, 0, 0).valid());
  EXPECT_FALSE(MakeDate(2020, 1, 1, 24, 0, 0).valid());
  const uint8_t badHour[] = {0xC0, 0x79, 0x25, 0x00, 0x00};
  EXPECT_FALSE(UtcTimeToDate(badHour).valid());
  EXPECT_EQ(FormatDateTime(UtcTimeToDate(badHour), "%Y"), "Invalid DateTime");
  DateTime null;
  null.status = DateTime::Status::Null;
  EXPECT_EQ(FormatDateTime(null, "%Y"), "");
  EXPECT_EQ(MakeDate(1899, 12, 30, 0, 0, 0).days, 0.0);
}

// The offset in force on the date: daylight saving in summer, standard time in winter, and
// the day of the change on either side of it (EU rule: last Sunday of March, 01:00 UTC).
TEST(LocalToUtc, TakesTheOffsetInForceOnThatDateAndKeepsTimeOfDayBeforeTheBaseDay) {
  const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
  const struct {
    const char* zone;
    DateTime local;
    const char* utc;
  } rows[] = {{"Europe/Berlin", MakeDate(2020, 6, 1, 10, 30, 0), "2020-06-01 08:30:00"},
              {"Europe/Berlin", MakeDate(2020, 1, 15, 10, 30, 0), "2020-01-15 09:30:00"},
              {"Europe/Berlin", MakeDate(2020, 3, 29, 1, 30, 0), "2020-03-29 00:30:00"},
              {"Europe/Berlin", MakeDate(2020, 3, 29, 3, 30, 0), "2020-03-29 01:30:00"},
              {"America/New_York", MakeDate(2020, 7, 4, 23, 0, 0), "2020-07-05 03:00:00"},
              {"America/New_York", MakeDate(2020, 12, 31, 23, 0, 0), "2021-01-01 04:00:00"},
              {"CET-1CEST,M3.5.0,M10.5.0/3", MakeDate(2020, 6, 1, 10, 30, 0), "2020-06-01 08:30:00"},
              {"CST-8", MakeDate(2020, 6, 1, 10, 30, 0), "2020-06-01 02:30:00"},
              {"UTC0", MakeDate(2020, 6, 1, 10, 30, 0), "2020-06-01 10:30:00"}};
  for (const auto& r : rows) {
    setenv("TZ", r.zone, 1);
    tzset();
    EXPECT_EQ(FormatDateTime(LocalToUtc(r.local), "%Y-%m-%d %H:%M:%S"), r.utc) << r.zone;
  }
  setenv("TZ", "CST-8", 1);
  const double hoursAhead = (CurrentLocalDate().days - CurrentUtcDate().days) * 24;
  EXPECT_NEAR(hoursAhead, 8.0, 2.0 / 3600) << "the system clock's UTC";
  EXPECT_FALSE(LocalToUtc(MakeDate(2013, 2, 29, 0, 0, 0)).valid());
  saved.empty() ? unsetenv("TZ") : setenv("TZ", saved.c_str(), 1);
  tzset();
  EXPECT_DOUBLE_EQ(MakeDate(1899, 12, 29, 6, 0, 0).days, -1.25);
}

TEST(InvalidValues, WriteTheBytesOfMinusOneParts) {
  DateTime invalid;
  invalid.status = DateTime::Status::Invalid;
  uint8_t out[5];
  DateToUtcTime(invalid, out, 0);
  EXPECT_EQ(out[2], ToBcdByte(-1));
}

}  // namespace
}  // namespace quorvelin
