// Compact codes: reading a mix of codes of every market from the wire with
// ReadTernCode, and classifying the same codes as the decoders do for every
// security block (security type and price unit factor). Classification is
// reported against the reference loop and against reading the codes
// (x_read); it should allocate nothing.
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KestrelCode.h"
#include "codes/TernCode.h"
#include "support/KestrelCodeAccess.h"

namespace kbench {
namespace {

using Text = std::array<char, kTernCodeSize>;

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

// The mix in compact form, one code after another.
CaseData CompactCodes() {
  const std::vector<std::string> codes = CodeMix();
  kt::Bytes wire;
  for (const std::string& code : codes) {
    const kt::Bytes compact = CompactCode(code.c_str());
    wire.insert(wire.end(), compact.begin(), compact.end());
  }
  return Message(std::move(wire), static_cast<int64_t>(codes.size()));
}

// Every code of the block read into `texts`.
void ReadCodes(const CaseData& data, std::vector<Text>& texts) {
  CDecodeCode code(reinterpret_cast<const char*>(data.wire.data()));
  code.Frame(0, static_cast<int>(data.wire.size()));
  for (Text& text : texts) ReadTernCode(code, text.data(), text.size());
}

std::function<void()> Read(const CaseData& data, benchmark::State&) {
  auto texts = std::make_shared<std::vector<Text>>(static_cast<size_t>(data.values));
  return [&data, texts] {
    ReadCodes(data, *texts);
    benchmark::DoNotOptimize(texts->data());
    benchmark::ClobberMemory();
  };
}

// The security type and price unit factor of each code read from the block.
std::function<void()> Classify(const CaseData& data, benchmark::State& state) {
  auto texts = std::make_shared<std::vector<Text>>(static_cast<size_t>(data.values));
  ReadCodes(data, *texts);
  if (texts->back()[0] == '\0') {
    state.SkipWithError("the block does not read whole");
    return {};
  }
  auto factors = std::make_shared<std::vector<int>>(texts->size());
  return [texts, factors] {
    for (size_t i = 0; i < texts->size(); ++i) {
      char* text = (*texts)[i].data();
      std::string type = CKestrelCode::GetSecurityType(text);
      benchmark::DoNotOptimize(type);
      (*factors)[i] = KestrelCodeAccess::GetPriceUnitFactor(text);
    }
    benchmark::DoNotOptimize(factors->data());
    benchmark::ClobberMemory();
  };
}

}  // namespace

void RegisterCodeCases() {
  RegisterCase("codes", CompactCodes,
               {{"read", Read}, {"classify", Classify, {{"x_read", {"codes/read"}}}}});
}

}  // namespace kbench
