// Price unit factors and the scaling of received integers.
//
// Values travel as scaled integers. A decoder takes the security's price unit
// factor (decimal places of its prices), corrects the integer of a few
// futures and gold indicators, picks the decimal places of the indicator, and
// divides by the matching power of ten.
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "KestrelCode.h"
#include "codes/CodeMemo.h"
#include "codes/CodeText.h"
#include "codes/DecimalScale.h"
#include "codes/FixScale.h"
#include "codes/IdList.h"
#include "codes/IndicatorDecimals.h"

namespace kestrel {
namespace {

// Overseas futures markets, priced with three decimals.
constexpr std::string_view kOverseaMarkets[] = {".LME", ".IPE", ".CME", ".CMX",
                                                ".NYM", ".ICE", ".NYB"};

// Factors by suffix as it stands (not upper-cased). The Taiwan suffixes
// depend on whether the code is an index.
constexpr int kTaiwanSuffix = -2;
struct SuffixFactor {
  std::string_view key;
  int factor;
};
constexpr SuffixFactor kSuffixFactors[] = {
    {"HK", 3},
    {"SG", 3},
    {"OC", 3},
    {"N", 3},
    {"O", 3},
    {"L", 3},
    {"A", 3},
    {"LME", 3},
    {"CME", 3},
    {"CBT", 3},
    {"CMX", 3},
    {"NYM", 3},
    {"ICE", 3},
    {"HI", 2},
    {"NM", 2},
    {"CFE", 2},
    {"SHF", 2},
    {"DCE", 2},
    {"CZC", 2},
    {"IR", 4},
    {"CS", 4},
    {"FX", 4},
    {"EX", 4},
    {"IB", 4},
    {"OF", 4},
    {"TW", kTaiwanSuffix},
    {"TWO", kTaiwanSuffix},
    {"XX", 0},
};
constexpr int kTaiwanIndexFactor = 2;
constexpr int kTaiwanSecurityFactor = 3;
constexpr int kIOPVFactor = 3;
constexpr int kFundNVFactor = 4;
constexpr int kOverseaFactor = 3;
constexpr int kUnknownFactor = -1;
constexpr int kNotANumberFactor = 2;

// Factors by number, with the suffix as it stands.
constexpr RangeRule<int> kNumberFactors[] = {
    {"", {{30001, 39999}, {580001, 580999}, {900901, 900999}, {200001, 200999}}, 3},
    {"SZ", {{399001, 399999}}, 2},
    {"",
     {{150001, 150999},
      {184600, 184799},
      {500001, 500099},
      {159001, 159999},
      {510001, 510999},
      {160000, 169999}},
     3},
    {"SZ", {{9900, 19999}, {100000, 109999}}, 3},
    {"", {{111000, 112999}, {115000, 115999}, {120000, 129999}}, 3},
    {"SH", {{9900, 29999}, {110000, 129999}}, 3},
    {"", {{131800, 131999}, {202001, 204999}}, 3},
    {"", {{9900, 126999}}, 4},
    {"IB", {kAnyNumber}, 4},
};
constexpr int kDefaultNumberFactor = 2;

constexpr int64_t kSetADivisor = 100;
constexpr int64_t kFuturesSetBDivisor = 10;

// Gold exchange set-B rescaling by the metal the code names, first match.
struct MetalScale {
  const char* metal;
  int64_t multiplier;
  int64_t divisor;
};
constexpr MetalScale kMetalScales[] = {
    {"AU", 10, 1},   // gold
    {"PT", 10, 1},   // platinum
    {"AG", 1, 100},  // silver
};

// The security type of the last code FixFactor classified on this thread:
// the indicators of one security come one after another, so the type is
// worked out once per security instead of once per value.
struct TypeMemo {
  static constexpr size_t kCodeRoom = 64;
  char code[kCodeRoom] = {};
  std::string type;
  bool valid = false;
};
thread_local TypeMemo tTypeMemo;

// The price unit factor of a code, worked out from its text.
int PriceUnitFactorOf(char* code) {
  const CodeText text(code);
  if (IsIOPVText(text)) return kIOPVFactor;
  if (IsFundNVText(text)) return kFundNVFactor;
  for (const std::string_view market : kOverseaMarkets) {
    if (text.Contains(market)) return kOverseaFactor;
  }
  if (!text.HasPoint()) return kUnknownFactor;
  if (text.suffix) {
    if (const SuffixFactor* row = FindRow(kSuffixFactors, *text.suffix)) {
      if (row->factor != kTaiwanSuffix) return row->factor;
      return IsTWIndexText(text) ? kTaiwanIndexFactor : kTaiwanSecurityFactor;
    }
  }
  if (text.point == 0) return kUnknownFactor;
  const std::optional<uint64_t> n = ParseNumber(text.codePart);
  if (!n) return kNotANumberFactor;
  return FirstMatch(kNumberFactors, text.suffix, *n, kDefaultNumberFactor);
}

}  // namespace
}  // namespace kestrel

const std::string& kestrel::MemoizedSecurityType(char* code) {
  TypeMemo& memo = tTypeMemo;
  const size_t length = std::strlen(code);
  if (memo.valid && length < memo.kCodeRoom && std::strcmp(memo.code, code) == 0) return memo.type;
  memo.type = CKestrelCode::GetSecurityType(code);
  memo.valid = length < memo.kCodeRoom;
  if (memo.valid) std::memcpy(memo.code, code, length + 1);
  return memo.type;
}

const std::string& CKestrelCode::FixFactorSecurityType(char* code) {
  return kestrel::MemoizedSecurityType(code);
}

int CKestrelCode::GetPriceUnitFactor(char* code) {
  kestrel::CodeFacts* facts = kestrel::FactsOf(code == nullptr ? "" : code);
  if (facts != nullptr && facts->factorKnown) return facts->factor;
  const int factor = kestrel::PriceUnitFactorOf(code);
  if (facts != nullptr) facts->SetFactor(factor);
  return factor;
}

int CKestrelCode::GetRealFactor(int priceFactor, int indicatorId) {
  return kestrel::IndicatorDecimals(priceFactor, indicatorId);
}

kestrel::FixScale kestrel::FixScaleOf(char* code) {
  FixScale scale;
  if (code == nullptr) return scale;
  const std::string& type = MemoizedSecurityType(code);
  if (type == "futures") return {false, kSetADivisor, 1, kFuturesSetBDivisor};
  if (type != "SGE") return scale;
  scale = {false, kSetADivisor, 1, 1};
  for (const MetalScale& metal : kMetalScales) {
    if (NamesMetal(code, metal.metal)) {
      scale.setBMultiplier = metal.multiplier;
      scale.setBDivisor = metal.divisor;
      break;
    }
  }
  return scale;
}

int64_t kestrel::ApplyFix(const FixScale& scale, int indicatorId, int64_t value) {
  if (scale.none) return value;
  if (InIdSet(kFixedSetA, indicatorId)) return value / scale.setADivisor;
  if (InIdSet(kFixedSetB, indicatorId)) return value * scale.setBMultiplier / scale.setBDivisor;
  return value;
}

int64_t CKestrelCode::FixFactor(char* code, int indicatorId, int64_t value) {
  // Ids that no correction concerns skip classifying the code.
  if (!kestrel::IsFixedId(indicatorId) || code == nullptr) return value;
  return kestrel::ApplyFix(kestrel::FixScaleOf(code), indicatorId, value);
}

double CKestrelCode::GetFloat(int64_t value, int decimals) {
  return kestrel::DecimalScale(decimals).Apply(value);
}
