// Level-2 decoders: order queues (full images, updates and the series form),
// deal, deal-revert and order series, the level-2 transaction history
// message (type 130), market events (indicator 155) and parameter lists.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "KestrelUtils.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;
using Access = KestrelCodeAccess;

char kCode[] = "600000.SH";

using Item = std::tuple<int, int, int>;                         // operator, position, volume
using Level = std::tuple<int, double, int, std::vector<Item>>;  // operator, price, orders, items
using QueueDecoder = void (*)(char*, CKestrelL2OrderQueue*, CDecodeCode&);

// The levels of a queue decoded from bytes, of which it must leave `unread`.
std::vector<Level> Decode(QueueDecoder decode, const Bytes& bytes, int unread = 0) {
  kt::Cursor c(bytes);
  CKestrelL2OrderQueue queue;
  decode(kCode, &queue, c.code);
  EXPECT_STREQ(queue.GetTernCode(), "600000.SH");
  EXPECT_EQ(c.code.Position(), c.code.Length() - unread);
  std::vector<Level> levels;
  for (int i = 0; i < queue.GetL2OrderQueuePriceLevelNum(); ++i) {
    CL2OrderQueuePriceLevel& level = queue.GetL2OrderQueuePriceLevel()[i];
    std::vector<Item> items;
    for (int k = 0; k < level.GetL2OrderQueueItemNum(); ++k) {
      const CL2OrderQueueItem& item = level.GetL2OrderQueueItem()[k];
      items.emplace_back(item.Operator, item.Position, item.Volume);
    }
    levels.emplace_back(level.GetPriceLevelOperator(), level.GetPrice()->GetIndexValue()[0].dValue,
                        level.GetNumOfOrders(), items);
  }
  return levels;
}

// A full image: stamp, side, status 1, one level (price, orders, volumes).
Bytes FullImage() {
  MessageBuilder b;
  b.UInt(93000).UInt(1).UInt(1).UInt(1);
  return b.UInt(10250).UInt(3).UInt(3).UInt(100).UInt(200).UInt(300).Bytes();
}

// An update: stamp, side, status 2, five levels, one per level operator.
Bytes Update() {
  MessageBuilder b;
  b.UInt(1).UInt(2).UInt(2).UInt(5);
  b.UInt(1).UInt(10000).UInt(3).UInt(3).UInt(500).Int(20).Int(-70);  // running volumes
  b.UInt(2).UInt(10010).UInt(3).UInt(3);                             // per-item operators
  b.UInt(1).UInt(40).UInt(3).UInt(2).UInt(2).UInt(5).UInt(60);
  b.UInt(3).UInt(10020).UInt(2).UInt(2).UInt(4).Int(3);  // running positions
  b.UInt(9).UInt(10030).UInt(1).UInt(2);                 // unknown: no items on the wire
  return b.UInt(1).UInt(10040).UInt(1).UInt(1).UInt(7).Bytes();
}

// Series form: stamp, side, status, three skipped numbers, level count.
MessageBuilder SeriesHead(int64_t stamp, int64_t status, int64_t levels) {
  MessageBuilder b;
  return std::move(b.Int(stamp).Int(1).Int(status).UInt(0).UInt(0).UInt(0).Int(levels));
}

// A series-form full image of one level; later volumes are in hundreds.
Bytes SeriesImage() {
  MessageBuilder b = SeriesHead(20230715, 1, 1);
  return b.Int(10250).Int(4).UInt(3).UInt(9).UInt(9).UInt(9).Int(7).Int(3).Int(4).Bytes();
}

