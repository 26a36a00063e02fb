// Decoding of a quote update of 100 securities with 30 indicators each,
// plain and inside a compressed envelope, beside a reference loop that only
// reads the same stop-bit fields. Reports messages, indicator values and
// allocations per message.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "KestrelUtils.h"
#include "codec/DecodeCode.h"
#include "support/MessageBuilder.h"

namespace {

std::atomic<int64_t> gAllocations{0};

constexpr int kSecurities = 100;
constexpr int kIndicators = 30;

// Prices, volumes and amounts of 100 A shares; the time field first.
kt::Bytes QuoteUpdate() {
  kt::MessageBuilder b;
  b.UInt(kSecurities);
  for (int s = 0; s < kSecurities; ++s) {
    b.Code(60, static_cast<uint32_t>(s)).UInt(kIndicators);
    b.UInt(2).PackedTime(10, 15, s % 60);
    for (int i = 1; i < kIndicators; ++i) {
      const int id = i < 20 ? 2 + i : 300 + i;  // low ids unsigned, high ids signed
      b.UInt(static_cast<uint32_t>(id));
      if (id <= 128) {
        b.UInt(static_cast<uint32_t>(1000 + s * 7 + i));
      } else {
        b.Int(123456789LL * i - s);
      }
    }
  }
  return kt::Frame(64, b.Bytes());
}

void Decode(benchmark::State& state, const kt::Bytes& message) {
  std::vector<char> copy(message.begin(), message.end());
  CKestrelCode::StartUp();
  int64_t allocations = 0;
  for (auto _ : state) {
    const int64_t before = gAllocations.load(std::memory_order_relaxed);
    int type = 0;
    char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
    allocations += gAllocations.load(std::memory_order_relaxed) - before;
    benchmark::DoNotOptimize(result);
    CKestrelCode::ClearDecodeMessage(result, type);
  }
  state.counters["msgs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["values/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kSecurities * kIndicators,
                         benchmark::Counter::kIsRate);
  state.counters["allocs/msg"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_ReferenceReadFields(benchmark::State& state) {
  // Reads the fields of the same message with bare stop-bit reads.
  const kt::Bytes message = QuoteUpdate();
  std::vector<char> copy(message.begin(), message.end());
  for (auto _ : state) {
    CDecodeCode code(copy.data());
    code.Frame(0, static_cast<int>(copy.size()));
    int64_t sum = 0;
    while (code.Remaining() > 0) sum += ReadUInt32(code);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReferenceReadFields);

void BM_QuoteUpdate(benchmark::State& state) { Decode(state, QuoteUpdate()); }
BENCHMARK(BM_QuoteUpdate);

void BM_QuoteUpdateCompressed(benchmark::State& state) {
  Decode(state, kt::Compressed(QuoteUpdate()));
}
BENCHMARK(BM_QuoteUpdateCompressed);

}  // namespace

// Counts every allocation of the process, for the allocations per message.
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
