// Market events (indicator 155) and parameter lists.
#include <gtest/gtest.h>

#include <string>

#include "KestrelUtils.h"
#include "support/Cursor.h"
#include "support/KestrelCodeAccess.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;

char kCode[] = "600000.SH";

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
  KestrelCodeAccess::DecodeMarketEventData(&data, c.code);
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
  KestrelCodeAccess::DecodeParameters(&data, kCode, c.code);
  KestrelCodeAccess::DecodeParameters(&data, kCode, c.code);  // a count of 0 changes nothing
  ASSERT_EQ(data.GetQuoteDataNum(), 1);
  EXPECT_STREQ(data.GetKestrelQuoteData()->GetTernCode(), "600000.SH");
  CIndexToValue* v = data.GetKestrelQuoteData()->GetIndexToValue();
  ASSERT_EQ(v->GetNum(), 3);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[0].dValue, 12.34);
  EXPECT_DOUBLE_EQ(v->GetIndexValue()[1].dValue, 0.0);
  EXPECT_EQ(v->GetValueType()[2], 4);
  EXPECT_EQ(v->GetIndexValue()[2].llValue, -123);
}

TEST(MarketEvents, EveryTruncationAndForgedCountStaysWithinTheMessage) {
  const Bytes forged = MessageBuilder().UInt(0x7fffffff).UInt(1).UInt(2).UInt(3).Bytes();
  for (const Bytes& bytes : {Events(), Parameters(), forged}) {
    kt::ForEachPrefix(bytes, [](CDecodeCode& code, int n) {
      CKestrelData events, parameters;
      KestrelCodeAccess::DecodeMarketEventData(&events, code);
      EXPECT_LE(events.GetMarketEventListLen(), n);
      for (int i = 0; i < events.GetMarketEventListLen(); ++i) {
        EXPECT_LE(events.GetMarketEventList()[i].FieldItemNum, n);
      }
      code.Frame(0, n);
      KestrelCodeAccess::DecodeParameters(&parameters, kCode, code);
      const int count = parameters.GetQuoteDataNum() == 1
                            ? parameters.GetKestrelQuoteData()->GetIndexToValue()->GetNum()
                            : 0;
      EXPECT_LE(count, n);
    });
  }
}

}  // namespace
