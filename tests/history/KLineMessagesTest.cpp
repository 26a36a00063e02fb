// Day K-line (type 3) and minute K-line (type 5) messages, decoded through
// DecodeOneMessage as a host receives them.
#include <gtest/gtest.h>

#include <string>
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

// The one history record of a decoded K-line message.
CKestrelHisData& Record(const Decoded& d) {
  EXPECT_NE(d.Result(), nullptr);
  auto* data = d.As<CKestrelData>();
  EXPECT_EQ(data->GetHisDataNum(), 1);
  return data->GetKestrelHisData()[0];
}

std::vector<int> Ids(CKestrelHisData& record) {
  CIndexToValue* v = record.GetIndexToValue();
  return std::vector<int>(v->GetIndexId(), v->GetIndexId() + v->GetNum());
}

// Row `row` of column `at`, as a double whatever its element type.
double Cell(CKestrelHisData& record, int at, int row) {
  CIndexToValue* v = record.GetIndexToValue();
  const CIndexValue& column = v->GetIndexValue()[at];
  switch (v->GetValueType()[at]) {
    case 12:
      return column.pnValue[row];
    case 14:
      return static_cast<double>(column.pllValue[row]);
    default:
      return column.pdValue[row];
  }
}

// Two rows of the four prices at factor 2: 10.05 10.25 10.15 10.08, then
// 10.03 10.04 10.05 10.06.
MessageBuilder& Prices(MessageBuilder& b) {
  return b.UInt(1000).Int(5).UInt(20).UInt(10).UInt(3).Int(-2).UInt(1).UInt(2).UInt(3);
}
void ExpectPrices(CKestrelHisData& r, int at) {
  const double rows[2][4] = {{10.05, 10.25, 10.15, 10.08}, {10.03, 10.04, 10.05, 10.06}};
  for (int row = 0; row < 2; ++row) {
    for (int k = 0; k < 4; ++k) EXPECT_DOUBLE_EQ(Cell(r, at + k, row), rows[row][k]);
  }
}

enum class Shape { kStock, kFutures, kFund };

// First field of column 74: signed (day K-lines) it is -0.01, unsigned
// (minute K-lines) 42949672.95; the second row adds 0.25.
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;

// A two-row day K-line: factor 2, status 0x23; volume 7000 then 10000,
// amount 11 then 13 on the wire.
Bytes DayBody(const char* code, Shape shape) {
  MessageBuilder b;
  b.TextCode(code).UInt(2).UInt(0x23).UInt(2).UInt(20240102).UInt(1);
  if (shape == Shape::kFund) return b.UInt(12345).Int(5).Bytes();
  Prices(b).Int(7000).Int(3000).Int(11).Int(2);
  if (shape == Shape::kFutures) b.UInt(kAllOnes).Int(25).UInt(9).Int(-1);
  return b.Bytes();
}