TEST(OrderQueue, ImagesAndUpdateOperators) {
  EXPECT_EQ(Decode(Access::DecodeL2OrderQueueData, FullImage()),
            (std::vector<Level>{{0, 10.25, 3, {{0, 0, 100}, {0, 0, 200}, {0, 0, 300}}}}));
  EXPECT_EQ(Decode(Access::DecodeL2OrderQueueData, Update()),
            (std::vector<Level>{{1, 10.0, 3, {{0, 0, 500}, {0, 0, 520}, {0, 0, 450}}},
                                {2, 10.01, 3, {{1, 0, 40}, {3, 2, 0}, {2, 5, 60}}},
                                {3, 10.02, 2, {{0, 4, 0}, {0, 7, 0}}},
                                {9, 10.03, 1, {{0, 0, 0}, {0, 0, 0}}},
                                {1, 10.04, 1, {{0, 0, 7}}}}));
  EXPECT_EQ(Decode(Access::DecodeL2OrderQueueSeries, SeriesImage()),
            (std::vector<Level>{{0, 10.25, 4, {{0, 0, 7}, {0, 0, 300}, {0, 0, 400}}}}));
  // A stamp of 0 ends the queue at once; an update has its levels made, not read.
  EXPECT_EQ(Decode(Access::DecodeL2OrderQueueSeries, MessageBuilder().Int(0).Bytes()),
            std::vector<Level>{});
  EXPECT_EQ(
      Decode(Access::DecodeL2OrderQueueSeries, SeriesHead(5, 2, 1).UInt(1).UInt(2).Bytes(), 2),
      (std::vector<Level>{{0, 0.011, 0, {}}}));
  // An update announcing three levels with nothing behind them still has its
  // three levels: they take no bytes in this form.
  EXPECT_EQ(Decode(Access::DecodeL2OrderQueueSeries, SeriesHead(5, 2, 3).Bytes()),
            (std::vector<Level>(3, Level{0, 0.011, 0, {}})));
}

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
      {Access::DecodeL2DealData, 10, {330, 102, 331, 332, 333}},
      {Access::DecodeL2DealRevertData, 12, {342, 334, 332, 333, 335, 336, 337, 338, 339, 348}},
      {Access::DecodeL2OrdersData, 13, {331, 330, 332, 333, 102, 345}},
  };
  for (const auto& kind : kinds) {
    MessageBuilder b;
    kt::Cursor c(Series(b, static_cast<int>(kind.ids.size())).Bytes());
    CKestrelHisData record;
    kind.decode(kCode, &record, c.code);
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
    kt::ForEachCut(130, body, [](const kt::Decoded& d, size_t) {
      auto* data = d.As<CKestrelData>();
      ASSERT_TRUE(data != nullptr && data->GetHisDataNum() <= 1 && data->GetQuoteDataNum() <= 1);
    });
  }
}

// One event: four numbers, code, fields (id, raw value), closing text.
MessageBuilder& Event(MessageBuilder& b, const std::string& code,
                      std::initializer_list<std::pair<int, int64_t>> fields,
                      const std::string& text) {
  b.UInt(1).UInt(2).UInt(3).UInt(4).Sized(code).UInt(fields.size());
  for (const auto& [id, raw] : fields) b.UInt(id).Int(raw);
  return b.Sized(text);
}

// Four events: security factor 2 (id 8 has no decimals), factor 3, no
// fields, texts longer than their fields.
Bytes Events() {
  MessageBuilder b;
  Event(b.UInt(4), "600000.SH", {{3, 1234}, {8, 1234}}, "halt");
  Event(b, "0700.HK", {{3, 1234}}, "resume");
  Event(b, "000001.SZ", {}, "no fields");
  return Event(b, std::string(60, 'C'), {{3, 1}}, std::string(50, 'T')).Bytes();
}

// Parameters (id, decimals, raw): 12.34; decimals GetFloat refuses; a 64-bit id.
Bytes Parameters() {
  MessageBuilder b;
  b.UInt(3).UInt(3).UInt(2).Int(1234).UInt(3).UInt(7).Int(1234);
  return b.UInt(59).UInt(1).Int(-1234).Bytes();
}

TEST(MarketEvents, FieldsScaleByTheEventsSecurityAndTextsAreCutToTheirFields) {
  kt::Cursor c(Events());
  CKestrelData data;
  Access::DecodeMarketEventData(&data, c.code);
  EXPECT_EQ(c.code.Position(), c.code.Length());
  ASSERT_EQ(data.GetMarketEventListLen(), 4);
  CKestrelMarketEventData* e = data.GetMarketEventList();
  EXPECT_EQ(e[0].EventInfo[3], 4);
  EXPECT_STREQ(e[0].TernCode, "600000.SH");
  ASSERT_EQ(e[0].FieldItemNum, 2);
  EXPECT_EQ(e[0].FieldItem[0].IndIndex, 3);
  EXPECT_DOUBLE_EQ(e[0].FieldItem[0].Value, 12.34);
  EXPECT_DOUBLE_EQ(e[0].FieldItem[1].Value, 1234);
  EXPECT_DOUBLE_EQ(e[1].FieldItem[0].Value, 1.234);
  EXPECT_EQ(e[2].FieldItemNum, 0);
  EXPECT_EQ(e[2].FieldItem, nullptr);
  EXPECT_STREQ(e[2].EventText, "no fields");
  EXPECT_EQ(std::string(e[3].TernCode), std::string(47, 'C'));
  EXPECT_EQ(std::string(e[3].EventText), std::string(39, 'T'));
}

