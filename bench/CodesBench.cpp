// Classification and price unit factors over a realistic mix of codes of
// every market, beside a reference loop that only scans each code's text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KestrelCode.h"
#include "support/KestrelCodeAccess.h"

namespace {

// A few thousand codes: A shares, indexes, funds, bonds, warrants, Hong
// Kong, Taiwan, futures at home and abroad, gold, FX, open funds, bond
// real codes and texts that classify as nothing.
std::vector<std::string> CodeMix() {
  const char* fixed[] = {"IF1107.CFE", "AU0.SHF", "CU3M.LME",  "AU9999.SGE",  "AG9999.SGE",
                         "USDCNY.FX",  "TWII.TW", "2330.TW",   "510050NV.SH", "YTM_019003.SH",
                         "C1109.CBT",  "XAU.XX",  "019003.IB", "ABC",         "AAPL.O"};
  const struct {
    const char* format;
    int low;
    int step;
  } ranges[] = {
      {"%06d.SH", 600000, 7}, {"%06d.SZ", 1, 5},      {"%06d.SZ", 300001, 3},
      {"%06d.SH", 1, 3},      {"%06d.SZ", 399001, 2}, {"%06d.SH", 510010, 3},
      {"%06d.SZ", 159901, 2}, {"%06d.SZ", 160100, 1}, {"%06d.SH", 110000, 9},
      {"%06d.SZ", 120000, 4}, {"%04d.HK", 1, 3},      {"%06d.OF", 1, 11},
      {"%06d.SH", 580001, 1}, {"%06d.SZ", 200001, 1}, {"%06d.SH", 131800, 1},
      {"%06d.SH", 900901, 1},
  };
  std::vector<std::string> codes;
  for (int round = 0; round < 200; ++round) {
    for (const auto& range : ranges) {
      char text[32];
      std::snprintf(text, sizeof text, range.format, range.low + range.step * round);
      codes.emplace_back(text);
    }
    codes.emplace_back(fixed[round % std::size(fixed)]);
  }
  return codes;
}

template <typename Visit>
void RunOverMix(benchmark::State& state, Visit visit) {
  std::vector<std::string> codes = CodeMix();
  for (auto _ : state) {
    for (std::string& code : codes) visit(code.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(codes.size()));
}

void BM_ReferenceScanCodes(benchmark::State& state) {
  RunOverMix(state, [](char* code) { benchmark::DoNotOptimize(std::strchr(code, '.')); });
}
BENCHMARK(BM_ReferenceScanCodes);

void BM_GetSecurityType(benchmark::State& state) {
  RunOverMix(state, [](char* code) {
    std::string type = CKestrelCode::GetSecurityType(code);
    benchmark::DoNotOptimize(type);
  });
}
BENCHMARK(BM_GetSecurityType);

void BM_GetPriceUnitFactor(benchmark::State& state) {
  RunOverMix(state, [](char* code) {
    benchmark::DoNotOptimize(KestrelCodeAccess::GetPriceUnitFactor(code));
  });
}
BENCHMARK(BM_GetPriceUnitFactor);

}  // namespace
