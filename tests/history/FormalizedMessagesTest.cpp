// Formalized trend (type 17) and formalized deal (type 18) messages, decoded
// through DecodeOneMessage as a host receives them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "KestrelUtils.h"
#include "codes/CodeText.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/LocalZone.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::MessageBuilder;

// Columns by kind, two rows each: T time, D date and time, P price, A average
// price, V volume, v volume sent a hundredfold, M amount (m: one the decoder
// must leave unread), F buy/sell flags, X column 78; Z, z and Y the two
// numbers after the flags (5, 0, 0) and the id-92 column (absent for z).
void Column(MessageBuilder& b, char kind) {
  const std::pair<std::string, Bytes> wire[] = {
      {"T", MessageBuilder().UInt(93000).Int(100).Bytes()},  // 09:30:00, 09:31:40
      {"D", MessageBuilder().UInt(20240101).UInt(93000).UInt(100).Bytes()},
      {"PA", MessageBuilder().UInt(1005).Int(3).Bytes()},    // 1005, 1008
      {"VvMm", MessageBuilder().Int(500).Int(250).Bytes()},  // 500, 750
      {"F", {0x40}},                                         // S, B
      {"X", MessageBuilder().Int(7).Int(9).Bytes()},
      {"Z", MessageBuilder().UInt(5).UInt(1).UInt(500).Int(250).Bytes()},
      {"z", MessageBuilder().UInt(0).UInt(1).Bytes()},
      {"Y", MessageBuilder().UInt(0).UInt(1).UInt(500).Int(250).Bytes()},
  };
  for (const auto& [kinds, bytes] : wire) {
    if (kinds.find(kind) != std::string::npos) b.Raw(bytes);
  }
}

// A body: presence 1, the code, each part as its row count (0 for no kinds)
// and its columns ("-": no part at all), then the extra column with count 2.
Bytes Body(const char* code, const std::vector<std::string>& parts, char extra) {
  MessageBuilder b;
  b.UInt(1).TextCode(code);
  for (const std::string& kinds : parts) {
    if (kinds != "-") b.UInt(kinds.empty() ? 0 : 2);
    for (const char kind : kinds) Column(b, kind);
  }
  if (extra != 0) Column(b.UInt(2), extra);
  return b.Bytes();
}

// The ids and row-1 values a record must hold for the kinds (NaN: the
// column holds no values).
std::vector<std::pair<int, double>> Expected(const std::string& kinds, int factor) {
  const double price = 1008 / std::pow(10.0, factor);
  std::vector<std::pair<int, double>> cells;
  for (const char kind : kinds) {
    if (kind == 'D') cells.insert(cells.end(), {{1, 20240101}, {2, 93140}});
    const std::pair<char, std::pair<int, double>> rows[] = {
        {'T', {2, 93140}}, {'P', {3, price}}, {'A', {79, price / 10}}, {'V', {8, 750}},
        {'v', {8, 7}},     {'M', {59, 750}},  {'F', {56, 0}},          {'X', {78, 9}},
        {'Z', {92, 750}},  {'Y', {92, 750}},  {'z', {92, NAN}}};
    for (const auto& [k, cell] : rows) {
      if (k == kind) cells.push_back(cell);
    }
  }
  return cells;
}

void ExpectColumns(CKestrelHisData& r, const std::string& kinds, int factor) {
  const auto want = Expected(kinds, factor);
  CIndexToValue* v = r.GetIndexToValue();
  ASSERT_EQ(v->GetNum(), static_cast<int>(want.size())) << kinds;
  for (size_t k = 0; k < want.size(); ++k) {
    const auto& [id, row1] = want[k];
    EXPECT_EQ(v->GetIndexId()[k], id);
    EXPECT_EQ(v->GetOneIndexValueNum()[k], std::isnan(row1) ? 0 : 2) << id;
    if (std::isnan(row1)) continue;
    const CIndexValue& c = v->GetIndexValue()[k];
    const int type = v->GetValueType()[k];
    const double got = type == 12 ? c.pnValue[1] : type == 14 ? c.pllValue[1] : c.pdValue[1];
    EXPECT_NEAR(got, row1, 1e-9) << id;
  }
}

struct Market {
  uint32_t type;
  const char* sent;
  const char* stored;
  const char* securityType;
  int factor;
  std::string trend;  // "-": no trend part (type 18)
  std::string deal;   // "-": no deal part
  char extra;         // column with its own count after the deals: A, M or m
};

