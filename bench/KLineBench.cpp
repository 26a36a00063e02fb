// Speed of the K-line decoders on long series: a day K-line of 10,000 rows
// and a minute K-line of 100,000 rows, each decoded and freed through
// DecodeOneMessage as a host does. Beside each, a reference loop that only
// walks the same message's stop-bit fields, so results read as ratios.
// Reported: rows per second (items) and wire bytes per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "KestrelUtils.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"

namespace {

constexpr int kDayRows = 10000;
constexpr int kMinuteRows = 100000;
constexpr unsigned char kDayKLineType = 3;
constexpr unsigned char kMinuteKLineType = 5;

struct Series {
  std::vector<char> message;
  int rows;
};

// Length prefix, type and body of a received message.
std::vector<char> Frame(unsigned char type, CCode& body) {
  CCode typeAndBody;
  WriteByteValue(typeAndBody, type);
  WriteRawBytes(typeAndBody, body.GetContent(), body.GetLength());
  CCode message;
  WriteUInt32(message, static_cast<uint32_t>(typeAndBody.GetLength()));
  WriteRawBytes(message, typeAndBody.GetContent(), typeAndBody.GetLength());
  return std::vector<char>(message.GetContent(), message.GetContent() + message.GetLength());
}

// The four price columns: a base walking by small signed steps and three
// offsets above it.
void WritePrices(CCode& body, int rows, std::mt19937& random) {
  WriteUInt32(body, 1000);
  for (int i = 0; i < rows; ++i) {
    WriteInt64(body, static_cast<int>(random() % 41) - 20);
    for (int k = 0; k < 3; ++k) WriteUInt32(body, random() % 60);
  }
}

// A first value and rows - 1 signed deltas of up to `spread`.
void WriteDeltas(CCode& body, int rows, int64_t first, int spread, std::mt19937& random) {
  WriteInt64(body, first);
  for (int i = 1; i < rows; ++i)
    WriteInt64(body, static_cast<int>(random() % (2 * spread)) - spread);
}

// A stock's day K-lines: date, prices, volume, amount.
Series DayKLine() {
  std::mt19937 random(3);
  CCode body;
  WriteTernCode(body, "600000.SH");
  WriteUInt32(body, 2);     // price unit factor
  WriteUInt32(body, 0x11);  // status
  WriteUInt32(body, kDayRows);
  WriteUInt32(body, 19900102);
  for (int i = 1; i < kDayRows; ++i) WriteUInt32(body, 1 + random() % 3);  // day gaps
  WritePrices(body, kDayRows, random);
  WriteDeltas(body, kDayRows, 5000000, 400000, random);    // volume
  WriteDeltas(body, kDayRows, 80000000, 9000000, random);  // amount
  return {Frame(kDayKLineType, body), kDayRows};
}

// A future's one-minute K-lines: date and time, prices, volume, amount and
// the two futures columns.
Series MinuteKLine() {
  std::mt19937 random(5);
  CCode body;
  WriteTernCode(body, "IF1107.CFE");
  WriteUInt32(body, 0);  // bar-length code
  WriteUInt32(body, 1);  // price unit factor
  WriteUInt32(body, kMinuteRows);
  WriteUInt32(body, 20110701);
  WriteUInt32(body, 91500);
  for (int i = 1; i < kMinuteRows; ++i) WriteUInt32(body, 60);
  WritePrices(body, kMinuteRows, random);
  WriteDeltas(body, kMinuteRows, 120000, 3000, random);      // volume
  WriteDeltas(body, kMinuteRows, 90000000, 500000, random);  // amount
  WriteUInt32(body, 300000);                                 // column 74
  for (int i = 1; i < kMinuteRows; ++i) WriteInt64(body, static_cast<int>(random() % 21) - 10);
  WriteUInt32(body, 20000);  // column 76
  for (int i = 1; i < kMinuteRows; ++i) WriteInt64(body, static_cast<int>(random() % 201) - 100);
  return {Frame(kMinuteKLineType, body), kMinuteRows};
}

void Report(benchmark::State& state, const Series& series) {
  state.SetItemsProcessed(state.iterations() * series.rows);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(series.message.size()));
}

void Decode(benchmark::State& state, const Series& series) {
  CKestrelCode::StartUp();
  std::vector<char> message = series.message;
  for (auto _ : state) {
    int type = 0;
    char* result = CKestrelCode::DecodeOneMessage(message.data(), &type);
    benchmark::DoNotOptimize(result);
    CKestrelCode::ClearDecodeMessage(result, type);
  }
  Report(state, series);
}

// Reference: every stop-bit field of the message summed, nothing stored, no
// bounds checks beyond the end of the buffer.
void Skim(benchmark::State& state, const Series& series) {
  const auto* begin = reinterpret_cast<const uint8_t*>(series.message.data());
  const uint8_t* end = begin + series.message.size();
  for (auto _ : state) {
    uint64_t sum = 0;
    uint64_t value = 0;
    for (const uint8_t* p = begin; p != end; ++p) {
      value = (value << 7) | (*p & 0x7f);
      if (*p & 0x80) {
        sum += value;
        value = 0;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Report(state, series);
}

void BM_ReferenceSkimDayKLine(benchmark::State& state) { Skim(state, DayKLine()); }
BENCHMARK(BM_ReferenceSkimDayKLine);

void BM_DecodeDayKLine(benchmark::State& state) { Decode(state, DayKLine()); }
BENCHMARK(BM_DecodeDayKLine);

void BM_ReferenceSkimMinuteKLine(benchmark::State& state) { Skim(state, MinuteKLine()); }
BENCHMARK(BM_ReferenceSkimMinuteKLine);

void BM_DecodeMinuteKLine(benchmark::State& state) { Decode(state, MinuteKLine()); }
BENCHMARK(BM_DecodeMinuteKLine);

}  // namespace
