// The quote update (type 64) of 100 securities of mixed markets with 30
// indicators each, plain and inside a compressed envelope (type 54). The
// compressed case also reports x_target: its decode over uncompressing the
// payload plus decoding the plain message.
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KestrelUtils.h"

namespace kbench {
namespace {

constexpr int kSecurities = 100;

// Each security's indicators, in wire order: the time, five prices, the
// volume (signed), a signed field, fourteen unsigned fields, the amount
// (signed) and seven signed fields above id 128.
constexpr int kIds[] = {2,  3,  4,  5,  6,  7,  8,  10, 11,  12,  13,  14,  15,  16,  17,
                        18, 19, 20, 21, 22, 23, 24, 59, 300, 301, 302, 303, 304, 305, 306};
constexpr int kIndicators = static_cast<int>(std::size(kIds));

// A family of codes: printf format, first number and step. Securities take
// the families in turn. Gold and FX send their time as a stop-bit integer;
// every other market as a packed time.
struct Family {
  const char* format;
  int first;
  int step;
  bool stopBitTime;
};
constexpr Family kFamilies[] = {
    {"%06d.SH", 600000, 17, false},  // Shanghai A shares
    {"%06d.SH", 601000, 23, false},  // Shanghai A shares, segments 40-49
    {"%06d.SZ", 1, 7, false},        // Shenzhen A shares
    {"%06d.SZ", 2001, 13, false},    // Shenzhen small and medium enterprises
    {"%06d.SZ", 300001, 11, false},  // Shenzhen growth board
    {"%06d.SH", 1, 15, false},       // Shanghai indexes
    {"%06d.SZ", 399001, 5, false},   // Shenzhen indexes
    {"%06d.SH", 510050, 10, false},  // Shanghai funds
    {"%06d.SZ", 159901, 14, false},  // Shenzhen funds
    {"%06d.SZ", 160105, 3, false},   // Shenzhen listed open funds
    {"%06d.SH", 110030, 1, false},   // Shanghai bonds
    {"%06d.SH", 900901, 1, false},   // Shanghai B shares
    {"%04d.HK", 700, 97, false},     // Hong Kong
    {"IF11%02d.CFE", 7, 1, false},   // index futures
    {"CU11%02d.SHF", 7, 1, false},   // Shanghai futures
    {"M11%02d.DCE", 7, 2, false},    // Dalian futures
    {"AU99%02d.SGE", 95, 1, true},   // gold
    {"USDCNY.FX", 0, 0, true},       // FX: the same pair each time
    {"%06d.SI", 801010, 10, false},  // sector indexes
    {"%06d.IB", 19003, 1, false},    // interbank bonds
};
constexpr int kFamilyCount = static_cast<int>(std::size(kFamilies));

std::string CodeOf(int security) {
  const Family& f = kFamilies[security % kFamilyCount];
  char text[32];
  std::snprintf(text, sizeof text, f.format, f.first + f.step * (security / kFamilyCount));
  return text;
}

CaseData QuoteUpdate() {
  std::mt19937 random(64);
  kt::MessageBuilder b;
  b.UInt(kSecurities);
  for (int s = 0; s < kSecurities; ++s) {
    const std::string code = CodeOf(s);
    b.Raw(CompactCode(code.c_str())).UInt(kIndicators);
    const uint32_t price = 500 + random() % 50000;
    for (const int id : kIds) {
      b.UInt(static_cast<uint32_t>(id));
      if (id == 2) {
        const int minute = static_cast<int>(random() % 60),
                  second = static_cast<int>(random() % 60);
        if (kFamilies[s % kFamilyCount].stopBitTime) {
          b.UInt(static_cast<uint32_t>(100000 + minute * 100 + second));
        } else {
          b.PackedTime(10, minute, second);
        }
      } else if (id <= 7) {
        b.UInt(price + random() % 200);  // prices near the last
      } else if (id == 8 || id == 59) {
        b.Int(static_cast<int64_t>(random()) * 64);  // volume and amount
      } else if (id <= 128 && id != 10) {
        b.UInt(random() % 100000);  // order book prices and sizes
      } else {
        b.Int(static_cast<int64_t>(random() % 2000000) - 1000000);
      }
    }
  }
  return Message(kt::Frame(64, b.Bytes()), kSecurities * kIndicators);
}

// The values of a decoded quote update whose every quote has the code and the
// ids written; -1 otherwise (a time read in the wrong form shifts the ids).
int64_t CheckedQuoteValues(char* result, int type) {
  auto* data = reinterpret_cast<CKestrelData*>(result);
  if (type != 64 || data == nullptr || data->GetQuoteDataNum() != kSecurities) return -1;
  for (int s = 0; s < kSecurities; ++s) {
    CKestrelQuoteData& quote = data->GetKestrelQuoteData()[s];
    CIndexToValue* values = quote.GetIndexToValue();
    if (CodeOf(s) != quote.GetTernCode() || values->GetNum() != kIndicators) return -1;
    for (int j = 0; j < kIndicators; ++j) {
      if (values->GetIndexId()[j] != kIds[j]) return -1;
    }
  }
  return CountKestrelDataValues(result, type);
}

// A host's visitor that uses every value it is handed, as the host loop
// uses every value of the records: it adds up their bits.
struct SumVisitor {
  uint64_t sum = 0;
  int64_t values = 0;
  void onEntry(const kestrel::Entry& e) {
    sum += static_cast<uint64_t>(e.raw->llValue);
    ++values;
  }
};

// Visits the host's copy of the message with kestrel::visitQuotes. Skips
// with an error unless the first visit hands over exactly the case's values.
Subject VisitSubject() {
  return [](const CaseData& data, benchmark::State& state) -> std::function<void()> {
    auto copy = std::make_shared<std::vector<char>>(data.wire.begin(), data.wire.end());
    SumVisitor first;
    if (!kestrel::visitQuotes(copy->data(), copy->size(), first) || first.values != data.values) {
      const std::string error =
          "visited " + std::to_string(first.values) + " values, not " + std::to_string(data.values);
      state.SkipWithError(error.c_str());
      return {};
    }
    return [copy] {
      SumVisitor visitor;
      kestrel::visitQuotes(copy->data(), copy->size(), visitor);
      benchmark::DoNotOptimize(visitor.sum);
    };
  };
}

}  // namespace

void RegisterQuoteCases() {
  RegisterCase("quote_update", QuoteUpdate,
               {{"decode", DecodeSubject(CheckedQuoteValues)},
                {"host", HostLoopSubject(CheckedQuoteValues)},
                {"visit", VisitSubject()}});
  NamedSubject decode{"decode", DecodeSubject(CheckedQuoteValues)};
  decode.ratios.push_back({"x_target", {"quote_update_zlib/uncompress", "quote_update/decode"}});
  NamedSubject visit{"visit", VisitSubject()};
  visit.ratios.push_back({"x_target", {"quote_update_zlib/uncompress", "quote_update/visit"}});
  RegisterCase(
      "quote_update_zlib", [] { return CompressedMessage(QuoteUpdate()); }, {decode, visit},
      Reference::kInflated);
}

}  // namespace kbench
