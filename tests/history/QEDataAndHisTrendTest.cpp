// QE data plus (type 21) and history trend envelopes (type 6), decoded as a
// host receives them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "codec/EnvelopeNesting.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::MessageBuilder;

// A result as a host first looks at it: the lengths of its lists (with the
// first value of the first quote), then its first history record: code,
// period type, history type and each column as id:type:count.
std::string Shape(const Decoded& d) {
  auto* data = d.As<CKestrelData>();
  if (data == nullptr) return "null";
  std::ostringstream s;
  s << "H" << data->GetHisDataNum() << " Q" << data->GetQuoteDataNum();
  if (data->GetQuoteDataNum() > 0) {
    s << "=" << data->GetKestrelQuoteData()->GetIndexToValue()->GetIndexValue()->dValue;
  }
  s << " L" << data->GetL2OrderQueueNum();
  if (data->GetHisDataNum() < 1) return s.str();
  CKestrelHisData& r = *data->GetKestrelHisData();
  s << " " << r.GetTernCode() << " " << r.GetPeriodType() << "/" << r.GetHisType();
  CIndexToValue* v = r.GetIndexToValue();
  for (int k = 0; k < v->GetNum(); ++k) {
    s << " " << v->GetIndexId()[k] << ":" << v->GetValueType()[k] << ":"
      << v->GetOneIndexValueNum()[k];
  }
  return s.str();
}

// A QE data body for 600000.SH up to the series count.
MessageBuilder QEHead(uint32_t hisType, uint32_t rows, uint32_t period, uint32_t series) {
  MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(hisType).UInt(0).UInt(0).UInt(rows).UInt(period).UInt(series);
  return b;
}
// Five series of three rows, one of each kind and one of kind 9, then one
// parameter: id 5 holding 2.5.
Bytes QEBody() {
  MessageBuilder b = QEHead(20, 3, 2, 5);
  b.UInt(3).UInt(0).UInt(2).Int(12345).Int(5).Int(-10);      // doubles, 2 decimals
  b.UInt(1).UInt(2).UInt(0).UInt(20240102).UInt(1).UInt(1);  // dates
  b.UInt(7).UInt(3).UInt(0).Int(1).Int(1).Int(1);            // doubles, no decimals
  b.UInt(480).UInt(4).UInt(0).Sized("a").Sized("").Sized("bc").UInt(9).UInt(9).UInt(0);
  return b.UInt(1).UInt(5).UInt(1).Int(25).Bytes();
}

TEST(QEDataPlus, SeriesQueuesAndEmptyReplies) {
  const Bytes parameter = MessageBuilder().UInt(1).UInt(5).UInt(1).Int(25).Bytes();
  const struct {
    Bytes body;
    const char* shape;
  } rows[] = {
      {QEBody(), "H1 Q1=2.5 L0 600000.SH 2/20 3:13:3 1:12:3 7:13:3 480:21:3 9:0:3"},
      // Two queue series (time stamp 0 each); no parameters are read.
      {QEHead(11, 5, 0, 3).Int(0).Int(0).Raw(parameter).Bytes(), "H0 Q0 L2"},
      // No rows: nothing after the row count is read.
      {QEHead(3, 0, 2, 0).Raw(parameter).Bytes(), "H1 Q0 L0 600000.SH 10/3"},
      {QEHead(3, 5, 7, 0).Raw(parameter).Bytes(), "H1 Q1=2.5 L0 600000.SH 10/3"},
      {MessageBuilder().UInt(1).TextCode("").UInt(3).Bytes(), "H0 Q0 L0"},
  };
  for (const auto& row : rows) EXPECT_EQ(Shape(Decoded(kt::Frame(21, row.body))), row.shape);

  Decoded d(kt::Frame(21, QEBody()));
  const CIndexValue* c =
      d.As<CKestrelData>()->GetKestrelHisData()->GetIndexToValue()->GetIndexValue();
  EXPECT_EQ(std::vector<double>(c[0].pdValue, c[0].pdValue + 3),
            (std::vector<double>{123.45, 123.5, 123.4}));
  EXPECT_EQ(c[1].pnValue[2] + c[2].pdValue[2], 20240104 + 3);
  EXPECT_EQ(std::string(c[3].ppcValue[0]) + "|" + c[3].ppcValue[1] + "|" + c[3].ppcValue[2],
            "a||bc");
}

