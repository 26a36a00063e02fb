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
// A date moved on by one day gap after another, each step giving what
// AddDaysToDate gives. It keeps the days left in the date's month, so that a
// gap within the month costs one comparison instead of splitting the date,
// and its year and month, so that a gap into the next month (at most the
// shortest month's length past the end of this one) costs only the length
// of the next month.
inline constexpr int kShortestMonthDays = 28;

class DateWalk {
 public:
  explicit DateWalk(int date) { Start(date); }
  int Add(int32_t days) {
    if (days >= 0 && days <= daysLeft_) {
      daysLeft_ -= days;
      date_ += days;
    } else if (daysLeft_ >= 0 && days > daysLeft_ && days - daysLeft_ <= kShortestMonthDays) {
      NextMonth(days - daysLeft_);
    } else {
      Start(AddDaysToDate(date_, days));
    }
    return date_;
  }

 private:
  // Takes up `date`; a date that AddDaysToDate does not move by its day
  // number alone (not valid, or before year 1) gets no days left.
  void Start(int date);
  // Moves to day `day` (1 to kShortestMonthDays) of the next month.
  void NextMonth(int day);

  int date_ = 0;
  int daysLeft_ = -1;  // -1: every gap goes to AddDaysToDate
  int year_ = 0;       // of date_, while daysLeft_ >= 0
  int month_ = 0;
};

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
    const int seconds = SecondsIntoDay(instant);
    if (seconds < 0) return ConvertNewDay(instant, local);
    *local = midnight_;
    local->hour = seconds / kSecondsPerHour;
    local->minute = seconds / kSecondsPerMinute % kSecondsPerMinute;
    local->second = seconds % kSecondsPerMinute;
    return true;
  }
  // The instant's distance from local midnight when it falls in the day
  // learnt last; -1 when Convert must ask the C library. One comparison:
  // a day not learnt has length 0.
  int SecondsIntoDay(int64_t instant) const {
    const uint64_t since = static_cast<uint64_t>(instant) - static_cast<uint64_t>(dayStart_);
    return since < dayLength_ ? static_cast<int>(since) : -1;
  }
  // The local midnight of the day learnt last (meaningful while
  // SecondsIntoDay answers).
  const LocalTime& Midnight() const { return midnight_; }

 private:
  static constexpr int64_t kSecondsPerDay = 86400;
  static constexpr int kSecondsPerHour = 3600;
  static constexpr int kSecondsPerMinute = 60;
  // Asks the C library, and learns the instant's day when it is a plain one.
  bool ConvertNewDay(int64_t instant, LocalTime* local);

  int64_t dayStart_ = 0;    // local midnight
  uint64_t dayLength_ = 0;  // one plain day, or 0 while no day is learnt
  LocalTime midnight_;
};

// hhmmss of a time of day given in seconds since midnight (0 to 86399),
// from a table of the day's minutes: one multiplication instead of three
// divisions.
namespace calendar {
inline constexpr int kMinutesPerDay = 24 * 60;
inline constexpr int kMinutesPerHour = 60;
inline constexpr int kSecondsPerMinute = 60;
inline constexpr int kHourPlace = 10000;
inline constexpr int kMinutePlace = 100;
struct MinuteTimes {  // hhmm00 of every minute of the day
  constexpr MinuteTimes() {
    for (int m = 0; m < kMinutesPerDay; ++m) {
      times[m] = m / kMinutesPerHour * kHourPlace + m % kMinutesPerHour * kMinutePlace;
    }
  }
  int times[kMinutesPerDay] = {};
};
inline constexpr MinuteTimes kMinuteTimes;
}  // namespace calendar
inline int TimeOfDay(int seconds) {
  const int minute = seconds / calendar::kSecondsPerMinute;
  return calendar::kMinuteTimes.times[minute] + (seconds - minute * calendar::kSecondsPerMinute);
}

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_CALENDAR_H
