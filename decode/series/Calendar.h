// Calendar arithmetic of the date and time columns.
//
// Dates are 32-bit integers yyyymmdd; times of day are hhmmss. Instants are
// seconds as 64-bit integers in the host's local time zone. Every conversion
// keeps its broken-down time on the caller's stack, so decoding may run on
// several threads at once.
#ifndef KESTREL_DECODE_SERIES_CALENDAR_H
#define KESTREL_DECODE_SERIES_CALENDAR_H

#include <cstdint>

namespace kestrel {

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};
struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// hhmmss into its parts; always succeeds.
TimeParts SplitTime(int time);
// yyyymmdd into its parts; false (and all parts 0) when the month is outside
// 1-12 or the day outside 1-32.
bool SplitDate(int date, DateParts* parts);
// Days of the month, 0 for a year below 1 or a month outside 1-12.
int DaysInMonth(int year, int month);
// Carries a day outside its month into the months around it: 0 for an
// invalid year or month, -1 when the date would fall before year 1.
int NormalizeDate(int year, int month, int64_t day);
// date + days (calendar days); 0 when the date is not a valid date.
int AddDaysToDate(int date, int32_t days);
// The local instant of a broken-down time, the C library deciding daylight
// saving; -1 when the C library cannot represent it.
int64_t MakeLocalDateTime(int year, int month, int day, int hour, int minute, int second);
// The local instant of a time of day on the fixed reference day 2000-12-04,
// without daylight saving.
int64_t MakeReferenceDayTime(int hour, int minute, int second);

// The broken-down local time of an instant.
struct LocalTime {
  int yearsSince1900 = 0;
  int monthIndex = 0;  // 0-11
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
// False when the C library cannot convert the instant.
bool ToLocalTime(int64_t instant, LocalTime* local);

// Converts a series of nearby instants to local time, asking the C library
// about once per local day instead of once per instant: within a day whose
// UTC offset does not change (checked at both of its midnights), the time of
// day is the instant's distance from midnight. Days with a change of offset
// or a leap second are converted instant by instant. Gives exactly what
// ToLocalTime gives.
class LocalTimeCache {
 public:
  // In line: most instants of a series fall in the day learnt last.
  bool Convert(int64_t instant, LocalTime* local) {
    if (!valid_ || instant < dayStart_ || instant >= dayEnd_) return ConvertNewDay(instant, local);
    const auto seconds = static_cast<int>(instant - dayStart_);
    *local = midnight_;
    local->hour = seconds / kSecondsPerHour;
    local->minute = seconds / kSecondsPerMinute % kSecondsPerMinute;
    local->second = seconds % kSecondsPerMinute;
    return true;
  }

 private:
  static constexpr int64_t kSecondsPerDay = 86400;
  static constexpr int kSecondsPerHour = 3600;
  static constexpr int kSecondsPerMinute = 60;
  // Asks the C library, and learns the instant's day when it is a plain one.
  bool ConvertNewDay(int64_t instant, LocalTime* local);

  int64_t dayStart_ = 0;  // local midnight
  int64_t dayEnd_ = 0;    // the next local midnight, one plain day later
  LocalTime midnight_;
  bool valid_ = false;
};

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_CALENDAR_H
