// Real-time quotes: quote updates (64), masked subscription data (24, 25),
// simple indicators (33), and the indicator field decoders they share.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::Frame;
using kt::MessageBuilder;

// The value of one quote entry, read by its type.
struct Entry {
  int id;
  int type;
  double value;  // ints and doubles
  int64_t wide;  // 64-bit ints
  std::string text;
};

Entry EntryAt(CKestrelQuoteData& quote, int j) {
  CIndexToValue* v = quote.GetIndexToValue();
  Entry e{v->GetIndexId()[j], v->GetValueType()[j], 0, 0, ""};
  const CIndexValue& value = v->GetIndexValue()[j];
  switch (e.type) {
    case 2:
      e.value = value.nValue;
      break;
    case 3:
      e.value = value.dValue;
      break;
    case 4:
      e.wide = value.llValue;
      break;
    case 11:
      e.text = value.pcValue ? value.pcValue : "(null)";
      break;
    default:
      break;
  }
  return e;
}

CKestrelQuoteData& QuoteAt(const Decoded& d, int i) {
  return d.As<CKestrelData>()->GetKestrelQuoteData()[i];
}

TEST(QuoteUpdate, SecuritiesOfEveryMarketInTheirTypesAndScales) {
  const Bytes body = MessageBuilder()
                         .UInt(5)
                         // A share: time as a packed time, price /100, volume 64-bit.
                         .Code(60, 0)
                         .UInt(3)
                         .UInt(2)
                         .PackedTime(9, 30, 0)
                         .UInt(3)
                         .UInt(1025)
                         .UInt(8)
                         .Int(123456789012LL)
                         // Hong Kong: three decimals; 57 is a counted list.
                         .Code(77, 0)
                         .UInt(3)
                         .UInt(2)
                         .PackedTime(10, 0, 5)
                         .UInt(3)
                         .UInt(350200)
                         .UInt(57)
                         .UInt(3)
                         .UInt(1)
                         .UInt(2)
                         .UInt(3)
                         // Future: 31 carries two extra places.
                         .TextCode("IF1107.CFE")
                         .UInt(3)
                         .UInt(2)
                         .PackedTime(14, 59, 59)
                         .UInt(3)
                         .UInt(345678)
                         .UInt(31)
                         .UInt(12345)
                         // Gold: a stop-bit time; the gold amount 59 times ten.
                         .TextCode("AU9999.SGE")
                         .UInt(2)
                         .UInt(2)
                         .UInt(150000)
                         .UInt(59)
                         .Int(123)
                         // FX: four decimals and a stop-bit time.
                         .TextCode("USDCNY.FX")
                         .UInt(3)
                         .UInt(2)
                         .UInt(235959)
                         .UInt(3)
                         .UInt(68123)
                         .UInt(131)
                         .Sized("USD/CNY")
                         .Bytes();
  Decoded d(Frame(64, body));
  ASSERT_EQ(d.Type(), 64);
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(data->GetQuoteDataNum(), 5);
  EXPECT_EQ(data->GetErrorCode(), -1);

  struct Expected {
    int quote;
    int entry;
    int id;
    int type;
    double value;
    int64_t wide;
  };
  const Expected rows[] = {
      {0, 0, 2, 2, 93000, 0},  {0, 1, 3, 3, 10.25, 0},   {0, 2, 8, 4, 0, 123456789012LL},
      {1, 0, 2, 2, 100005, 0}, {1, 1, 3, 3, 350.2, 0},   {1, 2, 57, 2, 3, 0},
      {2, 0, 2, 2, 145959, 0}, {2, 1, 3, 3, 3456.78, 0}, {2, 2, 31, 4, 0, 123},
      {3, 0, 2, 2, 150000, 0}, {3, 1, 59, 4, 0, 1230},   {4, 0, 2, 2, 235959, 0},
      {4, 1, 3, 3, 6.8123, 0},
  };
  for (const Expected& row : rows) {
    SCOPED_TRACE(std::to_string(row.quote) + "/" + std::to_string(row.entry));
    const Entry e = EntryAt(QuoteAt(d, row.quote), row.entry);
    EXPECT_EQ(e.id, row.id);
    EXPECT_EQ(e.type, row.type);
    EXPECT_DOUBLE_EQ(e.value, row.value);
    EXPECT_EQ(e.wide, row.wide);
  }
  EXPECT_STREQ(QuoteAt(d, 2).GetTernCode(), "IF1107.CFE");
  EXPECT_EQ(EntryAt(QuoteAt(d, 4), 2).text, "USD/CNY");
  EXPECT_EQ(EntryAt(QuoteAt(d, 4), 2).type, 11);

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
    Decoded d(Frame(
        64, MessageBuilder().UInt(2).Code(60, 0).UInt(1).UInt(3).UInt(1).Raw({0x80}).Bytes()));
    ASSERT_NE(d.As<CKestrelData>(), nullptr);
    EXPECT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 0);
    EXPECT_EQ(d.As<CKestrelData>()->GetErrorCode(), -1);
  }
  {  // a security without indicators: a quote with no entries
    Decoded d(Frame(64, MessageBuilder().UInt(1).Code(60, 0).UInt(0).Bytes()));
    EXPECT_EQ(QuoteAt(d, 0).GetIndexToValue()->GetNum(), 0);
    EXPECT_EQ(d.As<CKestrelData>()->GetHisDataNum(), 0);
  }
}

