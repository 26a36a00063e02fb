// Real-time quotes: quote updates (64), masked subscription data (24, 25),
// simple indicators (33), and the indicator field decoders they share.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "model/OwnedArray.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::Frame;
using kt::MessageBuilder;

// One entry of a quote: its id, its value type and its value (a text for
// type 11, any number as a double).
struct Entry {
  int id;
  int type;
  double value;
  std::string text = "";
};

CKestrelQuoteData& QuoteAt(const Decoded& d, int i) {
  return d.As<CKestrelData>()->GetKestrelQuoteData()[i];
}

// Checks that quote i of d holds exactly the entries wanted, in order.
void ExpectEntries(const Decoded& d, int i, const std::vector<Entry>& want) {
  CIndexToValue* v = QuoteAt(d, i).GetIndexToValue();
  ASSERT_EQ(v->GetNum(), static_cast<int>(want.size())) << "quote " << i;
  for (int j = 0; j < v->GetNum(); ++j) {
    SCOPED_TRACE(std::to_string(i) + "/" + std::to_string(j));
    const CIndexValue& value = v->GetIndexValue()[j];
    EXPECT_EQ(v->GetIndexId()[j], want[j].id);
    ASSERT_EQ(v->GetValueType()[j], want[j].type);
    switch (want[j].type) {
      case 2:
        EXPECT_EQ(value.nValue, want[j].value);
        break;
      case 3:
        EXPECT_DOUBLE_EQ(value.dValue, want[j].value);
        break;
      case 4:
        EXPECT_EQ(value.llValue, static_cast<int64_t>(want[j].value));
        break;
      default:
        EXPECT_STREQ(value.pcValue, want[j].text.c_str());
    }
  }
}

TEST(QuoteUpdate, SecuritiesOfEveryMarketInTheirTypesAndScales) {
  MessageBuilder b;
  b.UInt(5);
  // A share: time as a packed time, price /100, volume 64-bit.
  b.Code(60, 0).UInt(3).UInt(2).PackedTime(9, 30, 0).UInt(3).UInt(1025).UInt(8).Int(123456789012);
  // Hong Kong: three decimals; 57 is a counted list.
  b.Code(77, 0).UInt(3).UInt(2).PackedTime(10, 0, 5).UInt(3).UInt(350200);
  b.UInt(57).UInt(3).UInt(1).UInt(2).UInt(3);
  // Future: 31 carries two extra places.
  b.TextCode("IF1107.CFE").UInt(3).UInt(2).PackedTime(14, 59, 59).UInt(3).UInt(345678);
  b.UInt(31).UInt(12345);
  // Gold: a stop-bit time; the gold amount 59 times ten.
  b.TextCode("AU9999.SGE").UInt(2).UInt(2).UInt(150000).UInt(59).Int(123);
  // FX: four decimals and a stop-bit time.
  b.TextCode("USDCNY.FX").UInt(3).UInt(2).UInt(235959).UInt(3).UInt(68123).UInt(131);
  Decoded d(Frame(64, b.Sized("USD/CNY").Bytes()));
  ASSERT_EQ(d.Type(), 64);
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(data->GetQuoteDataNum(), 5);
  EXPECT_EQ(data->GetErrorCode(), -1);
  ExpectEntries(d, 0, {{2, 2, 93000}, {3, 3, 10.25}, {8, 4, 123456789012}});
  ExpectEntries(d, 1, {{2, 2, 100005}, {3, 3, 350.2}, {57, 2, 3}});
  ExpectEntries(d, 2, {{2, 2, 145959}, {3, 3, 3456.78}, {31, 4, 123}});
  ExpectEntries(d, 3, {{2, 2, 150000}, {59, 4, 1230}});
  ExpectEntries(d, 4, {{2, 2, 235959}, {3, 3, 6.8123}, {131, 11, 0, "USD/CNY"}});
  EXPECT_STREQ(QuoteAt(d, 2).GetTernCode(), "IF1107.CFE");

  // The Hong Kong list became one series record of indicator 57.
  ASSERT_EQ(data->GetHisDataNum(), 1);
  CKestrelHisData& series = data->GetKestrelHisData()[0];
  EXPECT_STREQ(series.GetTernCode(), "0700.HK");
  EXPECT_EQ(series.GetHisType(), 3);
  EXPECT_EQ(series.GetPeriodType(), 0);
  EXPECT_EQ(series.GetIndIndex(), 57);
  EXPECT_STREQ(series.GetSecurityType(), "HK");
  ASSERT_EQ(series.GetIndexToValue()->GetNum(), 1);
  EXPECT_EQ(series.GetIndexToValue()->GetIndexValue()[0].pnValue[2], 3);
}

