// Calendar arithmetic of the date and time columns.
#include "decode/series/Calendar.h"

#include <ctime>

namespace kestrel {
namespace {

constexpr int kMonthsPerYear = 12;
constexpr int kMaxDayOfMonth = 32;  // days above the month's length still split
constexpr int kDaysInMonths[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// The last year whose every date yyyymmdd fits in an int.
constexpr int kLastWholeYear = 214748;
// The Gregorian calendar repeats every 400 years, of 146097 days.
constexpr int kCycleYears = 400;
constexpr int64_t kCycleDays = 146097;
constexpr int kTmYearBase = 1900;
// The reference day of times of day: 2000-12-04.
constexpr int kReferenceYearsSince1900 = 100;
constexpr int kReferenceMonthIndex = 11;
constexpr int kReferenceDay = 4;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t MakeTime(std::tm* broken) {
  const std::time_t instant = std::mktime(broken);
  return static_cast<int64_t>(instant);
}

}  // namespace

TimeParts SplitTime(int time) {
  TimeParts parts;
  parts.hour = time / 10000;
  parts.minute = (time - parts.hour * 10000) / 100;
  parts.second = time % 100;
  return parts;
}

bool SplitDate(int date, DateParts* parts) {
  DateParts split;
  split.year = date / 10000;
  split.month = (date - split.year * 10000) / 100;
  split.day = date % 100;
  const bool valid = split.month >= 1 && split.month <= kMonthsPerYear && split.day >= 1 &&
                     split.day <= kMaxDayOfMonth;
  *parts = valid ? split : DateParts{};
  return valid;
}

int DaysInMonth(int year, int month) {
  if (year < 1 || month < 1 || month > kMonthsPerYear) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDaysInMonths[month - 1];
}

int NormalizeDate(int year, int month, int64_t day) {
  if (year < 1 || month < 1 || month > kMonthsPerYear) return 0;
  int64_t y = year;
  // Whole 400-year cycles first, so that a gap of millions of days costs no
  // more than a few hundred steps; the month-by-month walk gives the same date.
  if (day > kCycleDays) {
    const int64_t cycles = (day - 1) / kCycleDays;
    day -= cycles * kCycleDays;
    y += cycles * kCycleYears;
  } else if (day < -kCycleDays) {
    const int64_t cycles = -day / kCycleDays;
    day += cycles * kCycleDays;
    y -= cycles * kCycleYears;
    if (y < 1) return -1;
  }
  int m = month;
  if (day >= 1) {
    for (int days = DaysInMonth(static_cast<int>(y), m); day > days;
         days = DaysInMonth(static_cast<int>(y), m)) {
      day -= days;
      if (++m > kMonthsPerYear) {
        m = 1;
        ++y;
      }
    }
  } else {
    while (day < 1) {
      if (--m < 1) {
        m = kMonthsPerYear;
        --y;
      }
      if (y < 1) return -1;
      day += DaysInMonth(static_cast<int>(y), m);
    }
  }
  // Years beyond the 32-bit date range wrap, as an int would.
  return static_cast<int>(static_cast<uint32_t>(y * 10000 + int64_t{m} * 100 + day));
}

int AddDaysToDate(int date, int32_t days) {
  DateParts parts;
  if (!SplitDate(date, &parts)) return 0;
  // Within the shortest month: the day number alone moves. (Asking for the
  // month's own length costs more per row than the rare walk it saves.)
  if (parts.year >= 1 && days >= 0 && days <= kShortestMonthDays - parts.day) return date + days;
  return NormalizeDate(parts.year, parts.month, static_cast<int64_t>(parts.day) + days);
}

void DateWalk::Start(int date) {
  date_ = date;
  DateParts parts;
  const bool walkable = SplitDate(date, &parts) && parts.year >= 1;
  year_ = parts.year;
  month_ = parts.month;
  // Within the month, AddDaysToDate's result is the date plus the gap. A day
  // past the month's length (SplitDate allows up to 32) leaves fewer than 0.
  daysLeft_ = walkable ? DaysInMonth(parts.year, parts.month) - parts.day : -1;
}

void DateWalk::NextMonth(int day) {
  if (++month_ > kMonthsPerYear) {
    month_ = 1;
    ++year_;
  }
  const int64_t date = int64_t{year_} * 10000 + int64_t{month_} * 100 + day;
  if (year_ > kLastWholeYear) {
    // As NormalizeDate does, a year beyond the 32-bit date range wraps; the
    // wrapped date is not walked.
    Start(static_cast<int>(static_cast<uint32_t>(date)));
    return;
  }
  date_ = static_cast<int>(date);
  daysLeft_ = DaysInMonth(year_, month_) - day;
}

int64_t MakeLocalDateTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm broken{};
  broken.tm_year = year - kTmYearBase;
  broken.tm_mon = month - 1;
  broken.tm_mday = day;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  broken.tm_isdst = -1;
  return MakeTime(&broken);
}

int64_t MakeReferenceDayTime(int hour, int minute, int second) {
  std::tm broken{};
  broken.tm_year = kReferenceYearsSince1900;
  broken.tm_mon = kReferenceMonthIndex;
  broken.tm_mday = kReferenceDay;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  broken.tm_isdst = 0;
  return MakeTime(&broken);
}

bool ToLocalTime(int64_t instant, LocalTime* local) {
  const auto t = static_cast<std::time_t>(instant);
  std::tm broken{};
  if (localtime_r(&t, &broken) == nullptr) return false;
  local->yearsSince1900 = broken.tm_year;
  local->monthIndex = broken.tm_mon;
  local->day = broken.tm_mday;
  local->hour = broken.tm_hour;
  local->minute = broken.tm_min;
  local->second = broken.tm_sec;
  return true;
}

bool LocalTimeCache::ConvertNewDay(int64_t instant, LocalTime* local) {
  if (!ToLocalTime(instant, local)) return false;
  // Learn the day around the instant: its midnight must read 00:00:00 of the
  // same date, and the instant one plain day later 00:00:00 again.
  const int64_t start =
      instant - (local->hour * kSecondsPerHour + local->minute * kSecondsPerMinute + local->second);
  LocalTime atStart;
  LocalTime atEnd;
  const auto isMidnight = [](const LocalTime& t) {
    return t.hour == 0 && t.minute == 0 && t.second == 0;
  };
  const bool plain = ToLocalTime(start, &atStart) && isMidnight(atStart) &&
                     atStart.day == local->day && atStart.monthIndex == local->monthIndex &&
                     atStart.yearsSince1900 == local->yearsSince1900 &&
                     ToLocalTime(start + kSecondsPerDay, &atEnd) && isMidnight(atEnd);
  dayStart_ = start;
  dayLength_ = plain ? kSecondsPerDay : 0;
  if (plain) midnight_ = atStart;
  return true;
}

}  // namespace kestrel
