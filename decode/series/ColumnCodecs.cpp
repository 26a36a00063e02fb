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
#include <atomic>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"
#include "codes/DecimalScale.h"
#include "decode/series/Calendar.h"
#include "decode/series/WideDivision.h"

// The bodies of columns that WithScale runs are forced in line like a run's
// reads: each copy of a body is then built for the target of its caller.
#if defined(__GNUC__)
#define KESTREL_RUN_INLINE_LAMBDA __attribute__((always_inline))
#else
#define KESTREL_RUN_INLINE_LAMBDA
#endif

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
//
// The first rows also tell how the deltas are read: when their width flips
// between one and two bytes often (small deltas of either sign, at random),
// the rest are read with the branch-free pick of the two widths; when
// nearly all share one width of up to four bytes, a word's worth of them
// at a time (SameWidthBlocks).
constexpr int kWatchedRows = 32;
constexpr int kMixedFlips =
    kWatchedRows / 4;  // a quarter: branches mispredicted as often cost more
// Blocks pay only when nearly every delta has the common width: a block
// that does not costs a mispredicted branch on top of reading its fields
// one by one. (With three in four, type 130's volume column, of which one
// delta in six is a byte shorter, read 12% slower than without blocks.)
constexpr int kMostOfWatched = kWatchedRows - 2;
constexpr int kShortWidth = 2;
constexpr int kWidestBlockField = 4;

// Rows from `i` on, in blocks of the fields of kWidth bytes that fill a
// word: a block whose fields all have that width takes one load and one
// test; any other is read field by field. Stops before the last whole
// block; `i` is left at the first row not read.
template <int kWidth, typename T, typename Store>
KESTREL_RUN_INLINE void SameWidthBlocks(T* rows, int& i, int count, uint64_t& running,
                                        StopBitRun& run, const Store& store) {
  constexpr int kFields = CDecodeCode::kWordBytes / kWidth;
  for (; i + kFields <= count; i += kFields) {
    uint64_t word;
    if (!run.SameWidthFields<kWidth>(word)) {
      for (int k = 0; k < kFields; ++k) {
        running += static_cast<uint64_t>(run.Int64());
        rows[i + k] = store(running, i + k);
      }
      continue;
    }
#pragma GCC unroll 8
    for (int k = 0; k < kFields; ++k) {
      const uint64_t groups = stopbit::FieldGroups<kWidth>(word, k);
      running += static_cast<uint64_t>(stopbit::SignedGroups(groups, kWidth));
      rows[i + k] = store(running, i + k);
    }
  }
}

