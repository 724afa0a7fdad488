// Date-time values as days since 1899-12-30 (fraction = time of day), and the DVB
// UTC_time field (16-bit MJD + BCD hour, minute, second; ETSI EN 300 468 Annex C).
#pragma once

#include <cstdint>
#include <string>

namespace quorvelin {

struct DateTime {
  enum class Status { Valid = 0, Invalid = 1, Null = 2 };
  double days = 0.0;
  Status status = Status::Valid;

  bool valid() const { return status == Status::Valid; }
  bool operator==(const DateTime&) const = default;
};

struct DateParts {
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
  int dayOfWeek = -1;  // 0 = Sunday
  int dayOfYear = -1;  // 1-based
};

// Invalid when the parts do not form a calendar date and time (years 100..9999).
DateTime MakeDate(int year, int month, int day, int hour, int minute, int second);
// Every part is -1 for a value that is not valid.
DateParts BreakDown(const DateTime& value);

DateTime CurrentLocalDate();
// The system clock's UTC time, as the TDT and TOT carry it.
DateTime CurrentUtcDate();
// Local time of the zone (TZ) to UTC with the offset in force on that date, daylight saving
// included; a value that is not valid stays as it is.
DateTime LocalToUtc(const DateTime& value);

// Annex C conversions on the whole Modified Julian Date (valid 1900-03-01 to 2100-02-28).
int MjdOfDate(int year, int month, int day);
DateTime DateOfMjd(int mjd, int hour, int minute, int second);

// The 16-bit MJD field wraps after 2038-04-22 (MJD 65535).
void DateToUtcTime(const DateTime& value, uint8_t* bytes, int offset);
DateTime UtcTimeToDate(const uint8_t* utcTime);

// strftime formatting; "Invalid DateTime" for an invalid value, "" for a null one.
std::string FormatDateTime(const DateTime& value, const char* format);

// Two BCD digits (tens in the high nibble) of 0..99; the nibbles of -1 as the division gives.
uint8_t ToBcdByte(int value);
int FromBcdByte(uint8_t byte);

}  // namespace quorvelin
