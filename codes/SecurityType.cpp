// Classification of a TernCode into a security type, and the narrower
// predicates on codes. Every rule is a row of an ordered table; the first row
// that matches decides.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <string_view>

#include "KestrelCode.h"
#include "codes/CodeMemo.h"
#include "codes/CodeText.h"

namespace kestrel {
namespace {

std::atomic<int64_t> gLoginClientType{0};

// Client type whose hosts see bond codes in their real form.
constexpr int64_t kRealBondCodeClient = 80;

constexpr std::string_view kDomesticFutures[] = {".SHF", ".DCE", ".CZC", ".CFE"};
constexpr std::string_view kOverseaFutures[] = {".LME", ".IPE", ".CBT", ".CME", ".CMX",
                                                ".NYM", ".ICE", ".NYB", ".BCE"};

// Upper-cased suffixes that are a security type of their own.
struct SuffixType {
  std::string_view key;
  std::string_view type;  // empty: the upper-cased suffix itself
};
constexpr SuffixType kSuffixTypes[] = {
    {"HK", ""},          {"HI", ""},    {"SG", ""}, {"QI", ""},  {"SHB", ""}, {"SZB", ""},
    {"EX", ""},          {"OC", ""},    {"CS", ""}, {"FX", ""},  {"NM", ""},  {"L", ""},
    {"N", ""},           {"O", ""},     {"A", ""},  {"CSI", ""}, {"XT", ""},  {"XI", ""},
    {"TW", "TW"},        {"TWO", "TW"},  // Taiwan and its OTC market
    {"OF", "open_fund"},                 // open funds
};

// Types by number, with the upper-cased suffix.
constexpr RangeRule<std::string_view> kNumberTypes[] = {
    {"", {{30001, 39999}, {580001, 580999}}, "warrant"},
    {"", {{900901, 900999}, {200001, 200999}}, "stock_b"},
    {"SH", {{1, 999}}, "index_sh"},
    {"SZ", {{399001, 399999}}, "index_sz"},
    {"SH", {{150001, 150999}, {184600, 184799}, {500001, 500099}}, "close_fund"},
    {"SZ", {{150001, 150999}, {184600, 184799}, {500001, 500099}}, "close_fund"},
    {"", {{150001, 150999}, {184600, 184799}, {500001, 500099}}, "open_fund"},
    {"", {{159001, 159999}, {510001, 510999}}, "etf"},
    {"", {{160000, 169999}}, "lof"},
    {"SZ", {{9900, 19999}, {100000, 109999}}, "bond_sz"},
    {"", {{111000, 112999}, {115000, 115999}, {120000, 129999}}, "bond_sz"},
    {"SH", {{9900, 19999}}, "bond_sh"},
    {"", {{20000, 29999}, {110000, 119999}}, "bond_sh"},
    {"", {{131800, 131999}, {202001, 204999}}, "bond_r"},
    {"IB", {kAnyNumber}, "bond_ib"},
    {"00", {kAnyNumber}, "bond_sb"},
};
constexpr std::string_view kDefaultNumberType = "stock_a";

// Codes of Taiwan indexes named by letters.
constexpr std::string_view kTWIndexCodes[] = {"TWII.TW", "TWOTC.TW", "TWMC.TW",
                                              "TW50.TW", "MTI.TW",   "TWOTC.TWO",
                                              "TWDP.TW", "TWEI.TW",  "TWIT.TW"};
// TWSE<number>.<suffix> is a Taiwan index when the number has 1 to 19 digits.
constexpr std::string_view kTWSEPrefix = "TWSE";
constexpr size_t kMaxTWSEDigits = 19;

// Prefixes of bonds' real codes (yield and price forms).
constexpr std::string_view kBondRealPrefixes[] = {"FP_", "NP_", "YTM_"};
constexpr char kBondRealMark = '_';
// The display code keeps this many characters of the suffix.
constexpr size_t kBondSuffixChars = 2;

// Fund ranges whose odd numbers quote an indicative net value.
constexpr NumberRange kIOPVRanges[] = {{159001, 159999}, {510001, 510999}, {160000, 169999}};

template <size_t N>
bool ContainsAnyOf(const CodeText& code, const std::string_view (&parts)[N]) {
  for (const std::string_view part : parts) {
    if (code.Contains(part)) return true;
  }
  return false;
}

// The text whose number classifies the code: between the first underscore
// and the point, else before the first "V.", else before the point. Empty
// when the shape gives none.
std::string_view NumberCandidate(const CodeText& code) {
  const size_t underscore = code.whole.find('_');
  if (underscore != std::string_view::npos) {
    if (code.point < underscore + 2) return {};
    return code.whole.substr(underscore + 1, code.point - underscore - 1);
  }
  const size_t nv = code.whole.find("V.");
  if (nv != std::string_view::npos) return code.whole.substr(0, nv);
  return code.codePart;
}

// The security type as a view of constant text, or of `upperSuffix`.
std::string_view Classify(const CodeText& code, std::string& upperSuffix) {
  if (ContainsAnyOf(code, kDomesticFutures)) return "futures";
  if (ContainsAnyOf(code, kOverseaFutures)) return "oversea_futures";
  if (IsFundNVText(code)) return "open_fund";
  if (code.Contains("ONS.IB")) return "fx_ons";
  if (!code.HasPoint()) return {};

  std::optional<std::string_view> suffix;
  if (code.suffix) {
    upperSuffix = UpperCased(*code.suffix).View();
    suffix = upperSuffix;
    if (const SuffixType* row = FindRow(kSuffixTypes, upperSuffix)) {
      return row->type.empty() ? std::string_view(upperSuffix) : row->type;
    }
  }
  const std::string_view candidate = NumberCandidate(code);
  if (candidate.empty()) return {};
  const std::optional<uint64_t> number = ParseNumber(candidate);
  if (!number) return suffix.value_or(std::string_view());
  return FirstMatch(kNumberTypes, suffix, *number, kDefaultNumberType);
}

}  // namespace

int64_t LoginClientType() { return gLoginClientType.load(std::memory_order_relaxed); }
void SetLoginClientType(int64_t clientType) {
  gLoginClientType.store(clientType, std::memory_order_relaxed);
}

}  // namespace kestrel

