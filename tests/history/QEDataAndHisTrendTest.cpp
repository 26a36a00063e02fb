// QE data plus (type 21) and history trend envelopes (type 6), decoded as a
// host receives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::MessageBuilder;

// Head of a QE data body for 600000.SH: history type, row count, period code
// and series count.
MessageBuilder QEHead(uint32_t hisType, uint32_t rows, uint32_t period, uint32_t series) {
  MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(hisType).UInt(0).UInt(0).UInt(rows).UInt(period).UInt(series);
  return b;
}

TEST(QEDataPlus, SeriesOfEveryKindThenParameters) {
  MessageBuilder b = QEHead(20, 3, 2, 5);
  b.UInt(3).UInt(0).UInt(2).Int(12345).Int(5).Int(-10);      // doubles, 2 decimals
  b.UInt(1).UInt(2).UInt(0).UInt(20240102).UInt(1).UInt(1);  // dates
  b.UInt(7).UInt(3).UInt(0).Int(1).Int(1).Int(1);            // doubles, no decimals
  b.UInt(480).UInt(4).UInt(0).Sized("a").Sized("").Sized("bc");
  b.UInt(9).UInt(9).UInt(0);          // no values
  b.UInt(1).UInt(5).UInt(1).Int(25);  // parameter 5 = 2.5
  Decoded d(kt::Frame(21, b.Bytes()));
  auto* data = d.As<CKestrelData>();
  ASSERT_EQ(data->GetHisDataNum(), 1);
  CKestrelHisData& r = data->GetKestrelHisData()[0];
  EXPECT_STREQ(r.GetTernCode(), "600000.SH");
  EXPECT_EQ(r.GetPeriodType(), 2);
  EXPECT_EQ(r.GetHisType(), 20);
  CIndexToValue* v = r.GetIndexToValue();
  ASSERT_EQ(v->GetNum(), 5);
  const int ids[] = {3, 1, 7, 480, 9}, types[] = {13, 12, 13, 21, 0};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(v->GetIndexId()[k], ids[k]);
    EXPECT_EQ(v->GetValueType()[k], types[k]);
    EXPECT_EQ(v->GetOneIndexValueNum()[k], 3);
  }
  const CIndexValue* c = v->GetIndexValue();
  EXPECT_EQ(std::vector<double>(c[0].pdValue, c[0].pdValue + 3),
            (std::vector<double>{123.45, 123.5, 123.4}));
  EXPECT_EQ(c[1].pnValue[2], 20240104);
  EXPECT_EQ(c[2].pdValue[2], 3);
  EXPECT_EQ(std::string(c[3].ppcValue[0]) + "|" + c[3].ppcValue[1] + "|" + c[3].ppcValue[2],
            "a||bc");
  ASSERT_EQ(data->GetQuoteDataNum(), 1);
  EXPECT_DOUBLE_EQ(data->GetKestrelQuoteData()[0].GetIndexToValue()->GetIndexValue()[0].dValue,
                   2.5);
}

TEST(QEDataPlus, QueuesEmptySeriesAndPeriods) {
  const struct {
    Bytes body;
    int records, queues, quotes, period, hisType;
  } rows[] = {
      // History type 11: two queues (time stamp 0 each); no parameters read.
      {QEHead(11, 5, 0, 3).Int(0).Int(0).UInt(1).UInt(5).UInt(1).Int(25).Bytes(), 0, 2, 0, 0, 0},
      // No rows: code and history type only; nothing after the count is read.
      {QEHead(3, 0, 2, 0).UInt(1).UInt(5).UInt(1).Int(25).Bytes(), 1, 0, 0, 10, 3},
      // No series: the parameters follow the head at once.
      {QEHead(3, 5, 7, 0).UInt(1).UInt(5).UInt(1).Int(25).Bytes(), 1, 0, 1, 10, 3},
      {MessageBuilder().UInt(1).TextCode("").UInt(3).Bytes(), 0, 0, 0, 0, 0},  // no code
  };
  for (const auto& row : rows) {
    Decoded d(kt::Frame(21, row.body));
    auto* data = d.As<CKestrelData>();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetHisDataNum(), row.records);
    EXPECT_EQ(data->GetL2OrderQueueNum(), row.queues);
    EXPECT_EQ(data->GetQuoteDataNum(), row.quotes);
    if (row.queues > 0) {
      EXPECT_STREQ(data->GetKestrelL2OrderQueue()[1].GetTernCode(), "600000.SH");
    }
    if (row.records == 0) continue;
    CKestrelHisData& r = data->GetKestrelHisData()[0];
    EXPECT_EQ(r.GetPeriodType(), row.period);
    EXPECT_EQ(r.GetHisType(), row.hisType);
    EXPECT_EQ(r.GetIndexToValue()->GetNum(), 0);
  }
}

}  // namespace