TEST(DayKLine, LayoutsByCode) {
  kestrel::SetLoginClientType(0);  // bond codes are shown without their prefix
  const std::vector<int> kStockIds{1, 7, 6, 3, 5, 8, 59};
  const std::vector<int> kFuturesIds{1, 7, 6, 3, 5, 8, 59, 74, 76};
  const struct {
    const char* code;
    const char* stored;
    const char* type;
    Shape shape;
    double volume;  // row 1 (10000 on the wire)
    double amount;  // row 1 (13 on the wire)
  } rows[] = {
      {"600000.SH", "600000.SH", "stock_a", Shape::kStock, 1000000, 13000},
      {"AU9999.SGE", "AU9999.SGE", "SGE", Shape::kStock, 10, 13000},
      {"AG9999.SGE", "AG9999.SGE", "SGE", Shape::kStock, 10000, 13000},
      {"IF1107.CFE", "IF1107.CFE", "futures", Shape::kFutures, 10000, 130000},
      {"CU3M.LME", "CU3M.LME", "oversea_futures", Shape::kFutures, 10000, 130000},
      {"B0.BCE", "B0.BCE", "oversea_futures", Shape::kFutures, 10000, 13},
      {"B0.ICE", "B0.ICE", "oversea_futures", Shape::kStock, 10000, 130000},
      {"0700.HK", "0700.HK", "HK", Shape::kStock, 10000, 130000},
      {"AAPL.N", "AAPL.N", "N", Shape::kStock, 10000, 13000},
      {"000001.OF", "000001.OF", "open_fund", Shape::kFund, 0, 0},
      {"YTM_019003.SH", "019003.SH", "bond_sh", Shape::kStock, 1000000, 13000},
      {"abc.xyz", "ABC.XYZ", "XYZ", Shape::kStock, 1000000, 13000},
      {"ABC", "ABC", "", Shape::kStock, 1000000, 13000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    Decoded d(kt::Frame(3, DayBody(row.code, row.shape)));
    ASSERT_EQ(d.Type(), 3);
    CKestrelHisData& r = Record(d);
    EXPECT_STREQ(r.GetTernCode(), row.stored);
    EXPECT_STREQ(r.GetSecurityType(), row.type);
    EXPECT_EQ(r.GetPeriodType(), kPeriodDay);
    EXPECT_EQ(r.GetHisType(), kHisKLine);
    EXPECT_EQ(r.GetStatusNew(), 3);
    EXPECT_EQ(r.GetStatusOld(), 2);
    EXPECT_EQ(Cell(r, 0, 1), 20240103);
    if (row.shape == Shape::kFund) {
      EXPECT_EQ(Ids(r), (std::vector<int>{1, 230}));
      EXPECT_DOUBLE_EQ(Cell(r, 1, 1), 123.5);
      continue;
    }
    EXPECT_EQ(Ids(r), row.shape == Shape::kFutures ? kFuturesIds : kStockIds);
    ExpectPrices(r, 1);
    EXPECT_EQ(Cell(r, 5, 1), row.volume);
    EXPECT_EQ(Cell(r, 6, 1), row.amount);
    if (row.shape == Shape::kFutures) {
      EXPECT_NEAR(Cell(r, 7, 1), 0.24, 1e-9);
      EXPECT_EQ(Cell(r, 8, 1), 8);
    }
  }
}

TEST(DayKLine, StatusFieldAndEmptySeries) {
  const struct {
    Bytes head;  // factor, status when present, count
    int statusNew, statusOld;
  } rows[] = {
      {MessageBuilder().UInt(0).UInt(0).Bytes(), 1, 1},              // factor 0: no status field
      {MessageBuilder().UInt(2).UInt(0xFF).UInt(0).Bytes(), 15, 7},  // bits above 6 ignored
      {MessageBuilder().UInt(2).UInt(0x23).UInt(0xFFFFFFFFu).Bytes(), 3, 2},  // count -1
  };
  for (const auto& row : rows) {
    Decoded d(kt::Frame(3, MessageBuilder().TextCode("600000.SH").Raw(row.head).UInt(7).Bytes()));
    CKestrelHisData& r = Record(d);
    EXPECT_EQ(r.GetStatusNew(), row.statusNew);
    EXPECT_EQ(r.GetStatusOld(), row.statusOld);
    EXPECT_STREQ(r.GetTernCode(), "600000.SH");
    EXPECT_EQ(r.GetIndexToValue()->GetNum(), 0);  // no columns
  }
}

// A two-row minute K-line across midnight: 2024-01-01 23:59:30 and a bar 60
// seconds on; volume 1000 then 1550, amount 200 then 255 on the wire.
Bytes MinuteBody(const char* code, uint32_t bar, bool futures, uint32_t factor = 2) {
  MessageBuilder b;
  b.TextCode(code).UInt(bar).UInt(factor).UInt(2).UInt(20240101).UInt(235930).UInt(60);
  Prices(b).Int(1000).Int(550).Int(200).Int(55);
  if (futures) b.UInt(kAllOnes).Int(25).UInt(9).Int(-1);
  return b.Bytes();
}

using MinuteKLine = kt::LocalZone;

TEST_F(MinuteKLine, LayoutsByCodeAndBarLengths) {
  const struct {
    const char* code;
    bool futures;
    double volume;  // row 1 (1550 on the wire)
    double amount;  // row 1 (255 on the wire)
    uint32_t bar;
    TPeriodType period;
  } rows[] = {
      {"IF1107.CFE", true, 15, 25, 1, kPeriodMinuteBar1},
      {"AU9999.SGE", false, 15, 255, 0, kPeriodMinuteBar0},
      {"600000.SH", false, 1550, 255, 2, kPeriodMinuteBar2},
      {"600000.sh", false, 1550, 255, 3, kPeriodMinuteBar3},  // stored as sent
      {"600000.SH", false, 1550, 255, 4, kPeriodMinuteBar4},
      {"600000.SH", false, 1550, 255, 5, kPeriodMinuteBar5},
      {"600000.SH", false, 1550, 255, 9, kPeriodMinuteBar5},  // past the last code
      {"600000.SH", false, 1550, 255, 0xFFFFFFFFu, kPeriodMinuteBar5},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.code) + " bar " + std::to_string(row.bar));
    Decoded d(kt::Frame(5, MinuteBody(row.code, row.bar, row.futures)));
    ASSERT_EQ(d.Type(), 5);
    CKestrelHisData& r = Record(d);
    EXPECT_STREQ(r.GetTernCode(), row.code);
    EXPECT_EQ(r.GetPeriodType(), row.period);
    EXPECT_EQ(r.GetStatusNew(), 1);
    EXPECT_EQ(r.GetStatusOld(), 1);
    EXPECT_EQ(r.GetHisType(), kHisKLine);
    EXPECT_EQ(Ids(r), row.futures ? (std::vector<int>{1, 2, 7, 6, 3, 5, 8, 59, 74, 76})
                                  : (std::vector<int>{1, 2, 7, 6, 3, 5, 8, 59}));
    // 2024-01-01 23:59:30, then across midnight.
    EXPECT_EQ(Cell(r, 0, 0), 20240101);
    EXPECT_EQ(Cell(r, 1, 0), 235930);
    EXPECT_EQ(Cell(r, 0, 1), 20240102);
    EXPECT_EQ(Cell(r, 1, 1), 30);
    ExpectPrices(r, 2);
    EXPECT_EQ(Cell(r, 6, 1), row.volume);
    EXPECT_EQ(Cell(r, 7, 1), row.amount);
    if (row.futures) {
      EXPECT_NEAR(Cell(r, 8, 1), 42949673.2, 1e-6);
      EXPECT_EQ(Cell(r, 9, 1), 8);
    }
  }
}