// A history trend body: the head, a symbols block of 600000.SH with price
// 10.50, then the nested message.
Bytes HisTrendBody(const Bytes& nested, uint32_t presence = 1, uint32_t marker = 1,
                   uint32_t kind = 6) {
  MessageBuilder b;
  b.UInt(presence).Code(60, 0).UInt(0).UInt(marker).UInt(kind);
  return b.UInt(1).Code(60, 0).UInt(1).UInt(3).Int(1050).Raw(nested).Bytes();
}
const Bytes kDayKLine =  // no rows
    kt::Frame(3, MessageBuilder().TextCode("600000.SH").UInt(0).UInt(0).Bytes());

TEST(HisTrend, MergesWhatTheNestedMessageYields) {
  const Bytes login = kt::Frame(  // client type 0, seven numbers 0
      80, MessageBuilder().Sized("u").Raw(Bytes(7, 0x80)).Sized("n").Sized("ip").Bytes());
  Bytes chain = HisTrendBody(kDayKLine);  // nested far deeper than the envelope bound
  for (int i = 0; i < kestrel::kMaxEnvelopeNesting + 3; ++i) {
    chain = HisTrendBody(kt::Frame(6, chain));
  }
  const std::string merged = "H1 Q1=10.5 L0 600000.SH 10/1", alone = "H0 Q1=10.5 L0";
  const struct {
    Bytes body;
    std::string shape;
  } rows[] = {
      {HisTrendBody(kDayKLine), merged},
      {HisTrendBody(kt::Compressed(kDayKLine)), merged},
      {HisTrendBody(kt::Frame(6, HisTrendBody(kDayKLine))), "H1 Q2=10.5 L0 600000.SH 10/1"},
      {HisTrendBody(login), alone},                                          // freed, not merged
      {HisTrendBody(kt::Frame(99, {1, 2})), alone},                          // no decoder
      {HisTrendBody(Bytes(kDayKLine.begin(), kDayKLine.end() - 1)), alone},  // runs past the end
      {HisTrendBody({}), alone},                                             // starts at the end
      {chain, "H0 Q" + std::to_string(kestrel::kMaxEnvelopeNesting + 1) + "=10.5 L0"},
      {HisTrendBody(kDayKLine, 0), "H0 Q0 L0"},
      {HisTrendBody(kDayKLine, 1, 2), "H0 Q0 L0"},  // marker 2
      {HisTrendBody(kDayKLine, 1, 1, 7), "H0 Q0 L0"},
  };
  for (const auto& row : rows) EXPECT_EQ(Shape(Decoded(kt::Frame(6, row.body))), row.shape);
}

// Every cut of each message decodes without fault to a result of its type.
TEST(ServiceAndHistoryReplies, EveryTruncationYieldsAResultOfItsType) {
  MessageBuilder charts, page;
  charts.UInt(7).Sized("T").UInt(1);
  for (int s = 0; s < 9; ++s) charts.UInt(188).Code(60, 0).Int(1234).Int(1200).Int(5000);
  page.UInt(5).UInt(9).UInt(1).UInt(2).UInt(11).UInt(12);  // ranks 11 and 12
  page.Code(60, 0).Sized("1.5").Code(60, 1).Sized("2");
  const struct {
    uint32_t type;
    Bytes body;
  } messages[] = {
      {6, HisTrendBody(kt::Frame(6, HisTrendBody(kDayKLine)))},
      {9, charts.Bytes()},
      {21, QEBody()},
      {34, MessageBuilder().UInt(4).UInt(2).Code(60, 0).TextCode("YTM_019003.SH").Bytes()},
      {40, page.Bytes()},
  };
  for (const auto& [type, body] : messages) {
    kt::ForEachCut(type, body, [type = type](const Decoded& d, size_t cut) {
      EXPECT_EQ(d.Type(), static_cast<int>(type));
      EXPECT_NE(d.Result(), nullptr) << type << "/" << cut;
    });
  }
}

}  // namespace
