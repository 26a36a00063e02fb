// The engine that runs a column layout over a series.
#include <gtest/gtest.h>

#include <vector>

#include "KestrelUtils.h"
#include "codec/DecodeCode.h"
#include "decode/history/ColumnLayout.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;
using kt::MessageBuilder;

// A deal-like series: 64-bit time, 32-bit delta column, prices with three
// fixed decimals.
constexpr ColumnSpec kDeals[] = {
    {ColumnCodec::kInt64U32, {330}},
    {ColumnCodec::kIntDelta, {102}},
    {ColumnCodec::kDoubleU32, {332}, 1, 1, 3},
};

struct Series {
  explicit Series(const kt::Bytes& bytes)
      : storage(bytes.begin(), bytes.end()), code(storage.data()) {
    code.Frame(0, static_cast<int>(storage.size()));
  }
  std::vector<char> storage;
  CDecodeCode code;
  CKestrelHisData record;
};

TEST(ColumnLayout, DecodesColumnsInWireOrder) {
  Series s(MessageBuilder()
               .UInt(4000000000u)
               .Int(1)  // 330: rises past 2^31 and keeps it
               .UInt(5)
               .Int(-7)  // 102
               .UInt(10250)
               .Int(-250)  // 332: three decimals
               .Bytes());
  EXPECT_EQ(KestrelCodeAccess::DecodeColumnLayout(&s.record, kDeals, 2, 2, s.code), 2);
  CIndexToValue* v = s.record.GetIndexToValue();
  ASSERT_EQ(v->GetNum(), 3);
  EXPECT_EQ(v->GetIndexId()[0], 330);
  EXPECT_EQ(v->GetIndexValue()[0].pllValue[1], 4000000001LL);
  EXPECT_EQ(v->GetIndexValue()[1].pnValue[1], -2);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[2].pdValue[0], 10.25);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[2].pdValue[1], 10.0);
  EXPECT_EQ(s.code.Position(), s.code.Length());
}

TEST(ColumnLayout, RefusesWhatItCannotDecodeSafely) {
  {  // a forged row count is cut to the bytes the message holds
    Series s(MessageBuilder().UInt(1).UInt(2).UInt(3).Bytes());
    const int rows =
        KestrelCodeAccess::DecodeColumnLayout(&s.record, kDeals, 2000000000, 2, s.code);
    EXPECT_LE(rows, 3);
    EXPECT_EQ(s.record.GetIndexToValue()->GetOneIndexValueNum()[0], rows);
  }
  {  // a codec whose element type differs from its column's type reads nothing
    constexpr ColumnSpec kWrong[] = {{ColumnCodec::kDoubleU32, {102}}};
    Series s(MessageBuilder().UInt(1).Bytes());
    EXPECT_EQ(KestrelCodeAccess::DecodeColumnLayout(&s.record, kWrong, 1, 2, s.code), 0);
    EXPECT_EQ(s.code.Position(), 0);
  }
  {  // no rows: nothing declared, nothing read
    Series s(MessageBuilder().UInt(1).Bytes());
    EXPECT_EQ(KestrelCodeAccess::DecodeColumnLayout(&s.record, kDeals, 0, 2, s.code), 0);
    EXPECT_EQ(s.record.GetIndexToValue()->GetNum(), 0);
  }
}

}  // namespace
