// Speed of the cursor's stop-bit reads and of compact codes, each beside a
// simple reference loop over the same bytes in the same binary, so results
// read as ratios.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "codec/DecodeCode.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"

namespace {

constexpr int kValues = 1 << 16;

// kValues unsigned integers of mixed widths in stop-bit form.
std::vector<char> MixedUnsigned() {
  std::mt19937 random(7);
  CCode code;
  for (int i = 0; i < kValues; ++i) WriteUInt32(code, random() >> (random() % 32));
  return std::vector<char>(code.GetContent(), code.GetContent() + code.GetLength());
}

// Reference: a bare stop-bit loop with no bounds checks at all.
void BM_ReferenceUnsignedLoop(benchmark::State& state) {
  const std::vector<char> bytes = MixedUnsigned();
  for (auto _ : state) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    uint64_t sum = 0;
    for (int i = 0; i < kValues; ++i) {
      uint32_t value = 0;
      uint8_t byte;
      do {
        byte = *p++;
        value = (value << 7) | (byte & 0x7f);
      } while (!(byte & 0x80));
      sum += value;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_ReferenceUnsignedLoop);

void BM_ReadUInt32(benchmark::State& state) {
  const std::vector<char> bytes = MixedUnsigned();
  for (auto _ : state) {
    CDecodeCode code(bytes.data());
    code.Frame(0, static_cast<int>(bytes.size()));
    uint64_t sum = 0;
    for (int i = 0; i < kValues; ++i) sum += ReadUInt32(code);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_ReadUInt32);

void BM_ReadInt64(benchmark::State& state) {
  std::mt19937_64 random(9);
  CCode out;
  for (int i = 0; i < kValues; ++i)
    WriteInt64(out, static_cast<int64_t>(random()) >> (15 + random() % 48));
  const std::vector<char> bytes(out.GetContent(), out.GetContent() + out.GetLength());
  for (auto _ : state) {
    CDecodeCode code(bytes.data());
    code.Frame(0, static_cast<int>(bytes.size()));
    int64_t sum = 0;
    for (int i = 0; i < kValues; ++i) sum += ReadInt64(code);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_ReadInt64);

void BM_ReadTernCode(benchmark::State& state) {
  CCode out;
  const char* codes[] = {"600000.SH", "000001.SZ", "0700.HK", "AU0.SHF", "IF1107.CFE"};
  for (int i = 0; i < 1000; ++i) WriteTernCode(out, codes[i % 5]);
  const std::vector<char> bytes(out.GetContent(), out.GetContent() + out.GetLength());
  char text[kTernCodeSize];
  for (auto _ : state) {
    CDecodeCode code(bytes.data());
    code.Frame(0, static_cast<int>(bytes.size()));
    for (int i = 0; i < 1000; ++i) ReadTernCode(code, text);
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ReadTernCode);

}  // namespace
