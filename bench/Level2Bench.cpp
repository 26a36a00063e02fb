// Speed of the level-2 transaction history message (type 130) of 100,000
// deals, decoded end to end through DecodeOneMessage, beside a bare
// stop-bit loop over the same bytes in the same binary, so results read as
// ratios. Both report rows per second and wire megabytes (10^6 bytes) per
// second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "KestrelUtils.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"

namespace {

constexpr int kDeals = 100000;
constexpr unsigned kLevel2History = 130;
constexpr unsigned kDealsKind = 1;

// A whole type-130 message of kDeals deals with plausible column contents:
// rising 64-bit columns, a small signed 32-bit column and prices that move
// a few ticks at a time.
std::vector<char> DealHistoryMessage() {
  std::mt19937 random(11);
  CCode body;
  WriteUInt32(body, kLevel2History);
  WriteUInt32(body, kDealsKind);
  WriteTernCode(body, "600000.SH");
  for (unsigned header : {0u, 0u, 0u, 1u}) WriteUInt32(body, header);
  WriteUInt32(body, kDeals);
  const auto column = [&](uint32_t first, auto delta) {
    WriteUInt32(body, first);
    for (int i = 1; i < kDeals; ++i) WriteInt64(body, delta());
  };
  column(93000000, [&] { return static_cast<int64_t>(random() % 3000); });          // 330
  column(1, [&] { return static_cast<int64_t>(random() % 3) - 1; });                // 102
  column(500000, [&] { return static_cast<int64_t>(random() % 100000) - 40000; });  // 331
  column(10250, [&] { return static_cast<int64_t>(random() % 21) - 10; });          // 332
  column(1, [&] { return int64_t{1}; });                                            // 333
  WriteUInt32(body, kDeals);
  WriteInt64(body, 123456789);

  CCode message;
  WriteUInt32(message, static_cast<uint32_t>(body.GetLength()));
  std::vector<char> bytes(message.GetContent(), message.GetContent() + message.GetLength());
  bytes.insert(bytes.end(), body.GetContent(), body.GetContent() + body.GetLength());
  return bytes;
}

void Report(benchmark::State& state, size_t bytes) {
  state.counters["rows"] = benchmark::Counter(static_cast<double>(kDeals),
                                              benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                            benchmark::Counter::kIsIterationInvariantRate);
}

// Reference: every stop-bit value of the message read by a bare loop with no
// bounds checks and no stores, summed.
void BM_Level2ReferenceLoop(benchmark::State& state) {
  const std::vector<char> bytes = DealHistoryMessage();
  for (auto _ : state) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    uint64_t sum = 0;
    while (p < end) {
      uint64_t value = 0;
      uint8_t byte;
      do {
        byte = *p++;
        value = (value << 7) | (byte & 0x7f);
      } while (!(byte & 0x80) && p < end);
      sum += value;
    }
    benchmark::DoNotOptimize(sum);
  }
  Report(state, bytes.size());
}
BENCHMARK(BM_Level2ReferenceLoop)->Unit(benchmark::kMillisecond);

// The library: frame, dispatch, five columns into a new result, and its
// release.
void BM_Level2DealHistory(benchmark::State& state) {
  CKestrelCode::StartUp();
  std::vector<char> bytes = DealHistoryMessage();
  for (auto _ : state) {
    int type = 0;
    char* result = CKestrelCode::DecodeOneMessage(bytes.data(), &type);
    benchmark::DoNotOptimize(result);
    CKestrelCode::ClearDecodeMessage(result, type);
  }
  Report(state, bytes.size());
}
BENCHMARK(BM_Level2DealHistory)->Unit(benchmark::kMillisecond);

}  // namespace
