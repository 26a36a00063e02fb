// Column codecs of history series.
//
// A series travels column by column: all rows of one column, then the next.
// Each codec reads exactly its column from the cursor and writes rows 0 to
// count-1 through the pointer member of the column's CIndexValue; the caller
// has allocated at least `count` elements. Delta-coded columns send row 0
// whole and every later row as the difference from the row before.
//
// Running values wrap like the integers of the protocol: 32-bit columns
// modulo 2^32, 64-bit columns modulo 2^64 (the arithmetic is done unsigned so
// that wrapping is defined).
//
// Codecs whose first row is read before the count is looked at still read
// that field for a count below 1, but store nothing: no array of at least one
// element is promised then.
#include <algorithm>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"
#include "codes/DecimalScale.h"
#include "decode/series/Calendar.h"

namespace {

// The low 32 bits of a value, read as a signed 32-bit integer.
int32_t Low32(uint64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

constexpr int kBitsPerFlagByte = 8;
constexpr int kTen = 10;
constexpr int kHundred = 100;
constexpr int kThousand = 1000;

// A 64-bit product read as signed and divided by a constant (toward zero).
// A function object, not a function: passed on as a pointer, the division
// would be an indirect call per row instead of a multiplication in line.
template <int kDivisor>
struct DivideBy {
  int64_t operator()(uint64_t product) const { return static_cast<int64_t>(product) / kDivisor; }
};
constexpr uint8_t kFirstFlagBit = 0x80;
constexpr int kBuyFlag = 0;   // a set bit: "B"
constexpr int kSellFlag = 1;  // a clear bit: "S"

// The year offset of a date column: years before 1970 are moved forward by
// whole 400-year cycles, where the calendar repeats, before the C library
// converts them.
constexpr int kFirstConvertibleYear = 1970;
constexpr int kCalendarCycleYears = 400;
constexpr int kTmYearBase = 1900;

// The shape of the delta-coded columns with signed deltas: row 0 is `first`,
// every later row adds a signed stop-bit delta to a 64-bit running value
// (modulo 2^64), and each row stores what `store` makes of the running value.
template <typename T, typename Store>
void RunningSum(T* rows, uint64_t first, int count, CDecodeCode& code, Store store) {
  StopBitRun run(code);
  uint64_t running = first;
  rows[0] = store(running, 0);
  for (int i = 1; i < count; ++i) {
    running += static_cast<uint64_t>(run.Int64());
    rows[i] = store(running, i);
  }
}

int DateOf(const kestrel::LocalTime& local, int yearOffset) {
  return (local.yearsSince1900 + yearOffset) * 10000 + (local.monthIndex + 1) * 100 + local.day;
}
int TimeOf(const kestrel::LocalTime& local) {
  return local.hour * 10000 + local.minute * 100 + local.second;
}

}  // namespace

void CKestrelCode::DecodeDayKLine_Int_1_Method_Date(CIndexValue* column, int count,
                                                    CDecodeCode& code) {
  const int first = static_cast<int>(ReadUInt32(code));
  if (count < 1) return;
  int* rows = column->pnValue;
  rows[0] = first;
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) {
    const auto gap = static_cast<int32_t>(run.UInt32());
    rows[i] = kestrel::AddDaysToDate(rows[i - 1], gap);
  }
}

void CKestrelCode::DecodeDayKLine_Int_2_Method(CIndexValue* column, int count, CDecodeCode& code) {
  uint32_t running = ReadUInt32(code);
  if (count < 1) return;
  int* rows = column->pnValue;
  rows[0] = static_cast<int32_t>(running);
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) {
    running += run.UInt32();
    rows[i] = static_cast<int32_t>(running);
  }
}

