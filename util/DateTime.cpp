#include "util/DateTime.h"

#include <cerrno>
#include <cmath>
#include <ctime>

namespace quorvelin {
namespace {

constexpr int kSecondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(long y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long kBaseDay = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// The date type stores days before the base day with the time of day counted forwards:
// -1.25 is 1899-12-29 06:00. Linear time runs straight through zero.
double ToLinear(double v) {
  if (v >= 0) return v;
  const double day = std::ceil(v);
  return day + (day - v);
}

}  // namespace

DateTime MakeDate(int year, int month, int day, int hour, int minute, int second) {
  DateTime out;
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    out.status = DateTime::Status::Invalid;
    return out;
  }
  const double dayCount = static_cast<double>(DaysFromCivil(year, month, day) - kBaseDay);
  const double fraction = (hour * 3600 + minute * 60 + second) / static_cast<double>(kSecondsPerDay);
  out.days = dayCount >= 0 ? dayCount + fraction : dayCount - fraction;
  return out;
}

DateParts BreakDown(const DateTime& value) {
  DateParts p;
  if (!value.valid() || !std::isfinite(value.days)) return p;
  const double linear = ToLinear(value.days);
  const double whole = std::floor(linear);
  long day = static_cast<long>(whole);
  long seconds = std::lround((linear - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++day;
  }
  CivilFromDays(day + kBaseDay, p.year, p.month, p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  const long epochDay = day + kBaseDay;  // 1970-01-01 was a Thursday
  p.dayOfWeek = static_cast<int>(((epochDay % 7) + 11) % 7);
  p.dayOfYear = static_cast<int>(epochDay - DaysFromCivil(p.year, 1, 1) + 1);
  return p;
}

namespace {

DateTime DateOfTm(const std::tm& t) {
  return MakeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

std::tm TmOf(const DateParts& p) {
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_wday = p.dayOfWeek;
  t.tm_yday = p.dayOfYear - 1;
  return t;
}

}  // namespace

DateTime CurrentLocalDate() {
  tzset();  // TZ as it is now, as mktime reads it
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateOfTm(local);
}

DateTime CurrentUtcDate() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  return DateOfTm(utc);
}

DateTime LocalToUtc(const DateTime& value) {
  const DateParts p = BreakDown(value);
  if (p.year < 0) return value;
  std::tm local = TmOf(p);
  local.tm_isdst = -1;  // the offset in force on that date, daylight saving included
  errno = 0;
  const std::time_t t = std::mktime(&local);
  std::tm utc{};
  if ((t == static_cast<std::time_t>(-1) && errno != 0) || gmtime_r(&t, &utc) == nullptr) {
    DateTime out;
    out.status = DateTime::Status::Invalid;
    return out;
  }
  return DateOfTm(utc);
}

uint8_t ToBcdByte(int value) { return static_cast<uint8_t>((value / 10) * 16 + value % 10); }

int FromBcdByte(uint8_t byte) { return (byte >> 4) * 10 + (byte & 0x0F); }

int MjdOfDate(int year, int month, int day) {
  const int y = year - 1900, m = month, d = day;
  const int l = (m == 1 || m == 2) ? 1 : 0;
  return 14956 + d + static_cast<int>((y - l) * 365.25) + static_cast<int>((m + 1 + l * 12) * 30.6001);
}

DateTime DateOfMjd(int mjd, int hour, int minute, int second) {
  const int yp = static_cast<int>((mjd - 15078.2) / 365.25);
  const int mp = static_cast<int>((mjd - 14956.1 - static_cast<int>(yp * 365.25)) / 30.6001);
  const int d = mjd - 14956 - static_cast<int>(yp * 365.25) - static_cast<int>(mp * 30.6001);
  const int k = (mp == 14 || mp == 15) ? 1 : 0;
  return MakeDate(yp + k + 1900, mp - 1 - k * 12, d, hour, minute, second);
}

void DateToUtcTime(const DateTime& value, uint8_t* bytes, int offset) {
  const DateParts p = BreakDown(value);
  const int mjd = MjdOfDate(p.year, p.month, p.day);
  uint8_t* out = bytes + offset;
  out[0] = static_cast<uint8_t>((mjd >> 8) & 0xFF);
  out[1] = static_cast<uint8_t>(mjd & 0xFF);
  out[2] = ToBcdByte(p.hour);
  out[3] = ToBcdByte(p.minute);
  out[4] = ToBcdByte(p.second);
}

DateTime UtcTimeToDate(const uint8_t* utc) {
  return DateOfMjd(utc[0] * 256 + utc[1], FromBcdByte(utc[2]), FromBcdByte(utc[3]), FromBcdByte(utc[4]));
}

std::string FormatDateTime(const DateTime& value, const char* format) {
  if (value.status == DateTime::Status::Null) return {};
  if (!value.valid()) return "Invalid DateTime";
  const DateParts p = BreakDown(value);
  const std::tm tm = TmOf(p);
  char buffer[256];
  const size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

}  // namespace quorvelin