TEST(QuoteUpdate, ErrorsAndUnreadableCodes) {
  {  // no securities: an error code
    Decoded d(Frame(64, MessageBuilder().UInt(0).UInt(7).Bytes()));
    ASSERT_NE(d.As<CKestrelData>(), nullptr);
    EXPECT_EQ(d.As<CKestrelData>()->GetErrorCode(), 7);
    EXPECT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 0);
  }
  {  // the second code cannot be read: an empty result
    MessageBuilder b;
    b.UInt(2).Code(60, 0).UInt(1).UInt(3).UInt(1).Raw({0x80});
    Decoded d(Frame(64, b.Bytes()));
    ASSERT_NE(d.As<CKestrelData>(), nullptr);
    EXPECT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 0);
    EXPECT_EQ(d.As<CKestrelData>()->GetErrorCode(), -1);
  }
  {  // a security without indicators: a quote with no entries
    Decoded d(Frame(64, MessageBuilder().UInt(1).Code(60, 0).UInt(0).Bytes()));
    ExpectEntries(d, 0, {});
    EXPECT_EQ(d.As<CKestrelData>()->GetHisDataNum(), 0);
  }
}

// A packed time (ids 2 and 127) cut short with one byte left reads -1, and
// the quote stores that -1 sign-extended, not as a large unsigned number:
// id 2 as the int -1, id 127 through the share's two price decimals.
TEST(QuoteUpdate, PackedTimeCutShortStoresMinusOne) {
  const Entry rows[] = {{2, 2, -1}, {127, 3, -0.01}};
  for (const Entry& row : rows) {
    const int id = row.id;
    SCOPED_TRACE(id);
    MessageBuilder b;
    b.UInt(1).Code(60, 0).UInt(1).UInt(static_cast<uint32_t>(id)).Raw({0x41});
    Decoded d(Frame(64, b.Bytes()));
    ASSERT_NE(d.As<CKestrelData>(), nullptr);
    ASSERT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 1);
    ExpectEntries(d, 0, {row});
  }
}

TEST(QuoteUpdate, SpecialIndicatorsByMarket) {
  MessageBuilder b;
  // 57 of an A share is a plain unsigned number, scaled by the price unit
  // factor like any unlisted id; then two corporate actions (150).
  b.UInt(2).Code(60, 0).UInt(2).UInt(57).UInt(900).UInt(150).UInt(2);
  b.UInt(0).UInt(150000).Sized("!2Y").UInt(366).UInt(100000).Sized("");
  // 58 of a Hong Kong stock is a counted list, stored as its count.
  b.Code(77, 0).UInt(1).UInt(58).UInt(2).UInt(10).UInt(20);
  Decoded d(Frame(64, b.Bytes()));
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  ExpectEntries(d, 0, {{57, 2, 9}, {150, 3, 2}});
  ExpectEntries(d, 1, {{58, 2, 2}});
  ASSERT_EQ(data->GetHisDataNum(), 2);  // 150 of the first, 58 of the second
  CKestrelHisData& actions = data->GetKestrelHisData()[0];
  EXPECT_EQ(actions.GetHisType(), 4);
  CIndexValue* columns = actions.GetIndexToValue()->GetIndexValue();
  EXPECT_EQ(columns[0].pnValue[0], 19900101);
  EXPECT_EQ(columns[0].pnValue[1], 19910102);
  EXPECT_DOUBLE_EQ(columns[1].pdValue[0], 1.5);
  EXPECT_DOUBLE_EQ(columns[1].pdValue[1], 1.0);
  EXPECT_STREQ(columns[2].ppcValue[0], "\303\27710\271\311\305\3112\324\252");
  EXPECT_STREQ(columns[2].ppcValue[1], "");
  EXPECT_EQ(data->GetKestrelHisData()[1].GetIndIndex(), 58);
}

