// Column writers: the series of history and level-2 messages, written column
// by column the way the server codes them.
//
// A series travels as a row count and then each column in turn, all rows of
// one column before the next. Most columns send row 0 whole and every later
// row as its difference from the row before; each writer here is the inverse
// of one way of reading a column. Values are the integers that travel on the
// wire (prices already scaled by the security's price unit factor).
#ifndef KESTREL_WIRE_COLUMNS_H
#define KESTREL_WIRE_COLUMNS_H

#include <array>
#include <cstdint>
#include <vector>

#include "wire/MessageBuilder.h"

namespace kwire {

// How a number of a column travels: unsigned or signed stop-bit.
enum class Form { kUnsigned, kSigned };

// Row 0 in `first` form, then each row's difference from the row before in
// `deltas` form. Unsigned deltas must not fall.
void DeltaColumn(MessageBuilder& out, const std::vector<int64_t>& values, Form first, Form deltas);
// Every row whole, in one form.
void PlainColumn(MessageBuilder& out, const std::vector<int64_t>& values, Form form);

// Four price columns on one base: each row holds its four prices, the first
// the smallest. The base column travels as signed differences, the three
// others as unsigned offsets above the base of their row.
void PriceColumns(MessageBuilder& out, const std::vector<std::array<int64_t, 4>>& rows);

// Calendar dates yyyymmdd: the first whole, then the gap in days to each.
void DateColumn(MessageBuilder& out, const std::vector<int>& dates);
// A date and a time column from one instant: date and time of row 0, then
// the seconds from each row to the next (unsigned field, signed meaning).
void DateTimeColumns(MessageBuilder& out, const std::vector<int>& dates,
                     const std::vector<int>& times);
// Times of day hhmmss: the first whole, then signed seconds to each.
void TimeColumn(MessageBuilder& out, const std::vector<int>& times);
// Buy/sell flags, one bit per row, most significant bit first: 0 (a buy)
// sets the bit, 1 leaves it clear.
void FlagColumn(MessageBuilder& out, const std::vector<int>& flags);

// A date as the packed form of QE series: day, month and year - 1949 in
// bits 0-4, 5-8 and 9-15.
int64_t PackedQeDate(int date);

// Days from 1970-01-01 to the date yyyymmdd (proleptic Gregorian calendar).
int64_t DaysFromEpoch(int date);

}  // namespace kwire

#endif  // KESTREL_WIRE_COLUMNS_H
