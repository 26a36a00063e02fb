// Speed of the formalized trend message (type 17) of one A share over a full
// trading day: 241 minutes of trend and 5,000 last deals, decoded and freed
// through DecodeOneMessage as a host does, beside a reference loop that only
// reads the same message's stop-bit fields in the same binary, so results
// read as ratios. Reports messages per second and rows (minutes and deals)
// per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "KestrelUtils.h"
#include "codec/DecodeCode.h"
#include "support/MessageBuilder.h"

namespace {

constexpr int kMinutes = 241;  // 09:30 to 11:30, then 13:01 to 15:00
constexpr int kMorningMinutes = 121;
constexpr int kLunchBreakSeconds = 91 * 60;
constexpr int kDeals = 5000;
constexpr int kDealsAnnouncingId92 = kDeals;  // the field after the flags
constexpr unsigned kFormalizedTrend = 17;

// A first value and count - 1 signed deltas of at most `spread`.
void Deltas(kt::MessageBuilder& b, int count, int spread, std::mt19937& random) {
  for (int i = 1; i < count; ++i) {
    b.Int(static_cast<int64_t>(random() % (2 * spread + 1)) - spread);
  }
}

kt::Bytes FullDayTrend() {
  std::mt19937 random(17);
  kt::MessageBuilder b;
  b.UInt(1).TextCode("600000.SH");
  // Trend: time, price, volume, average price.
  b.UInt(kMinutes).UInt(93000);
  for (int i = 1; i < kMinutes; ++i) b.Int(i == kMorningMinutes ? kLunchBreakSeconds : 60);
  Deltas(b.UInt(1025), kMinutes, 3, random);
  Deltas(b.Int(250000), kMinutes, 90000, random);
  Deltas(b.UInt(10250), kMinutes, 20, random);
  // Deals: time, price, volume, flags, the two numbers, id 92.
  b.UInt(kDeals).UInt(92500);
  for (int i = 1; i < kDeals; ++i) b.Int(static_cast<int64_t>(random() % 6));
  Deltas(b.UInt(1025), kDeals, 2, random);
  Deltas(b.Int(300), kDeals, 200, random);
  for (int i = 0; i < (kDeals + 7) / 8; ++i) b.Raw({static_cast<uint8_t>(random())});
  b.UInt(kDealsAnnouncingId92).UInt(0);
  Deltas(b.UInt(30000), kDeals, 20000, random);
  return kt::Frame(kFormalizedTrend, b.Bytes());
}

void Report(benchmark::State& state) {
  state.counters["msgs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(kMinutes + kDeals),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Reference: every field of the message read as an unsigned stop-bit
// integer, summed, nothing stored.
void BM_ReferenceReadTrendFields(benchmark::State& state) {
  const kt::Bytes message = FullDayTrend();
  std::vector<char> copy(message.begin(), message.end());
  for (auto _ : state) {
    CDecodeCode code(copy.data());
    code.Frame(0, static_cast<int>(copy.size()));
    uint64_t sum = 0;
    while (code.Remaining() > 0) sum += ReadUInt32(code);
    benchmark::DoNotOptimize(sum);
  }
  Report(state);
}
BENCHMARK(BM_ReferenceReadTrendFields);

// True when the message decodes to a full trend, every deal with its id-92
// column, and the quote record.
bool DecodesWhole(std::vector<char>& message) {
  int type = 0;
  auto* data =
      reinterpret_cast<CKestrelData*>(CKestrelCode::DecodeOneMessage(message.data(), &type));
  const bool whole =
      data != nullptr && data->GetHisDataNum() == 2 && data->GetQuoteDataNum() == 1 &&
      data->GetKestrelHisData()[0].GetIndexToValue()->GetOneIndexValueNum()[3] == kMinutes &&
      data->GetKestrelHisData()[1].GetIndexToValue()->GetOneIndexValueNum()[4] == kDeals;
  CKestrelCode::ClearDecodeMessage(reinterpret_cast<char*>(data), type);
  return whole;
}

// The library: frame, dispatch, two records of four and five columns and a
// quote record, and their release.
void BM_FormalizedTrendFullDay(benchmark::State& state) {
  CKestrelCode::StartUp();
  const kt::Bytes message = FullDayTrend();
  std::vector<char> copy(message.begin(), message.end());
  if (!DecodesWhole(copy)) {
    state.SkipWithError("the message does not decode whole");
    return;
  }
  for (auto _ : state) {
    int type = 0;
    char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
    benchmark::DoNotOptimize(result);
    CKestrelCode::ClearDecodeMessage(result, type);
  }
  Report(state);
}
BENCHMARK(BM_FormalizedTrendFullDay);

}  // namespace