template <typename T, typename Store>
void RunningSum(T* rows, uint64_t first, int count, CDecodeCode& code, Store store) {
  StopBitRun run(code);
  uint64_t running = first;
  rows[0] = store(running, 0);
  const int watched = std::min(count, kWatchedRows);
  int flips = 0;
  int lastShort = 0;
  int widths[kWidestBlockField + 1] = {};  // rows of each width up to the widest block field
  int i = 1;
  for (; i < watched; ++i) {
    const int before = run.Position();
    running += static_cast<uint64_t>(run.Int64());
    rows[i] = store(running, i);
    const int width = run.Position() - before;
    if (width <= kWidestBlockField) ++widths[width];
    if (width > kShortWidth) continue;
    flips += static_cast<int>(lastShort != 0 && width != lastShort);
    lastShort = width;
  }
  if (flips >= kMixedFlips) {
    for (; i < count; ++i) {
      running += static_cast<uint64_t>(run.MixedShortInt64());
      rows[i] = store(running, i);
    }
    return;
  }
  const int* common = std::max_element(widths + 1, widths + kWidestBlockField + 1);
  if (*common >= kMostOfWatched) {
    switch (common - widths) {
      case 1:
        SameWidthBlocks<1>(rows, i, count, running, run, store);
        break;
      case 2:
        SameWidthBlocks<2>(rows, i, count, running, run, store);
        break;
      case 3:
        SameWidthBlocks<3>(rows, i, count, running, run, store);
        break;
      default:
        SameWidthBlocks<kWidestBlockField>(rows, i, count, running, run, store);
        break;
    }
  }
  for (; i < count; ++i) {
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

// Scaling of double columns by their power of ten. A division takes longer
// than reading a field, so four values share one (decode/series/
// WideDivision.h): each lane is the same IEEE division as a scalar one, and
// the values are those of DecimalScale::Apply bit for bit. A divisor of 1
// leaves the conversion alone (x / 1 is x); decimals that name no divisor
// give 0.
//
// Four doubles as one vector of lane-wise IEEE operations: in code built
// for AVX one instruction, otherwise two of two lanes.
constexpr int kLanes = 4;
using Lanes = double __attribute__((vector_size(kLanes * sizeof(double))));
using Quad = int64_t[kLanes];
using ScaledQuad = double[kLanes];

class DivideScale {
 public:
  explicit DivideScale(double divisor)
      : divisor_(divisor), divisors_{divisor, divisor, divisor, divisor} {}
  double One(int64_t value) const { return static_cast<double>(value) / divisor_; }
  KESTREL_RUN_INLINE void Four(const Quad& values, ScaledQuad& out) const {
    const Lanes quotients = Lanes{static_cast<double>(values[0]), static_cast<double>(values[1]),
                                  static_cast<double>(values[2]), static_cast<double>(values[3])} /
                            divisors_;
    out[0] = quotients[0];
    out[1] = quotients[1];
    out[2] = quotients[2];
    out[3] = quotients[3];
  }

 private:
  double divisor_;
  Lanes divisors_;
};
struct UnitScale {
  double One(int64_t value) const { return static_cast<double>(value); }
  void Four(const Quad& values, ScaledQuad& out) const {
    for (int k = 0; k < kLanes; ++k) out[k] = One(values[k]);
  }
};
struct ZeroScale {
  double One(int64_t) const { return 0.0; }
  void Four(const Quad&, ScaledQuad& out) const {
    for (double& value : out) value = 0.0;
  }
};

// Wide division: x86 with AVX, asked of the processor once.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define KESTREL_WIDE_TARGET __attribute__((target("avx")))
bool ProcessorDividesWide() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}
#else
#define KESTREL_WIDE_TARGET
bool ProcessorDividesWide() { return false; }
#endif
std::atomic<bool> gWideDivisionAllowed{true};

// The body of a column with the divide scale, built for wide division. The
// bodies are forced in line, so that this copy of them divides four lanes at
// once. They capture their state by value (the cursor aside): a copy of its
// own keeps it in registers here.
template <typename Body>
KESTREL_WIDE_TARGET void DivideWide(double divisor, Body body) {
  body(DivideScale(divisor));
}

// Runs body(scale) with the scale of `decimals`, chosen once per column.
template <typename Body>
void WithScale(int decimals, Body body) {
  const double divisor = kestrel::DecimalScale(decimals).Divisor();
  if (divisor == 0.0) {
    body(ZeroScale());
  } else if (divisor == 1.0) {
    body(UnitScale());
  } else if (kestrel::WideDivision()) {
    DivideWide(divisor, body);
  } else {
    body(DivideScale(divisor));
  }
}

// Rows `from` to count-1 of a double column, four at a time: each row's
// integer is what `step` makes of a signed value read from the run, and the
// row stores what `finish` makes of that integer scaled.
template <typename Scale, typename Step, typename Finish>
KESTREL_RUN_INLINE void ScaledRows(double* rows, int from, int count, const Scale& scale,
                                   StopBitRun& run, Step step, Finish finish) {
  int i = from;
  for (; i + kLanes <= count; i += kLanes) {
    Quad values;
    values[0] = step(run.Int64());
    values[1] = step(run.Int64());
    values[2] = step(run.Int64());
    values[3] = step(run.Int64());
    ScaledQuad scaled;
    scale.Four(values, scaled);
    rows[i] = finish(scaled[0]);
    rows[i + 1] = finish(scaled[1]);
    rows[i + 2] = finish(scaled[2]);
    rows[i + 3] = finish(scaled[3]);
  }
  for (; i < count; ++i) rows[i] = finish(scale.One(step(run.Int64())));
}

// The double columns of a 64-bit running value from `first` on, every later
// row adding a signed delta (modulo 2^64), each row scaled.
void ScaledRunningSum(double* rows, uint64_t first, int count, int factor, CDecodeCode& code) {
  WithScale(factor, [=, &code](const auto& scale) KESTREL_RUN_INLINE_LAMBDA {
    rows[0] = scale.One(static_cast<int64_t>(first));
    StopBitRun run(code);
    uint64_t running = first;
    ScaledRows(
        rows, 1, count, scale, run,
        [&running](int64_t delta) {
          running += static_cast<uint64_t>(delta);
          return static_cast<int64_t>(running);
        },
        [](double value) { return value; });
  });
}

}  // namespace

