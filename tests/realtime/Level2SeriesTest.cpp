// Level-2 deal, deal-revert and order series, and the level-2 transaction
// history message (type 130).
#include <gtest/gtest.h>

#include <vector>

#include "KestrelUtils.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;

// A series of two rows: column k starts at 2147483647 + k and moves by k - 1,
// so 32-bit columns wrap and 64-bit columns keep values past 2^31.
MessageBuilder& Series(MessageBuilder& b, int columns, uint64_t rows = 2) {
  b.UInt(rows);
  for (int k = 0; k < columns; ++k) b.UInt(2147483647u + k).Int(k - 1);
  return b;
}

TEST(Level2Series, EachKindLabelsItsRecordAndDecodesItsColumnsInWireOrder) {
  const struct {
    void (*decode)(char*, CKestrelHisData*, CDecodeCode&);
    int hisType;
    std::vector<int> ids;
  } kinds[] = {
      {KestrelCodeAccess::DecodeL2DealData, 10, {330, 102, 331, 332, 333}},
      {KestrelCodeAccess::DecodeL2DealRevertData,
       12,
       {342, 334, 332, 333, 335, 336, 337, 338, 339, 348}},
      {KestrelCodeAccess::DecodeL2OrdersData, 13, {331, 330, 332, 333, 102, 345}},
  };
  char code[] = "600000.SH";
  for (const auto& kind : kinds) {
    MessageBuilder b;
    kt::Cursor c(Series(b, static_cast<int>(kind.ids.size())).Bytes());
    CKestrelHisData record;
    kind.decode(code, &record, c.code);
    EXPECT_STREQ(record.GetTernCode(), "600000.SH");
    EXPECT_EQ(record.GetPeriodType(), 1);
    EXPECT_EQ(record.GetHisType(), kind.hisType);
    CIndexToValue* v = record.GetIndexToValue();
    ASSERT_EQ(v->GetNum(), static_cast<int>(kind.ids.size()));
    for (int k = 0; k < v->GetNum(); ++k) {
      EXPECT_EQ(v->GetIndexId()[k], kind.ids[k]);
      const int64_t last = 2147483647LL + 2 * k - 1;
      const CIndexValue& column = v->GetIndexValue()[k];
      if (kind.ids[k] == 332) {
        EXPECT_DOUBLE_EQ(column.pdValue[1], last / 1000.0);  // three decimals
      } else if (kind.ids[k] == 102) {
        EXPECT_EQ(column.pnValue[1], static_cast<int32_t>(last));
      } else {
        EXPECT_EQ(column.pllValue[1], last);
      }
    }
    EXPECT_EQ(c.code.Position(), c.code.Length());
  }
}

// Body of a type-130 message: kind, code, four header numbers, the series
// of the kind, the trailer of a deal history.
Bytes History(int kind, uint64_t fourth = 1) {
  MessageBuilder b;
  b.UInt(kind).Code(60, 0).UInt(11).UInt(12).UInt(13).UInt(fourth);
  return Series(b, kind == 2 ? 10 : 5).UInt(42).Int(5000000000LL).Bytes();
}

TEST(Level2History, DealsYieldASeriesAndTheTrailingQuote) {
  kt::Decoded d(kt::Frame(130, History(1)));
  auto* data = d.As<CKestrelData>();
  ASSERT_TRUE(data != nullptr && data->GetHisDataNum() == 1 && data->GetQuoteDataNum() == 1);
  EXPECT_EQ(data->GetKestrelHisData()->GetHisType(), 10);
  EXPECT_STREQ(data->GetKestrelQuoteData()->GetTernCode(), "600000.SH");
  CIndexToValue* v = data->GetKestrelQuoteData()->GetIndexToValue();
  ASSERT_EQ(v->GetNum(), 2);
  EXPECT_EQ(std::vector<int>(v->GetIndexId(), v->GetIndexId() + 2), (std::vector<int>{327, 350}));
  EXPECT_EQ(std::vector<int>(v->GetValueType(), v->GetValueType() + 2), (std::vector<int>{2, 4}));
  EXPECT_EQ(v->GetIndexValue()[0].nValue, 42);
  EXPECT_EQ(v->GetIndexValue()[1].llValue, 5000000000LL);
}

TEST(Level2History, OtherKindsAndEveryTruncation) {
  const std::pair<Bytes, int> cases[] = {
      // body, his type of the one series (0: none); none of them has a quote
      {History(2), 12},                                    // reverted deals
      {History(3), 0},                                     // any other kind has no body
      {History(1, 0), 0},                                  // header announces no series
      {MessageBuilder().UInt(1).TextCode("").Bytes(), 0},  // empty code
  };
  for (const auto& [body, hisType] : cases) {
    kt::Decoded d(kt::Frame(130, body));
    auto* data = d.As<CKestrelData>();
    ASSERT_TRUE(data != nullptr && data->GetQuoteDataNum() == 0);
    ASSERT_EQ(data->GetHisDataNum(), hisType != 0 ? 1 : 0);
    EXPECT_EQ(hisType != 0 ? data->GetKestrelHisData()->GetHisType() : 0, hisType);
  }
  for (const Bytes& body : {History(1), History(2)}) {
    for (size_t n = 0; n < body.size(); ++n) {
      kt::Decoded d(kt::Frame(130, Bytes(body.begin(), body.begin() + n)));
      auto* data = d.As<CKestrelData>();
      ASSERT_TRUE(data != nullptr && data->GetHisDataNum() <= 1 && data->GetQuoteDataNum() <= 1);
    }
  }
}

}  // namespace