TEST(CorporateActionComments, MarkersExpandAndOtherBytesPass) {
  // Texts in GBK, written in octal escapes so that digits may follow them.
  const struct {
    const char* coded;
    const char* text;
  } rows[] = {
      {"!1.5Y", "\303\27710\271\311\305\3111.5\324\252"},
      {"#3G", "\303\27710\271\311\313\3153\271\311"},
      {"~0.2DT", "\303\27710\267\335\305\3110.2\303\300\324\252(\272\254\313\260)"},
      {"^", "\271\311\270\304\266\324\274\333"},
      {"abc\260\241", "abc\260\241"},
      {"", ""},
  };
  for (const auto& row : rows) {
    char* text = KestrelCodeAccess::DecodeHQAFComment(row.coded);
    EXPECT_STREQ(text, row.text) << row.coded;
    ReleaseArray<kestrel::ResultArrays>(text);
  }
  EXPECT_EQ(KestrelCodeAccess::DecodeHQAFComment(nullptr), nullptr);
  // A comment of markers only expands eightfold without overflowing.
  const std::string many(500, '^');
  char* long_text = KestrelCodeAccess::DecodeHQAFComment(many.c_str());
  EXPECT_EQ(std::strlen(long_text), 4000u);
  ReleaseArray<kestrel::ResultArrays>(long_text);
}

// The masked form of a message: the id list once, then per security a mask.
// Nine ids: masks of two bytes. A0 80 selects the 1st, 3rd and 9th.
Bytes MaskedBody() {
  MessageBuilder b;
  b.UInt(9);
  for (const int id : {3, 4, 57, 6, 7, 10, 11, 12, 151}) b.UInt(id);
  b.UInt(2).Code(60, 0).Raw({0xA0, 0x80}).UInt(3).Int(1025).Int(-700).Int(123456);
  return b.Code(77, 0).Raw({0x20, 0x00}).UInt(1).UInt(2).UInt(5).UInt(6).Bytes();
}

TEST(MaskedSubscription, MasksSelectIdsAndBothTypesAgree) {
  for (const int type : {24, 25}) {
    Decoded d(Frame(static_cast<uint32_t>(type), MaskedBody()));
    ASSERT_EQ(d.Type(), type);
    auto* data = d.As<CKestrelData>();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetQuoteDataNum(), 2);
    // 3 is a price (/100), 57 of an A share a signed scaled value, 151 fixed
    // five decimals; 57 of a Hong Kong stock is a counted list.
    ExpectEntries(d, 0, {{3, 3, 10.25}, {57, 2, -7}, {151, 3, 1.23456}});
    ExpectEntries(d, 1, {{57, 2, 2}});
    ASSERT_EQ(data->GetHisDataNum(), 1);
    EXPECT_EQ(data->GetKestrelHisData()[0].GetIndexToValue()->GetIndexValue()[0].pnValue[1], 6);
  }
  // The mask selects one id but the block claims three values: one is read.
  MessageBuilder b;
  b.UInt(2).UInt(3).UInt(4).UInt(1).Code(60, 0).Raw({0x80}).UInt(3).Int(1025).Int(5).Int(6);
  Decoded d(Frame(24, b.Bytes()));
  ASSERT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 1);
  ExpectEntries(d, 0, {{3, 3, 10.25}});
}

TEST(SimpleIndicators, SignedValuesTextsAndNoSecurities) {
  {
    Decoded d(Frame(33, MessageBuilder().UInt(0).Bytes()));
    EXPECT_EQ(d.Result(), nullptr);
    EXPECT_EQ(d.Type(), 33);
  }
  MessageBuilder b;  // id 2 is signed here, not a packed time
  b.UInt(1).Code(60, 0).UInt(3).UInt(2).Int(-5).UInt(131).Sized("PFB").UInt(3).Int(1025);
  Decoded d(Frame(33, b.Bytes()));
  ASSERT_NE(d.As<CKestrelData>(), nullptr);
  ExpectEntries(d, 0, {{2, 2, -5}, {131, 11, 0, "PFB"}, {3, 3, 10.25}});
}