void CKestrelCode::DecodeDayKLine_Int_1_Method_Date(CIndexValue* column, int count,
                                                    CDecodeCode& code) {
  const int first = static_cast<int>(ReadUInt32(code));
  if (count < 1) return;
  int* rows = column->pnValue;
  rows[0] = first;
  kestrel::DateWalk date(first);
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) rows[i] = date.Add(static_cast<int32_t>(run.UInt32()));
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
  int dayDate = 0;  // the date of the day localTime learnt last
  StopBitRun run(code);
  for (int i = 1; i < count; ++i) {
    instant += static_cast<int32_t>(run.UInt32());
    // Within the day learnt last the date stays and the time comes from the
    // seconds since midnight.
    const int seconds = localTime.SecondsIntoDay(instant);
    if (seconds >= 0) {
      dates[i] = dayDate;
      times[i] = kestrel::TimeOfDay(seconds);
      continue;
    }
    kestrel::LocalTime local;
    if (!localTime.Convert(instant, &local)) {
      dates[i] = 0;
      times[i] = 0;
      continue;
    }
    dates[i] = DateOf(local, yearOffset);
    times[i] = TimeOf(local);
    dayDate = DateOf(localTime.Midnight(), yearOffset);
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
    const int seconds = localTime.SecondsIntoDay(instant);
    if (seconds >= 0) {
      rows[i] = kestrel::TimeOfDay(seconds);
      continue;
    }
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
  const uint32_t first = ReadUInt32(code);
  if (count < 1) return;
  // Each row's four prices are scaled as they are read, by one division of
  // four lanes: the divisions run alongside the reading of the next fields.
  double* const rows0 = base->pdValue;
  double* const rows1 = second->pdValue;
  double* const rows2 = third->pdValue;
  double* const rows3 = fourth->pdValue;
  const auto prices = [=, &code](const auto& scale) KESTREL_RUN_INLINE_LAMBDA {
    uint32_t running = first;
    StopBitRun run(code);
    for (int i = 0; i < count; ++i) {
      // Small steps and offsets take one byte each: a row is then one load.
      uint32_t offset1;
      uint32_t offset2;
      uint32_t offset3;
      uint64_t row;
      if (run.SameWidthFields<1, kLanes>(row)) {
        running += static_cast<uint32_t>(stopbit::SignedGroups(row, 1));
        offset1 = static_cast<uint32_t>(stopbit::FieldGroups<1>(row, 1));
        offset2 = static_cast<uint32_t>(stopbit::FieldGroups<1>(row, 2));
        offset3 = static_cast<uint32_t>(stopbit::FieldGroups<1>(row, 3));
      } else {
        running += static_cast<uint32_t>(run.Int64());
        offset1 = run.UInt32();
        offset2 = run.UInt32();
        offset3 = run.UInt32();
      }
      const Quad values = {static_cast<int32_t>(running), static_cast<int32_t>(running + offset1),
                           static_cast<int32_t>(running + offset2),
                           static_cast<int32_t>(running + offset3)};
      ScaledQuad scaled;
      scale.Four(values, scaled);
      rows0[i] = scaled[0];
      rows1[i] = scaled[1];
      rows2[i] = scaled[2];
      rows3[i] = scaled[3];
    }
  };
  WithScale(factor, prices);
}

void CKestrelCode::DecodeDayKLine_Double_2_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const auto first = static_cast<int32_t>(ReadUInt32(code));
  if (count < 1) return;
  // Each row is the row before plus its scaled delta.
  double* rows = column->pdValue;
  WithScale(factor, [=, &code](const auto& scale) KESTREL_RUN_INLINE_LAMBDA {
    double last = scale.One(first);
    rows[0] = last;
    StopBitRun run(code);
    ScaledRows(
        rows, 1, count, scale, run, [](int64_t delta) { return delta; },
        [&last](double delta) { return last = last + delta; });
  });
}

void CKestrelCode::DecodeDayKLine_Double_3_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const auto first = static_cast<uint64_t>(ReadInt64(code));
  if (count < 1) return;
  ScaledRunningSum(column->pdValue, first, count, factor, code);
}

void CKestrelCode::DecodeDayKLine_Double_4_Method(CIndexValue* column, int count, int factor,
                                                  CDecodeCode& code) {
  const uint64_t first = ReadUInt32(code);  // widened without sign
  if (count < 1) return;
  ScaledRunningSum(column->pdValue, first, count, factor, code);
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

namespace kestrel {

bool WideDivision() {
  static const bool processorDividesWide = ProcessorDividesWide();
  return processorDividesWide && gWideDivisionAllowed.load(std::memory_order_relaxed);
}

bool AllowWideDivision(bool allowed) { return gWideDivisionAllowed.exchange(allowed); }

}  // namespace kestrel

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