TEST(QuoteUpdate, SpecialIndicatorsByMarket) {
  const Bytes body = MessageBuilder()
                         .UInt(2)
                         // 57 of an A share is a plain unsigned number, scaled
                         // by the price unit factor like any unlisted id.
                         .Code(60, 0)
                         .UInt(2)
                         .UInt(57)
                         .UInt(900)
                         .UInt(150)
                         .UInt(2)  // two corporate actions
                         .UInt(0)
                         .UInt(150000)
                         .Sized("!2Y")
                         .UInt(366)
                         .UInt(100000)
                         .Sized("")
                         // 58 of a Hong Kong stock is a counted list, stored as a double count.
                         .Code(77, 0)
                         .UInt(1)
                         .UInt(58)
                         .UInt(2)
                         .UInt(10)
                         .UInt(20)
                         .Bytes();
  Decoded d(Frame(64, body));
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(EntryAt(QuoteAt(d, 0), 0).value, 9);
  EXPECT_EQ(EntryAt(QuoteAt(d, 0), 1).value, 2.0);  // the count of actions
  EXPECT_EQ(EntryAt(QuoteAt(d, 1), 0).value, 2.0);
  ASSERT_EQ(data->GetHisDataNum(), 2);  // 150 of the first, 58 of the second
  CKestrelHisData& actions = data->GetKestrelHisData()[0];
  EXPECT_EQ(actions.GetHisType(), 4);
  CIndexValue* columns = actions.GetIndexToValue()->GetIndexValue();
  EXPECT_EQ(columns[0].pnValue[0], 19900101);
  EXPECT_EQ(columns[0].pnValue[1], 19910102);
  EXPECT_DOUBLE_EQ(columns[1].pdValue[0], 1.5);
  EXPECT_DOUBLE_EQ(columns[1].pdValue[1], 1.0);
  EXPECT_STREQ(columns[2].ppcValue[0],
               "\xC3\xBF"
               "10"
               "\xB9\xC9\xC5\xC9"
               "2"
               "\xD4\xAA");
  EXPECT_STREQ(columns[2].ppcValue[1], "");
  EXPECT_EQ(data->GetKestrelHisData()[1].GetIndIndex(), 58);
}

