// Column layouts of history series, as data.
//
// A series travels column by column; a layout lists its columns in wire
// order, each with the codec that reads it and the codec's parameters. One
// engine (CKestrelCode::DecodeColumnLayout) declares the layout's indicator
// ids on a history record and runs the codecs, so a market's layout is a
// table, not a function.
#ifndef KESTREL_DECODE_SERIES_COLUMNLAYOUT_H
#define KESTREL_DECODE_SERIES_COLUMNLAYOUT_H

#include <cstddef>

#include "model/ValueTypes.h"

namespace kestrel {

// The codecs of series columns. Most fill one column; kPrices fills four
// (a base column and three offsets above it) and kDateAndTime two.
enum class ColumnCodec {
  kDate,         // DecodeDayKLine_Int_1_Method_Date: first date, then day gaps
  kDateAndTime,  // DecodeDayKLine_Int_3_Method_Date_And_Time: two columns
  kTime,         // DecodeDayKLine_Int_4_Method_Time
  kIntRising,    // DecodeDayKLine_Int_2_Method: unsigned deltas
  kIntPlain,     // DecodeDayKLine_Int_5_Method: no deltas
  kQeDate,       // DecodeDayKLine_Int_6_Method_Date: packed dates, deltas
  kIntDelta,     // DecodeDayKLine_Int_7_Method: signed deltas
  kPrices,       // DecodeDayKLine_Double_1_Method: four columns
  kDoubleSum,    // DecodeDayKLine_Double_2_Method: sums of scaled deltas
  kDouble64,     // DecodeDayKLine_Double_3_Method: signed first value
  kDoubleU32,    // DecodeDayKLine_Double_4_Method: unsigned first value
  kInt64Scaled,  // DecodeDayKLine_Int64_1_Method: x first / second
  kInt64Plain,   // DecodeDayKLine_Int64_2_Method: no deltas
  kInt64U32,     // DecodeDayKLine_Int64_3_Method: x first (row 0), x second (later)
  kBuySell,      // DecodeDayKLine_56_Index: one flag bit per row
};

// Columns the codec fills.
constexpr int ColumnSpan(ColumnCodec codec) {
  return codec == ColumnCodec::kPrices ? 4 : codec == ColumnCodec::kDateAndTime ? 2 : 1;
}

// The value type code of the arrays a codec writes: 32-bit integers,
// doubles or 64-bit integers.
constexpr int ColumnValueType(ColumnCodec codec) {
  switch (codec) {
    case ColumnCodec::kPrices:
    case ColumnCodec::kDoubleSum:
    case ColumnCodec::kDouble64:
    case ColumnCodec::kDoubleU32:
      return kValueDoubleArray;
    case ColumnCodec::kInt64Scaled:
    case ColumnCodec::kInt64Plain:
    case ColumnCodec::kInt64U32:
      return kValueInt64Array;
    default:
      return kValueIntArray;
  }
}

// Decimals of a price column: the series' own price unit factor, unless a
// layout fixes them. SeriesFactorPlus(k) asks for k decimals more than the
// series' factor (an average price carries one more than the price).
inline constexpr int kSeriesFactor = -1000;
inline constexpr int kMostExtraDecimals = 9;
constexpr int SeriesFactorPlus(int extra) { return kSeriesFactor + extra; }
// The decimals a column's codec gets in a series of price unit factor
// `factor`.
constexpr int ColumnDecimals(int decimals, int factor) {
  const int extra = decimals - kSeriesFactor;
  return extra >= 0 && extra <= kMostExtraDecimals ? factor + extra : decimals;
}

// One codec of a layout: its indicator ids (as many as the codec fills),
// its two integer parameters (multiplier and divisor, or first-row and
// later-row multipliers) and, for price columns, their decimals.
struct ColumnSpec {
  ColumnCodec codec;
  int ids[4];
  int first = 1;
  int second = 1;
  int decimals = kSeriesFactor;
};

// A layout: its columns in wire order.
struct ColumnLayout {
  const ColumnSpec* columns;
  size_t size;

  template <size_t N>
  constexpr ColumnLayout(const ColumnSpec (&parts)[N]) : columns(parts), size(N) {}
  const ColumnSpec* begin() const { return columns; }
  const ColumnSpec* end() const { return columns + size; }
  // The number of indicator columns the layout declares.
  constexpr int IdCount() const {
    int n = 0;
    for (size_t i = 0; i < size; ++i) n += ColumnSpan(columns[i].codec);
    return n;
  }
};

// The most columns any layout declares.
inline constexpr int kMaxLayoutColumns = 32;

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_COLUMNLAYOUT_H