using Formalized = kt::LocalZone;

TEST_F(Formalized, MarketsOfBothMessages) {
  kestrel::SetLoginClientType(0);  // bond codes are shown without their prefix
  const Market rows[] = {
      {17, "600000.SH", "600000.SH", "stock_a", 2, "TPVA", "TPVFZ", 0},
      {17, "600000.SH", "600000.SH", "stock_a", 2, "", "TPVFz", 0},
      {17, "510050.SH", "510050.SH", "etf", 3, "TPVA", "TPVFZ", 0},
      {17, "510051.SH", "510051.SH", "etf", 3, "TP", "-", 0},
      {17, "YTM_019003.SH", "019003.SH", "bond_sh", 4, "TPVM", "TPVFY", 0},
      {17, "019003.SH", "019003.SH", "bond_sh", 3, "TPVM", "TPVFY", 0},
      {17, "IF1107.CFE", "IF1107.CFE", "futures", 2, "TPv", "TPvXF", 'A'},
      {17, "0700.HK", "0700.HK", "HK", 3, "TPV", "TPVF", 'A'},
      {17, "AAPL.N", "AAPL.N", "N", 3, "TPV", "TPVF", 'A'},
      {17, "AU9999.SGE", "AU9999.SGE", "SGE", 2, "DPv", "DPv", 0},
      {17, "USDCNY.FX", "USDCNY.FX", "FX", 4, "DPV", "DPV", 0},
      {17, "CU3M.LME", "CU3M.LME", "oversea_futures", 3, "DPV", "DPV", 0},
      {17, "000300.HI", "000300.HI", "HI", 2, "TPVM", "TPM", 'm'},
      {17, "000001.SH", "000001.SH", "index_sh", 2, "TPVM", "TPV", 'M'},
      {18, "600000.SH", "600000.SH", "stock_a", 2, "-", "TPVFZ", 0},
      {18, "YTM_019003.SH", "019003.SH", "bond_sh", 3, "-", "TPVFz", 0},
      {18, "510051.SH", "510051.SH", "etf", 3, "-", "TPVFZ", 0},
      {18, "CU3M.LME", "CU3M.LME", "oversea_futures", 3, "-", "TPvXF", 0},
      {18, "AU9999.SGE", "AU9999.SGE", "SGE", 2, "-", "DPv", 0},
      {18, "0700.HK", "0700.HK", "HK", 3, "-", "TPVF", 0},
      {18, "000001.SH", "000001.SH", "index_sh", 2, "-", "TPV", 0},
      {18, "000300.HI", "", "HI", 2, "-", "", 0},  // no deal layout: the type alone
  };
  for (const Market& row : rows) {
    SCOPED_TRACE(std::to_string(row.type) + " " + row.sent);
    Decoded d(kt::Frame(row.type, Body(row.sent, {row.trend, row.deal}, row.extra)));
    ASSERT_EQ(d.Type(), static_cast<int>(row.type));
    auto* data = d.As<CKestrelData>();
    ASSERT_NE(data, nullptr);
    std::vector<std::pair<THisType, std::string>> parts;
    if (row.trend != "-")
      parts.emplace_back(kHisMinuteTrend, row.trend + (row.extra == 'A' ? "A" : ""));
    if (row.deal != "-")
      parts.emplace_back(kHisLast24Deal, row.deal + (row.extra == 'M' ? "M" : ""));
    ASSERT_EQ(data->GetHisDataNum(), static_cast<int>(parts.size()));
    for (size_t i = 0; i < parts.size(); ++i) {
      CKestrelHisData& r = data->GetKestrelHisData()[i];
      EXPECT_STREQ(r.GetSecurityType(), row.securityType);
      if (*row.stored == '\0') continue;
      EXPECT_STREQ(r.GetTernCode(), row.stored);
      EXPECT_EQ(r.GetHisType(), parts[i].first);
      EXPECT_EQ(r.GetPeriodType(),
                parts[i].first == kHisMinuteTrend ? kPeriodMinuteBar0 : kPeriodDeal);
      ExpectColumns(r, parts[i].second, row.factor);
    }
    const bool quote = row.deal.find('Z') != std::string::npos;
    ASSERT_EQ(data->GetQuoteDataNum(), quote ? 1 : 0);
    if (!quote) continue;
    CIndexToValue* q = data->GetKestrelQuoteData()->GetIndexToValue();
    EXPECT_STREQ(data->GetKestrelQuoteData()->GetTernCode(), row.stored);
    ASSERT_EQ(q->GetNum(), 1);
    EXPECT_EQ(q->GetIndexId()[0], 71);
    EXPECT_EQ(q->GetValueType()[0], 2);
    EXPECT_EQ(q->GetIndexValue()[0].nValue, 5);
  }
}