TEST(CorporateActionComments, MarkersExpandAndOtherBytesPass) {
  const struct {
    const char* coded;
    const char* text;
  } rows[] = {
      {"!1.5Y",
       "\xC3\xBF"
       "10"
       "\xB9\xC9\xC5\xC9"
       "1.5\xD4\xAA"},
      {"#3G",
       "\xC3\xBF"
       "10"
       "\xB9\xC9\xCB\xCD"
       "3\xB9\xC9"},
      {"~0.2DT",
       "\xC3\xBF"
       "10"
       "\xB7\xDD\xC5\xC9"
       "0.2\xC3\xC0\xD4\xAA(\xBA\xAC\xCB\xB0)"},
      {"^", "\xB9\xC9\xB8\xC4\xB6\xD4\xBC\xDB"},
      {"abc\xB0\xA1", "abc\xB0\xA1"},
      {"", ""},
  };
  for (const auto& row : rows) {
    char* text = KestrelCodeAccess::DecodeHQAFComment(row.coded);
    EXPECT_STREQ(text, row.text) << row.coded;
    delete[] text;
  }
  EXPECT_EQ(KestrelCodeAccess::DecodeHQAFComment(nullptr), nullptr);
  // A comment of markers only expands eightfold without overflowing.
  const std::string many(500, '^');
  char* long_text = KestrelCodeAccess::DecodeHQAFComment(many.c_str());
  EXPECT_EQ(std::strlen(long_text), 4000u);
  delete[] long_text;
}

// The masked form of a message: the id list once, then per security a mask.
Bytes MaskedBody() {
  // Nine ids: masks of two bytes. A0 80 selects the 1st, 3rd and 9th.
  MessageBuilder b;
  b.UInt(9);
  for (const int id : {3, 4, 57, 6, 7, 10, 11, 12, 151}) b.UInt(id);
  return b.UInt(2)
      .Code(60, 0)
      .Raw({0xA0, 0x80})
      .UInt(3)
      .Int(1025)
      .Int(-700)
      .Int(123456)
      .Code(77, 0)
      .Raw({0x20, 0x00})
      .UInt(1)
      .UInt(2)
      .UInt(5)
      .UInt(6)
      .Bytes();
}

TEST(MaskedSubscription, MasksSelectIdsAndBothTypesAgree) {
  for (const int type : {24, 25}) {
    Decoded d(Frame(static_cast<uint32_t>(type), MaskedBody()));
    ASSERT_EQ(d.Type(), type);
    auto* data = d.As<CKestrelData>();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetQuoteDataNum(), 2);
    // 3 is a price (/100), 57 of an A share a signed scaled value, 151 fixed five decimals.
    EXPECT_EQ(EntryAt(QuoteAt(d, 0), 0).id, 3);
    EXPECT_DOUBLE_EQ(EntryAt(QuoteAt(d, 0), 0).value, 10.25);
    EXPECT_EQ(EntryAt(QuoteAt(d, 0), 1).id, 57);
    EXPECT_EQ(EntryAt(QuoteAt(d, 0), 1).value, -7);
    EXPECT_EQ(EntryAt(QuoteAt(d, 0), 2).id, 151);
    EXPECT_DOUBLE_EQ(EntryAt(QuoteAt(d, 0), 2).value, 1.23456);
    // 57 of a Hong Kong stock is a counted list: a series record.
    EXPECT_EQ(EntryAt(QuoteAt(d, 1), 0).id, 57);
    EXPECT_EQ(EntryAt(QuoteAt(d, 1), 0).value, 2);
    ASSERT_EQ(data->GetHisDataNum(), 1);
    EXPECT_EQ(data->GetKestrelHisData()[0].GetIndexToValue()->GetIndexValue()[0].pnValue[1], 6);
  }
}

TEST(MaskedSubscription, MoreValuesThanTheMaskSelects) {
  // The mask selects one id but the block claims three values: one is read.
  const Bytes body = MessageBuilder()
                         .UInt(2)
                         .UInt(3)
                         .UInt(4)
                         .UInt(1)
                         .Code(60, 0)
                         .Raw({0x80})
                         .UInt(3)
                         .Int(1025)
                         .Int(5)
                         .Int(6)
                         .Bytes();
  Decoded d(Frame(24, body));
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(data->GetQuoteDataNum(), 1);
  EXPECT_EQ(QuoteAt(d, 0).GetIndexToValue()->GetNum(), 1);
}