// A block with the level-2 indicators in the order 93, 91, 89, 155, 90:
// empty series (row count 0) followed by their trailing numbers, a one-level
// order queue image and one market event.
Bytes Level2Body() {
  MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(5);
  b.UInt(93).UInt(0).UInt(29);                     // no orders, then 329's number
  b.UInt(91).UInt(93000).UInt(1).UInt(1).UInt(1);  // queue: stamp, side, status, one level
  b.UInt(10250).UInt(1).UInt(1).UInt(100);         // of one order
  b.UInt(89).UInt(0).UInt(28);                     // no reverts, then 328's number
  b.UInt(155).UInt(1).UInt(1).UInt(2).UInt(3).UInt(4).Sized("600000.SH").UInt(0).Sized("halt");
  return b.UInt(90).UInt(0).UInt(27).Int(1LL << 40).Bytes();  // no deals, 327's and 350's
}

TEST(QuoteUpdate, Level2BlocksAppendTheirRecordsAndTrailingNumbers) {
  Decoded d(Frame(64, Level2Body()));
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  // Five entries, then 327, 350, 328 and 329 in that order.
  const std::vector<Entry> entries = {
      {93, 3, 29},  {91, 2, 91},         {89, 3, 28},  {155, 2, 0},  {90, 3, 27},
      {327, 2, 27}, {350, 4, 1LL << 40}, {328, 2, 28}, {329, 2, 29},
  };
  ExpectEntries(d, 0, entries);
  // Series of 90, 89 and 93 in that order; the queue and the event.
  ASSERT_EQ(data->GetHisDataNum(), 3);
  EXPECT_EQ(data->GetKestrelHisData()[0].GetHisType(), 10);
  EXPECT_EQ(data->GetKestrelHisData()[1].GetHisType(), 12);
  EXPECT_EQ(data->GetKestrelHisData()[2].GetHisType(), 13);
  EXPECT_EQ(data->GetKestrelHisData()[2].GetIndIndex(), 93);
  ASSERT_EQ(data->GetL2OrderQueueNum(), 1);
  EXPECT_EQ(data->GetKestrelL2OrderQueue()[0].GetL2OrderQueuePriceLevelNum(), 1);
  ASSERT_EQ(data->GetMarketEventListLen(), 1);
  EXPECT_STREQ(data->GetMarketEventList()[0].EventText, "halt");
}

// Every cut of each message decodes without fault to a result of its type,
// never null, that holds no more securities than the whole message.
TEST(RealtimeMessages, EveryTruncationIsSafe) {
  MessageBuilder b;
  b.UInt(2).Code(60, 0).UInt(3).UInt(2).PackedTime(9, 30, 0).UInt(3).UInt(1025);
  b.UInt(150).UInt(1).UInt(5).UInt(100).Sized("!1Y");
  b.Code(77, 0).UInt(1).UInt(57).UInt(2).UInt(1).UInt(2);
  const std::pair<uint32_t, Bytes> messages[] = {
      {64, b.Bytes()}, {25, MaskedBody()}, {64, Level2Body()}};
  for (const auto& [type, body] : messages) {
    const Decoded whole(kt::Frame(type, body));
    ASSERT_NE(whole.As<CKestrelData>(), nullptr);
    const int securities = whole.As<CKestrelData>()->GetQuoteDataNum();
    kt::ForEachCut(type, body, [type = type, securities](const Decoded& d, size_t n) {
      EXPECT_EQ(d.Type(), static_cast<int>(type));
      ASSERT_NE(d.Result(), nullptr) << type << "/" << n;
      EXPECT_LE(d.As<CKestrelData>()->GetQuoteDataNum(), securities) << type << "/" << n;
    });
  }
}

}  // namespace