void CKestrelCode::DecodeDayKLine_Int_3_Method_Date_And_Time(CIndexValue* dateColumn,
                                                             CIndexValue* timeColumn, int count,
                                                             CDecodeCode& code) {
  const int date0 = static_cast<int>(ReadUInt32(code));
  const int time0 = static_cast<int>(ReadUInt32(code));
  if (count < 1) return;
  int* dates = dateColumn->pnValue;
  int* times = timeColumn->pnValue;
  dates[0] = date0;
  times[0] = time0;
  kestrel::DateParts date;
  kestrel::SplitDate(date0, &date);  // a rejected date leaves all parts 0
  const kestrel::TimeParts time = kestrel::SplitTime(time0);
  int yearOffset = kTmYearBase;
  while (date.year < kFirstConvertibleYear) {
    date.year += kCalendarCycleYears;
    yearOffset -= kCalendarCycleYears;
  }
  int64_t instant = kestrel::MakeLocalDateTime(date.year, date.month, date.day, time.hour,
                                               time.minute, time.second);
  kestrel::LocalTimeCache localTime;
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) {
    instant += static_cast<int32_t>(run.UInt32());
    kestrel::LocalTime local;
    if (!localTime.Convert(instant, &local)) {
      dates[i] = 0;
      times[i] = 0;
      continue;
    }
    dates[i] = DateOf(local, yearOffset);
    times[i] = TimeOf(local);
  }
}

void CKestrelCode::DecodeDayKLine_Int_4_Method_Time(CIndexValue* column, int count,
                                                    CDecodeCode& code) {
  const int time0 = static_cast<int>(ReadUInt32(code));
  if (count < 1) return;
  int* rows = column->pnValue;
  rows[0] = time0;
  const kestrel::TimeParts time = kestrel::SplitTime(time0);
  int64_t instant = kestrel::MakeReferenceDayTime(time.hour, time.minute, time.second);
  kestrel::LocalTimeCache localTime;
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) {
    instant += Low32(static_cast<uint64_t>(run.Int64()));
    kestrel::LocalTime local;
    // The date is dropped: a series that runs past midnight goes on from 0.
    if (!localTime.Convert(instant, &local)) {
      // Later rows read 0.
      std::fill(rows + i, rows + count, 0);
      return;
    }
    rows[i] = TimeOf(local);
  }
}

void CKestrelCode::DecodeDayKLine_Int_5_Method(CIndexValue* column, int count, CDecodeCode& code) {
  if (count < 1) return;
  int* rows = column->pnValue;
  StopBitRun run(code);
  for (int i = 0; i < count; ++i) rows[i] = static_cast<int32_t>(run.UInt32());
}

void CKestrelCode::DecodeDayKLine_Int_6_Method_Date(CIndexValue* column, int count,
                                                    CDecodeCode& code) {
  const auto first = static_cast<uint64_t>(ReadInt64(code));
  if (count < 1) return;
  RunningSum(column->pnValue, first, count, code,
             [](uint64_t running, int) { return QeDateToHQDate(static_cast<int64_t>(running)); });
}

void CKestrelCode::DecodeDayKLine_Int_7_Method(CIndexValue* column, int count, CDecodeCode& code) {
  // A 32-bit running value: the low 32 bits of the 64-bit sum.
  const uint64_t first = ReadUInt32(code);
  if (count < 1) return;
  RunningSum(column->pnValue, first, count, code,
             [](uint64_t running, int) { return Low32(running); });
}

void CKestrelCode::DecodeDayKLine_Double_1_Method(CIndexValue* base, CIndexValue* second,
                                                  CIndexValue* third, CIndexValue* fourth,
                                                  int count, int factor, CDecodeCode& code) {
  // The base column holds the smallest of the four prices of a row; the other
  // three are unsigned offsets above it.
  uint32_t running = ReadUInt32(code);
  if (count < 1) return;
  double* columns[] = {base->pdValue, second->pdValue, third->pdValue, fourth->pdValue};
  // Each price is scaled as it is read: the divisions run alongside the
  // reading of the next fields instead of in passes of their own.
  const kestrel::DecimalScale scale(factor);
  StopBitRun run(code);
  for (int i = 0; i < count; ++i) {
    running += static_cast<uint32_t>(run.Int64());
    columns[0][i] = scale.Apply(static_cast<int32_t>(running));
    for (int c = 1; c < 4; ++c) {
      const uint32_t offset = run.UInt32();
      columns[c][i] = scale.Apply(static_cast<int32_t>(running + offset));
    }
  }
}

void CKestrelCode::DecodeDayKLine_Double_2_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const auto first = static_cast<int32_t>(ReadUInt32(code));
  if (count < 1) return;
  // Each row is the row before plus its scaled delta.
  const kestrel::DecimalScale scale(factor);
  double* rows = column->pdValue;
  rows[0] = scale.Apply(first);
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) rows[i] = rows[i - 1] + scale.Apply(run.Int64());
}