TEST(SimpleIndicators, SignedValuesTextsAndNoSecurities) {
  {
    Decoded d(Frame(33, MessageBuilder().UInt(0).Bytes()));
    EXPECT_EQ(d.Result(), nullptr);
    EXPECT_EQ(d.Type(), 33);
  }
  Decoded d(Frame(33, MessageBuilder()
                          .UInt(1)
                          .Code(60, 0)
                          .UInt(3)
                          .UInt(2)
                          .Int(-5)  // signed, no packed time here
                          .UInt(131)
                          .Sized("PFB")
                          .UInt(3)
                          .Int(1025)
                          .Bytes()));
  ASSERT_NE(d.As<CKestrelData>(), nullptr);
  EXPECT_EQ(EntryAt(QuoteAt(d, 0), 0).value, -5);
  EXPECT_EQ(EntryAt(QuoteAt(d, 0), 1).text, "PFB");
  EXPECT_DOUBLE_EQ(EntryAt(QuoteAt(d, 0), 2).value, 10.25);
}

// Every cut of each message decodes without fault.
TEST(RealtimeMessages, EveryTruncationIsSafe) {
  const Bytes bodies[] = {
      MessageBuilder()
          .UInt(2)
          .Code(60, 0)
          .UInt(3)
          .UInt(2)
          .PackedTime(9, 30, 0)
          .UInt(3)
          .UInt(1025)
          .UInt(150)
          .UInt(1)
          .UInt(5)
          .UInt(100)
          .Sized("!1Y")
          .Code(77, 0)
          .UInt(1)
          .UInt(57)
          .UInt(2)
          .UInt(1)
          .UInt(2)
          .Bytes(),
      MaskedBody(),
  };
  const uint32_t types[] = {64, 25};
  for (size_t m = 0; m < std::size(bodies); ++m) {
    for (size_t cut = 0; cut <= bodies[m].size(); ++cut) {
      Decoded d(
          Frame(types[m], Bytes(bodies[m].begin(), bodies[m].begin() + static_cast<long>(cut))));
      EXPECT_EQ(d.Type(), static_cast<int>(types[m]));
    }
  }
}

}  // namespace

namespace {

// A block with the level-2 indicators in the order 93, 91, 89, 155, 90:
// empty series (row count 0) followed by their trailing numbers, a one-level
// order queue image and one market event.
TEST(QuoteUpdate, Level2BlocksAppendTheirRecordsAndTrailingNumbers) {
  const Bytes body = MessageBuilder()
                         .UInt(1)
                         .Code(60, 0)
                         .UInt(5)
                         .UInt(93)
                         .UInt(0)
                         .UInt(29)  // orders, then 329's number
                         .UInt(91)
                         .UInt(93000)
                         .UInt(1)
                         .UInt(1)
                         .UInt(1)
                         .UInt(10250)
                         .UInt(1)
                         .UInt(1)
                         .UInt(100)  // queue: one level, one order
                         .UInt(89)
                         .UInt(0)
                         .UInt(28)  // reverts, then 328's number
                         .UInt(155)
                         .UInt(1)  // one event without fields
                         .UInt(1)
                         .UInt(2)
                         .UInt(3)
                         .UInt(4)
                         .Sized("600000.SH")
                         .UInt(0)
                         .Sized("halt")
                         .UInt(90)
                         .UInt(0)
                         .UInt(27)
                         .Int(1LL << 40)  // deals, then 327 and 350
                         .Bytes();
  Decoded d(Frame(64, body));
  auto* data = d.As<CKestrelData>();
  ASSERT_NE(data, nullptr);
  CKestrelQuoteData& quote = QuoteAt(d, 0);
  // Five entries, then 327, 350, 328 and 329 in that order.
  ASSERT_EQ(quote.GetIndexToValue()->GetNum(), 9);
  const struct {
    int id;
    int type;
    double value;
    int64_t wide;
  } entries[] = {{93, 3, 29, 0},         {91, 2, 91, 0},  {89, 3, 28, 0},
                 {155, 2, 0, 0},         {90, 3, 27, 0},  {327, 2, 27, 0},
                 {350, 4, 0, 1LL << 40}, {328, 2, 28, 0}, {329, 2, 29, 0}};
  for (int j = 0; j < 9; ++j) {
    const Entry e = EntryAt(quote, j);
    EXPECT_EQ(e.id, entries[j].id) << j;
    EXPECT_EQ(e.type, entries[j].type) << j;
    EXPECT_DOUBLE_EQ(e.value, entries[j].value) << j;
    EXPECT_EQ(e.wide, entries[j].wide) << j;
  }
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

}  // namespace