TEST_F(MinuteKLine, FactorZeroAndEmptySeries) {
  {  // factor 0 is followed by the count: prices as whole numbers
    Decoded d(kt::Frame(5, MinuteBody("600000.SH", 1, false, 0)));
    EXPECT_EQ(Cell(Record(d), 2, 1), 1003);
    EXPECT_EQ(Cell(Record(d), 7, 1), 255);
  }
  {  // no rows
    Decoded d(
        kt::Frame(5, MessageBuilder().TextCode("IF1107.CFE").UInt(1).UInt(2).UInt(0).Bytes()));
    EXPECT_EQ(Record(d).GetIndexToValue()->GetNum(), 0);
    EXPECT_STREQ(Record(d).GetSecurityType(), "futures");
  }
}

// Every prefix of a message, framed as a message of its own, decodes to one
// record whose columns all hold the same number of rows; a row count that the
// bytes cannot hold is cut, never allocated.
TEST_F(MinuteKLine, EveryPrefixOfBothTypesDecodesSafely) {
  const std::pair<uint32_t, Bytes> messages[] = {{3, DayBody("IF1107.CFE", Shape::kFutures)},
                                                 {3, DayBody("000001.OF", Shape::kFund)},
                                                 {5, MinuteBody("IF1107.CFE", 1, true)}};
  for (const auto& [type, body] : messages) {
    kt::ForEachCut(type, body, [type = type](const Decoded& d, size_t n) {
      ASSERT_EQ(d.Type(), static_cast<int>(type));
      CIndexToValue* v = Record(d).GetIndexToValue();
      for (int k = 0; k < v->GetNum(); ++k) {
        EXPECT_EQ(v->GetOneIndexValueNum()[k], v->GetOneIndexValueNum()[0]) << type << "/" << n;
      }
    });
  }
  const Bytes forgedBytes = kt::Frame(
      3, MessageBuilder().TextCode("600000.SH").UInt(2).UInt(0).UInt(2000000000).UInt(1).Bytes());
  Decoded forged(forgedBytes);
  // Two billion rows are honoured only as far as the memory budget of the
  // message reaches; the rows behind its end read as 0.
  CIndexToValue* columns = Record(forged).GetIndexToValue();
  ASSERT_GT(columns->GetNum(), 0);
  const int64_t rows = columns->GetOneIndexValueNum()[0];
  EXPECT_GT(rows, 1);
  EXPECT_LE(rows * columns->GetNum() * int64_t{sizeof(int64_t)}, kt::CountBudget(forgedBytes.size(), 0));
}

}  // namespace
