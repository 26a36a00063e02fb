// K-lines over long series: a day K-line of 10,000 rows and a minute K-line
// of 100,000 rows.
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "BenchSupport.h"
#include "KestrelUtils.h"

namespace kbench {
namespace {

constexpr int kDayRows = 10000;
constexpr int kMinuteRows = 100000;
constexpr uint32_t kDayKLineType = 3;
constexpr uint32_t kMinuteKLineType = 5;

// The four price columns: a base walking by small signed steps and three
// offsets above it.
void WritePrices(kt::MessageBuilder& b, int rows, std::mt19937& random) {
  b.UInt(1000);
  for (int i = 0; i < rows; ++i) {
    b.Int(static_cast<int>(random() % 41) - 20);
    for (int k = 0; k < 3; ++k) b.UInt(random() % 60);
  }
}

// A stock's day K-lines: date, prices, volume, amount.
CaseData DayKLine() {
  std::mt19937 random(3);
  kt::MessageBuilder b;
  b.Raw(CompactCode("600000.SH"));
  b.UInt(2);     // price unit factor
  b.UInt(0x11);  // status
  b.UInt(kDayRows).UInt(19900102);
  UnsignedRun(b, kDayRows - 1, 1, 3, random);  // day gaps
  WritePrices(b, kDayRows, random);
  SignedRun(b.Int(5000000), kDayRows - 1, -400000, 400000, random);     // volume
  SignedRun(b.Int(80000000), kDayRows - 1, -9000000, 9000000, random);  // amount
  return Message(kt::Frame(kDayKLineType, b.Bytes()), kDayRows * 7);
}

// A future's one-minute K-lines: date and time, prices, volume, amount and
// the two futures columns.
CaseData MinuteKLine() {
  std::mt19937 random(5);
  kt::MessageBuilder b;
  b.Raw(CompactCode("IF1107.CFE"));
  b.UInt(0);  // bar-length code
  b.UInt(1);  // price unit factor
  b.UInt(kMinuteRows).UInt(20110701).UInt(91500);
  for (int i = 1; i < kMinuteRows; ++i) b.UInt(60);
  WritePrices(b, kMinuteRows, random);
  SignedRun(b.Int(120000), kMinuteRows - 1, -3000, 3000, random);        // volume
  SignedRun(b.Int(90000000), kMinuteRows - 1, -500000, 500000, random);  // amount
  SignedRun(b.UInt(300000), kMinuteRows - 1, -10, 10, random);           // column 74
  SignedRun(b.UInt(20000), kMinuteRows - 1, -100, 100, random);          // column 76
  return Message(kt::Frame(kMinuteKLineType, b.Bytes()), kMinuteRows * 10);
}

// The bits of every row of a series, added up.
template <typename T>
uint64_t SumOfBits(kestrel::Span<const T> rows) {
  uint64_t sum = 0;
  for (const T& value : rows) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    sum += bits;
  }
  return sum;
}
uint64_t SumOfSeries(const kestrel::SeriesSet& set) {
  uint64_t sum = 0;
  for (size_t s = 0; s < set.size(); ++s) {
    const kestrel::SeriesView series = set[s];
    for (size_t c = 0; c < series.columnCount(); ++c) {
      const kestrel::SeriesColumn column = series.columnAt(c);
      sum += SumOfBits(column.as<int>()) + SumOfBits(column.as<double>()) +
             SumOfBits(column.as<std::int64_t>());
    }
  }
  return sum;
}

// Every case's subjects: the records (decode, host) and the reusable series
// set (series, series_host).
std::vector<NamedSubject> SeriesCaseSubjects() {
  return {{"decode", DecodeSubject()},
          {"host", HostLoopSubject()},
          {"series", SeriesSubject()},
          {"series_host", SeriesSubject(true)}};
}

}  // namespace

Subject SeriesSubject(bool read) {
  return [read](const CaseData& data, benchmark::State& state) -> std::function<void()> {
    CKestrelCode::StartUp();
    auto set = std::make_shared<kestrel::SeriesSet>();
    auto copy = std::make_shared<std::vector<char>>(data.wire.begin(), data.wire.end());
    if (!set->decode(copy->data(), copy->size()) || set->empty()) {
      state.SkipWithError("not a series message");
      return {};
    }
    return [set, copy, read] {
      const kestrel::SeriesSet::Decoded decoded = set->decode(copy->data(), copy->size());
      benchmark::DoNotOptimize(decoded);
      if (read) {
        const uint64_t sum = SumOfSeries(*set);
        benchmark::DoNotOptimize(sum);
      }
    };
  };
}

void RegisterKLineCases() {
  RegisterCase("day_kline", DayKLine, SeriesCaseSubjects());
  RegisterCase("minute_kline", MinuteKLine, SeriesCaseSubjects());
}

}  // namespace kbench