using kestrel::CodeText;

std::string CKestrelCode::GetSecurityType(char* code) {
  try {
    kestrel::CodeFacts* facts = kestrel::FactsOf(code == nullptr ? "" : code);
    if (facts != nullptr && facts->typeKnown) return std::string(facts->Type());
    std::string upperSuffix;
    std::string type(kestrel::Classify(CodeText(code), upperSuffix));
    if (facts != nullptr) facts->SetType(type);
    return type;
  } catch (...) {
    return {};  // no working copy could be made
  }
}

bool kestrel::IsFundNVText(const CodeText& code) { return code.ContainsAny({"NV.SH", "NV.SZ"}); }

bool CKestrelCode::IsFundNV(char* code) { return kestrel::IsFundNVText(CodeText(code)); }

bool CKestrelCode::ISONS(char* code) { return CodeText(code).Contains("ONS.IB"); }

bool kestrel::IsIOPVText(const CodeText& text) {
  if (text.Contains("NV.")) return false;
  if (text.Contains("V.SZ")) return true;
  if (!text.Contains(".SH")) return false;
  const std::optional<uint64_t> n = ParseNumber(text.codePart);
  if (!n || *n % 2 == 0) return false;
  for (const NumberRange& range : kIOPVRanges) {
    if (range.Holds(*n)) return true;
  }
  return false;
}

bool CKestrelCode::IsIOPVCode(char* code) { return kestrel::IsIOPVText(CodeText(code)); }

bool kestrel::IsTWIndexText(const CodeText& text) {
  for (const std::string_view index : kTWIndexCodes) {
    if (text.whole == index) return true;
  }
  const size_t prefix = text.whole.find(kTWSEPrefix);
  if (prefix == std::string_view::npos) return false;
  const size_t digitsStart = prefix + kTWSEPrefix.size();
  const size_t point = text.whole.find('.');
  if (point == std::string_view::npos || point < digitsStart) return false;
  const std::string_view digits = text.whole.substr(digitsStart, point - digitsStart);
  return digits.size() <= kMaxTWSEDigits && ParseNumber(digits).has_value();
}

bool CKestrelCode::IsTWIndexCode(char* code) { return kestrel::IsTWIndexText(CodeText(code)); }

bool CKestrelCode::IsBondRealCode(const char* code) {
  // Every prefix ends in an underscore: a code without one is no real code.
  if (code == nullptr || std::strchr(code, kestrel::kBondRealMark) == nullptr) return false;
  const kestrel::UpperCased upper(code);
  for (const std::string_view prefix : kestrel::kBondRealPrefixes) {
    if (upper.View().find(prefix) != std::string_view::npos) return true;
  }
  return false;
}

bool kestrel::NamesMetal(const char* code, const char* metal) {
  if (code == nullptr || metal == nullptr) return false;
  const UpperCased upper(code);
  return upper.View().find(metal) != std::string_view::npos;
}

bool CKestrelCode::Is_Au_Ag_Pt(char* code, const char* metal) {
  return kestrel::NamesMetal(code, metal);
}

char* CKestrelCode::RealCodeToBondCode(char* code) {
  if (code == nullptr || kestrel::LoginClientType() == kestrel::kRealBondCodeClient) return code;
  const size_t length = std::strlen(code);
  for (size_t i = 0; i < length; ++i) {
    if (code[i] >= 'a' && code[i] <= 'z') code[i] = static_cast<char>(code[i] - 'a' + 'A');
  }
  if (!IsBondRealCode(code)) return code;
  // Drop everything up to the first underscore; keep the number, the first
  // point after it and two characters of the suffix. The text only moves left.
  const std::string_view whole(code, length);
  const size_t underscore = whole.find('_');
  const size_t start = underscore + 1;
  const size_t point = whole.find('.', start);
  const size_t end = point == std::string_view::npos
                         ? length
                         : std::min(length, point + 1 + kestrel::kBondSuffixChars);
  std::memmove(code, code + start, end - start);
  code[end - start] = '\0';
  return code;
}