// Every prefix of whole messages of both types decodes without fault to a
// result whose columns hold no more rows than were sent and have storage
// for each row; a forged count allocates no more than the message's budget.
TEST_F(Formalized, EveryPrefixOfBothTypesDecodesSafely) {
  MessageBuilder forged;  // a trend count far beyond the bytes behind it
  forged.UInt(1).TextCode("0700.HK").UInt(2000000000).UInt(0).UInt(0);
  struct Message {
    uint32_t type;
    Bytes body;
    int64_t rows;  // rows announced
  };
  const Message messages[] = {
      {17, Body("600000.SH", {"TPVA", "TPVFZ"}, 0), 2},
      {17, Body("IF1107.CFE", {"TPv", "TPvXF"}, 'A'), 2},
      {17, Body("YTM_019003.SH", {"TPVM", "TPVFY"}, 0), 2},
      {18, Body("AU9999.SGE", {"DPv"}, 0), 2},
      {17, forged.Bytes(), 2000000000},
  };
  for (const auto& [type, full, rows] : messages) {
    kt::ForEachCut(type, full, [type = type, rows = rows](const Decoded& d, size_t n) {
      ASSERT_NE(d.Result(), nullptr) << type << "/" << n;
      auto* data = d.As<CKestrelData>();
      for (int i = 0; i < data->GetHisDataNum(); ++i) {
        CIndexToValue* v = data->GetKestrelHisData()[i].GetIndexToValue();
        for (int k = 0; k < v->GetNum(); ++k) {
          // Rows are honoured as far as the memory budget of the message
          // reaches, never beyond it.
          const int64_t held = v->GetOneIndexValueNum()[k];
          EXPECT_LE(held, rows) << type << "/" << n;
          EXPECT_LE(held * int64_t{sizeof(int64_t)}, kt::CountBudget(n)) << type << "/" << n;
          EXPECT_TRUE(v->GetOneIndexValueNum()[k] == 0 || v->GetIndexValue()[k].pnValue);
        }
      }
    });
  }
  // A presence field of 0: no records.
  Decoded absent(kt::Frame(17, MessageBuilder().UInt(0).TextCode("600000.SH").Bytes()));
  EXPECT_EQ(absent.As<CKestrelData>()->GetHisDataNum(), 0);
}

}  // namespace

namespace {

// A history trend envelope (type 6) around a message: its head, a symbols
// block of 600000.SH, then the nested message.
Bytes HisTrend(const Bytes& nested) {
  MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(0).UInt(1).UInt(6).UInt(1).Code(60, 0).UInt(1).UInt(3).Int(1050);
  return kt::Frame(6, b.Raw(nested).Bytes());
}

TEST(FormalizedTrend, ArrivesThroughTwoHistoryTrendEnvelopes) {
  const Bytes trend = kt::Frame(17, Body("600000.SH", {"TPVA", "TPVFZ"}, 0));
  Decoded direct(trend);
  Decoded nested(HisTrend(HisTrend(trend)));
  auto* alone = direct.As<CKestrelData>();
  auto* merged = nested.As<CKestrelData>();
  ASSERT_NE(alone, nullptr);
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(nested.Type(), 6);
  ASSERT_GE(alone->GetHisDataNum(), 1);
  ASSERT_EQ(merged->GetHisDataNum(), alone->GetHisDataNum());
  for (int i = 0; i < alone->GetHisDataNum(); ++i) {
    CKestrelHisData& a = alone->GetKestrelHisData()[i];
    CKestrelHisData& m = merged->GetKestrelHisData()[i];
    EXPECT_STREQ(m.GetTernCode(), a.GetTernCode());
    EXPECT_EQ(m.GetHisType(), a.GetHisType());
    EXPECT_EQ(m.GetIndexToValue()->GetNum(), a.GetIndexToValue()->GetNum());
  }
  // Each envelope's symbols, and the trend's own quote records.
  EXPECT_EQ(merged->GetQuoteDataNum(), alone->GetQuoteDataNum() + 2);
}

}  // namespace
