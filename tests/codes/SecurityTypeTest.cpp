// Classification of codes, price unit factors and the scaling of integers.
// Every row is a case a reader can check against the protocol's rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "codes/DecimalScale.h"
#include "support/KestrelCodeAccess.h"

namespace {

using Access = KestrelCodeAccess;

// A writable copy of a code, as the operations take char*.
struct Text {
  explicit Text(const char* text) : bytes(text, text + std::strlen(text) + 1) {}
  char* get() { return bytes.data(); }
  std::vector<char> bytes;
};

struct CodeCase {
  const char* code;
  const char* type;
  int factor;
};

const CodeCase kCodeCases[] = {
    // Futures and funds by substring, before anything else.
    {"IF1107.CFE", "futures", 2},
    {"CU3M.LME", "oversea_futures", 3},
    {"C1109.CBT", "oversea_futures", 3},  // CBT: three decimals by suffix
    {"510050NV.SH", "open_fund", 4},
    {"USDCNYONS.IB", "fx_ons", 4},
    // Suffixes that decide alone.
    {"0700.HK", "HK", 3},
    {"0700.hk", "HK", 2},  // factors compare the suffix as it stands
    {"2330.TWO", "TW", 3},
    {"TWII.TW", "TW", 2},
    {"000001.OF", "open_fund", 4},
    {"USDCNY.FX", "FX", 4},
    {"XAU.XX", "XX", 0},
    // Numbers.
    {"600000.SH", "stock_a", 2},
    {"000001.SH", "index_sh", 2},
    {"000001.SZ", "stock_a", 2},
    {"150001.SZ", "close_fund", 3},
    {"150001.", "open_fund", 3},  // no suffix: not a closed fund
    {"159901.SZ", "etf", 3},
    {"510050.SH", "etf", 3},
    {"161005.SZ", "lof", 3},
    {"010107.SZ", "bond_sz", 3},
    {"120001.SH", "bond_sz", 3},  // the 120000-129999 row comes first
    {"010107.SH", "bond_sh", 3},
    {"131810.SZ", "bond_r", 3},
    {"204001.SH", "bond_r", 3},
    {"019003.IB", "bond_ib", 4},
    {"123.00", "bond_sb", 2},
    {"YTM_019003.SH", "bond_sh", 2},  // number between underscore and point
    {"159901V.SZ", "etf", 3},         // number before "V."
    // Shapes that give no number.
    {"AU9999.SGE", "SGE", 2},
    {"abc.xyz", "XYZ", 2},
    {"ABC.", "", 2},
    {"ABC", "", -1},
    {".SH", "", -1},
    {"FP_.SH", "", 2},
    {"X.Y_1", "", 2},
    {"", "", -1},
};

// Each rule row of the classification and factor tables at the edges of its
// ranges: the first and last number inside decide by the row, the numbers
// just outside fall to a later row or the default. Worked out by hand from
// the protocol's tables.
const CodeCase kRangeEdges[] = {
    {"030000.SZ", "stock_a", 4},    {"030001.SZ", "warrant", 3},    {"039999.SZ", "warrant", 3},
    {"040000.SZ", "stock_a", 4},    {"580000.SH", "stock_a", 2},    {"580999.SH", "warrant", 3},
    {"581000.SH", "stock_a", 2},    {"900900.SH", "stock_a", 2},    {"900901.SH", "stock_b", 3},
    {"900999.SH", "stock_b", 3},    {"901000.SH", "stock_a", 2},    {"200000.SZ", "stock_a", 2},
    {"200001.SZ", "stock_b", 3},    {"200999.SZ", "stock_b", 3},    {"201000.SZ", "stock_a", 2},
    {"000000.SH", "stock_a", 2},    {"000999.SH", "index_sh", 2},   {"001000.SH", "stock_a", 2},
    {"399000.SZ", "stock_a", 2},    {"399999.SZ", "index_sz", 2},   {"400000.SZ", "stock_a", 2},
    {"150000.SZ", "stock_a", 2},    {"150999.SZ", "close_fund", 3}, {"151000.SZ", "stock_a", 2},
    {"184599.SZ", "stock_a", 2},    {"184600.SZ", "close_fund", 3}, {"184799.SZ", "close_fund", 3},
    {"184800.SZ", "stock_a", 2},    {"500000.SH", "stock_a", 2},    {"500001.SH", "close_fund", 3},
    {"500099.SH", "close_fund", 3}, {"500100.SH", "stock_a", 2},    {"159000.SZ", "stock_a", 2},
    {"159999.SZ", "etf", 3},        {"510000.SH", "stock_a", 2},    {"510002.SH", "etf", 3},
    {"510999.SH", "etf", 3},        {"511000.SH", "stock_a", 2},    {"169999.SZ", "lof", 3},
    {"170000.SZ", "stock_a", 2},    {"009899.SZ", "stock_a", 2},    {"009900.SZ", "bond_sz", 3},
    {"019999.SZ", "bond_sz", 3},    {"020000.SZ", "bond_sh", 4},    {"099999.SZ", "stock_a", 4},
    {"100000.SZ", "bond_sz", 3},    {"109999.SZ", "bond_sz", 3},    {"110000.SZ", "bond_sh", 4},
    {"110999.SH", "bond_sh", 3},    {"111000.SH", "bond_sz", 3},    {"112999.SH", "bond_sz", 3},
    {"113000.SH", "bond_sh", 3},    {"114999.SZ", "bond_sh", 4},    {"115000.SZ", "bond_sz", 3},
    {"115999.SZ", "bond_sz", 3},    {"116000.SZ", "bond_sh", 4},    {"119999.SZ", "bond_sh", 4},
    {"120000.SZ", "bond_sz", 3},    {"129999.SZ", "bond_sz", 3},    {"130000.SZ", "stock_a", 2},
    {"009899.SH", "stock_a", 2},    {"009900.SH", "bond_sh", 3},    {"019999.SH", "bond_sh", 3},
    {"029999.SH", "bond_sh", 3},    {"030000.SH", "stock_a", 4},    {"109999.SH", "stock_a", 4},
    {"110000.SH", "bond_sh", 3},    {"129999.SH", "bond_sz", 3},    {"130000.SH", "stock_a", 2},
    {"131799.SH", "stock_a", 2},    {"131800.SH", "bond_r", 3},     {"131999.SH", "bond_r", 3},
    {"132000.SH", "stock_a", 2},    {"202000.SZ", "stock_a", 2},    {"202001.SZ", "bond_r", 3},
    {"204999.SZ", "bond_r", 3},     {"205000.SZ", "stock_a", 2},    {"009899.XY", "stock_a", 2},
    {"009900.XY", "stock_a", 4},    {"127000.XY", "bond_sz", 3},    {"999999.IB", "bond_ib", 4},
    {"999999.00", "bond_sb", 2},
};

TEST(SecurityType, TypesAndPriceUnitFactors) {
  std::vector<CodeCase> rows(std::begin(kCodeCases), std::end(kCodeCases));
  rows.insert(rows.end(), std::begin(kRangeEdges), std::end(kRangeEdges));
  for (const CodeCase& row : rows) {
    Text code(row.code);
    EXPECT_EQ(CKestrelCode::GetSecurityType(code.get()), row.type) << row.code;
    EXPECT_EQ(Access::GetPriceUnitFactor(code.get()), row.factor) << row.code;
    EXPECT_STREQ(code.get(), row.code);  // classification never writes
  }
  EXPECT_EQ(CKestrelCode::GetSecurityType(nullptr), "");
}

// Answers come from a per-thread memo once a code has been seen. Many more
// distinct codes than it holds, of every shape and of lengths around its
// limit, asked again in another order: every answer is what the first
// asking gave, whatever was forgotten in between.
TEST(SecurityType, RepeatedCodesGetTheirFirstAnswers) {
  const char* suffixes[] = {".SH", ".SZ", ".sh", ".HK", ".SHF", ".TW", ".IB", ".xyz", ""};
  std::vector<std::string> codes;
  for (int i = 0; i < 12000; ++i) {
    // each number with every suffix: codes that share all but their end
    std::string code = std::to_string(100000 + (i / 9) * 83 % 900000) + suffixes[i % 9];
    if (i % 7 == 0) code = "YTM_" + code;
    if (i % 11 == 0) code += std::string(static_cast<size_t>(i % 17), 'A');  // up to 32 characters
    codes.push_back(code);
  }
  std::vector<std::pair<std::string, int>> first;
  for (std::string& code : codes) {
    first.emplace_back(CKestrelCode::GetSecurityType(code.data()),
                       Access::GetPriceUnitFactor(code.data()));
  }
  for (size_t k = codes.size(); k-- > 0;) {
    // the factor first this time, so each half is found on its own
    const int factor = Access::GetPriceUnitFactor(codes[k].data());
    EXPECT_EQ(CKestrelCode::GetSecurityType(codes[k].data()), first[k].first) << codes[k];
    EXPECT_EQ(factor, first[k].second) << codes[k];
  }
}

TEST(SecurityType, Predicates) {
  const struct {
    bool (*predicate)(char*);
    std::vector<const char*> yes, no;
  } rows[] = {
      // Odd numbers of the fund ranges; Shenzhen needs "V.SZ".
      {Access::IsIOPVCode,
       {"510051.SH", "160001.SH", "159901V.SZ"},
       {"510050.SH", "600001.SH", "159901.SZ", "510051NV.SH"}},
      // Index names, or TWSE and up to 19 digits.
      {Access::IsTWIndexCode,
       {"TWII.TW", "TWOTC.TWO", "TWSE12.TW", "TWSE1234567890123456789.TW"},
       {"XTWII.TW", "TWSE1A.TW", "TWSE.TW", "TWSE12345678901234567890.TW"}},
      {Access::IsFundNV, {"510050NV.SZ"}, {"510050nv.SH"}},
      {Access::ISONS, {"ABCONS.IB"}, {}},
  };
  for (const auto& row : rows) {
    for (const char* yes : row.yes) EXPECT_TRUE(row.predicate(Text(yes).get())) << yes;
    for (const char* no : row.no) EXPECT_FALSE(row.predicate(Text(no).get())) << no;
  }
  EXPECT_TRUE(Access::IsBondRealCode("ytm_1.SH"));
  EXPECT_TRUE(Access::IsBondRealCode("np_1.IB"));
  EXPECT_FALSE(Access::IsBondRealCode("FP1.SH"));
  Text gold("au9999.sge");
  EXPECT_TRUE(Access::Is_Au_Ag_Pt(gold.get(), "AU"));
  EXPECT_FALSE(Access::Is_Au_Ag_Pt(gold.get(), "AG"));
}

TEST(SecurityType, BondDisplayCodes) {
  const std::pair<const char*, const char*> rows[] = {
      {"ytm_019003.sh", "019003.SH"},
      {"FP_123456.IBXX", "123456.IB"},  // two characters of the suffix
      {"np_99", "99"},                  // no point: all after the underscore
      {"600000.sh", "600000.SH"},       // not a bond: only upper-cased
  };
  for (const auto& [real, display] : rows) {
    Text code(real);
    EXPECT_EQ(Access::RealCodeToBondCode(code.get()), code.get());
    EXPECT_STREQ(code.get(), display) << real;
  }
  // Client type 80, which keeps real codes, is checked in LoginRepliesTest.
}

TEST(PriceFactor, IndicatorDecimals) {
  const std::tuple<int, int, int> rows[] = {
      // price unit factor, id, decimals
      {2, 79, 3},  {-1, 3, -1}, {3, 151, 5}, {2, 1, 0},   {2, 490, 0}, {2, 491, 2},
      {3, 224, 2}, {1, 175, 3}, {2, 81, 4},  {3, 349, 4}, {3, 350, 0}, {2, 326, 2},
      {2, -5, 2},  {3, 4, 3},   {0, 456, 2}, {0, 460, 4}, {4, 461, 2}, {2, 486, 4},
      {2, 487, 2}, {2, 11, 2},  {2, 30, 2},  {2, 31, 0},  {2, 50, 0},  {2, 51, 2},
  };
  for (const auto& [priceFactor, id, decimals] : rows) {
    EXPECT_EQ(Access::GetRealFactor(priceFactor, id), decimals) << priceFactor << " " << id;
  }
}

TEST(PriceFactor, FuturesAndGoldCorrections) {
  const std::tuple<const char*, int, int64_t, int64_t> rows[] = {
      // code, id, value, fixed
      {"IF1107.CFE", 31, 12345, 123},  {"IF1107.CFE", 9, 12345, 1234},
      {"IF1107.CFE", 3, 12345, 12345}, {"IF1107.CFE", 55, -12345, -123},
      {"AU9999.SGE", 59, 123, 1230},   {"AG9999.SGE", 9, 12345, 123},
      {"PT9995.SGE", 9, 5, 50},        {"AU9999.SGE", 31, 12345, 123},
      {"XX1.SGE", 9, 77, 77},          {"600000.SH", 31, 12345, 12345},
      {"CU3M.LME", 9, 12345, 12345},
  };
  for (const auto& [code, id, value, fixed] : rows) {
    EXPECT_EQ(Access::FixFactor(Text(code).get(), id, value), fixed) << code << " " << id;
  }
}

TEST(PriceFactor, Scaling) {
  const std::tuple<int64_t, int, double> rows[] = {
      // value, decimals or divisor, expected
      {-12345, 2, -123.45}, {5, 7, 0.0},          {12345, 100, 123.45}, {7, 0, 7.0},
      {-3, -1, 0.0},        {123456, 5, 1.23456}, {5, 10, 0.5},         {5, 1, 0.5},
      {1234, 3, 1.234},     {1234, 1000, 1.234},  {12, 4, 0.0012},      {12, 10000, 0.0012},
  };
  for (const auto& [value, decimals, expected] : rows) {
    EXPECT_DOUBLE_EQ(Access::GetFloat(value, decimals), expected) << value << " " << decimals;
  }
}

}  // namespace