void CKestrelCode::DecodeDayKLine_Double_3_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const auto first = static_cast<uint64_t>(ReadInt64(code));
  if (count < 1) return;
  const kestrel::DecimalScale scale(factor);
  RunningSum(column->pdValue, first, count, code, [scale](uint64_t running, int) {
    return scale.Apply(static_cast<int64_t>(running));
  });
}

void CKestrelCode::DecodeDayKLine_Double_4_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const uint64_t first = ReadUInt32(code);  // widened without sign
  if (count < 1) return;
  const kestrel::DecimalScale scale(factor);
  RunningSum(column->pdValue, first, count, code, [scale](uint64_t running, int) {
    return scale.Apply(static_cast<int64_t>(running));
  });
}

void CKestrelCode::DecodeDayKLine_Int64_1_Method(CIndexValue* column, int count, int multiplier,
                                                 int divisor, CDecodeCode& code) {
  // The running value stays unscaled; each row is scaled on its own. A
  // divisor of 0 leaves the product undivided, and -1 negates it modulo 2^64.
  const auto first = static_cast<uint64_t>(ReadInt64(code));
  if (count < 1) return;
  const auto factor = static_cast<uint64_t>(static_cast<int64_t>(multiplier));
  const auto run = [&](auto divide) {
    RunningSum(column->pllValue, first, count, code,
               [factor, divide](uint64_t running, int) { return divide(running * factor); });
  };
  // The layouts' divisors (1, 10, 100 and 1000) divide by a constant the
  // compiler knows, without a division instruction per row.
  switch (divisor) {
    case 0:
    case 1:
      run([](uint64_t product) { return static_cast<int64_t>(product); });
      break;
    case -1:
      run([](uint64_t product) { return static_cast<int64_t>(0 - product); });
      break;
    case kTen:
      run(DivideBy<kTen>());
      break;
    case kHundred:
      run(DivideBy<kHundred>());
      break;
    case kThousand:
      run(DivideBy<kThousand>());
      break;
    default:
      run([divisor](uint64_t product) { return static_cast<int64_t>(product) / divisor; });
      break;
  }
}

void CKestrelCode::DecodeDayKLine_Int64_2_Method(CIndexValue* column, int count,
                                                 CDecodeCode& code) {
  if (count < 1) return;
  int64_t* rows = column->pllValue;
  StopBitRun run(code);
  for (int i = 0; i < count; ++i) rows[i] = run.Int64();
}

void CKestrelCode::DecodeDayKLine_Int64_3_Method(CIndexValue* column, int count,
                                                 int firstMultiplier, int laterMultiplier,
                                                 CDecodeCode& code) {
  const uint64_t first = ReadUInt32(code);  // widened without sign
  if (count < 1) return;
  const auto firstFactor = static_cast<uint64_t>(static_cast<int64_t>(firstMultiplier));
  const auto laterFactor = static_cast<uint64_t>(static_cast<int64_t>(laterMultiplier));
  RunningSum(column->pllValue, first, count, code, [=](uint64_t running, int row) {
    return static_cast<int64_t>(running * (row == 0 ? firstFactor : laterFactor));
  });
}

void CKestrelCode::DecodeDayKLine_56_Index(CIndexValue* column, int count, CDecodeCode& code) {
  if (count < 1) return;
  int* rows = column->pnValue;
  // One bit per row, most significant bit first; the bits of the last byte
  // beyond the count are ignored.
  uint8_t flags = 0;
  for (int i = 0; i < count; ++i) {
    if (i % kBitsPerFlagByte == 0) ReadBytes(code, &flags, 1);
    const uint8_t bit = static_cast<uint8_t>(kFirstFlagBit >> (i % kBitsPerFlagByte));
    rows[i] = (flags & bit) ? kBuyFlag : kSellFlag;
  }
}

int CKestrelCode::QeDateToHQDate(int64_t packed) {
  // Bits 0-4 day, 5-8 month, 9-15 year - 1949; higher bits are ignored and
  // no part is range-checked.
  constexpr int kBaseYear = 1949;
  const auto bits = static_cast<uint64_t>(packed);
  const int year = static_cast<int>((bits >> 9) & 127) + kBaseYear;
  const int month = static_cast<int>((bits >> 5) & 15);
  const int day = static_cast<int>(bits & 31);
  return year * 10000 + month * 100 + day;
}