TEST(Parameters, DecimalsComeFromTheWire) {
  kt::Cursor c(MessageBuilder().Raw(Parameters()).UInt(0).Bytes());
  CKestrelData data;
  Access::DecodeParameters(&data, kCode, c.code);
  Access::DecodeParameters(&data, kCode, c.code);  // a count of 0 changes nothing
  ASSERT_EQ(data.GetQuoteDataNum(), 1);
  EXPECT_STREQ(data.GetKestrelQuoteData()->GetTernCode(), "600000.SH");
  CIndexToValue* v = data.GetKestrelQuoteData()->GetIndexToValue();
  ASSERT_EQ(v->GetNum(), 3);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[0].dValue, 12.34);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[1].dValue, 0.0);
  EXPECT_EQ(v->GetValueType()[2], 4);
  EXPECT_EQ(v->GetIndexValue()[2].llValue, -123);
}

// Every cut of the queue, event and parameter bytes, and forged counts:
// no read outside the bytes and no list longer than the bytes.
TEST(Level2Decoders, EveryTruncationAndForgedCountStaysWithinTheMessage) {
  const auto data = Access::DecodeL2OrderQueueData;
  const auto series = Access::DecodeL2OrderQueueSeries;
  const std::pair<QueueDecoder, Bytes> queues[] = {
      {data, FullImage()},
      {data, Update()},
      {data, MessageBuilder().UInt(1).UInt(1).UInt(7).UInt(0x7fffffff).Int(1).Bytes()},
      {series, SeriesImage()},
      {series, SeriesHead(1, 1, 0x7fffffff).UInt(1).UInt(2).Bytes()},
  };
  for (const auto& [decode, bytes] : queues) {
    kt::ForEachPrefix(bytes, [decode = decode](CDecodeCode& code, int n) {
      CKestrelL2OrderQueue queue;
      decode(kCode, &queue, code);
      int64_t held = int64_t{queue.GetL2OrderQueuePriceLevelNum()} * sizeof(CL2OrderQueuePriceLevel);
      for (int i = 0; i < queue.GetL2OrderQueuePriceLevelNum(); ++i) {
        held += int64_t{queue.GetL2OrderQueuePriceLevel()[i].GetL2OrderQueueItemNum()} *
                sizeof(CL2OrderQueueItem);
      }
      EXPECT_LE(held, kt::CountBudget(n, 0));
    });
  }
  const Bytes forged = MessageBuilder().UInt(0x7fffffff).UInt(1).UInt(2).UInt(3).Bytes();
  for (const Bytes& bytes : {Events(), Parameters(), forged}) {
    kt::ForEachPrefix(bytes, [](CDecodeCode& code, int n) {
      CKestrelData events, parameters;
      Access::DecodeMarketEventData(&events, code);
      int64_t held = int64_t{events.GetMarketEventListLen()} * sizeof(CKestrelMarketEventData);
      for (int i = 0; i < events.GetMarketEventListLen(); ++i) {
        held += int64_t{events.GetMarketEventList()[i].FieldItemNum} * sizeof(CMarketEventFieldItem);
      }
      EXPECT_LE(held, kt::CountBudget(n, 0));
      code.Frame(0, n);
      Access::DecodeParameters(&parameters, kCode, code);
      const int count = parameters.GetQuoteDataNum() == 1
                            ? parameters.GetKestrelQuoteData()->GetIndexToValue()->GetNum()
                            : 0;
      EXPECT_LE(count * int64_t{sizeof(CIndexValue)}, kt::CountBudget(n, 0));
    });
  }
}

}  // namespace
