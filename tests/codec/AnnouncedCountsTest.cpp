// Messages that end before the elements they announce still yield every
// announced count; the elements past the end read as zero or empty. Each row
// is a message that once lost its counts.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "KestrelUtils.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"
#include "model/ValueTypes.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::MessageBuilder;

Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

CKestrelL2OrderQueue& OnlyQueue(const Decoded& d) {
  auto* data = d.As<CKestrelData>();
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(data->GetL2OrderQueueNum(), 1);
  return data->GetKestrelL2OrderQueue()[0];
}

struct Case {
  const char* name;
  Bytes message;
  std::function<void(const Decoded&)> check;
};

TEST(AnnouncedCounts, ShortMessagesKeepTheirCounts) {
  const Case cases[] = {
      {"queue of status 3 announcing 4 levels",
       FromHex("92 C0 81 80 36 30 30 30 30 30 2E 53 C8 81 DB 81 81 83 84"),
       [](const Decoded& d) { EXPECT_EQ(OnlyQueue(d).GetL2OrderQueuePriceLevelNum(), 4); }},
      {"the same queue with two unrelated bytes behind it",
       FromHex("94 C0 81 80 36 30 30 30 30 30 2E 53 C8 81 DB 81 81 83 84 81 81"),
       [](const Decoded& d) { EXPECT_EQ(OnlyQueue(d).GetL2OrderQueuePriceLevelNum(), 4); }},
      {"update level whose operator reads nothing for its 3 items",
       FromHex("97 C0 81 80 36 30 30 30 30 30 2E 53 C8 81 DB 81 81 82 81 85 07 E8 82 83"),
       [](const Decoded& d) {
         CKestrelL2OrderQueue& queue = OnlyQueue(d);
         ASSERT_EQ(queue.GetL2OrderQueuePriceLevelNum(), 1);
         CL2OrderQueuePriceLevel& level = queue.GetL2OrderQueuePriceLevel()[0];
         ASSERT_EQ(level.GetL2OrderQueueItemNum(), 3);
         for (int k = 0; k < 3; ++k) EXPECT_EQ(level.GetL2OrderQueueItem()[k].Volume, 0);
       }},
      {"quote update whose first code cannot be read", FromHex("82 C0 81"),
       [](const Decoded& d) {
         ASSERT_NE(d.As<CKestrelData>(), nullptr);
         EXPECT_EQ(d.As<CKestrelData>()->GetErrorCode(), -1);
         EXPECT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 0);
       }},
      {"simple indicators whose first code cannot be read", FromHex("82 A1 81"),
       [](const Decoded& d) {
         ASSERT_NE(d.As<CKestrelData>(), nullptr);
         EXPECT_EQ(d.As<CKestrelData>()->GetErrorCode(), -1);
         EXPECT_EQ(d.As<CKestrelData>()->GetQuoteDataNum(), 0);
       }},
      {"day K-line of 3 rows that ends after its dates",
       kt::Frame(3, MessageBuilder()
                        .TextCode("600000.SH")
                        .UInt(2)
                        .UInt(0x23)
                        .UInt(3)
                        .UInt(20240102)
                        .UInt(1)
                        .UInt(1)
                        .Bytes()),
       [](const Decoded& d) {
         auto* data = d.As<CKestrelData>();
         ASSERT_NE(data, nullptr);
         ASSERT_EQ(data->GetHisDataNum(), 1);
         CIndexToValue* columns = data->GetKestrelHisData()[0].GetIndexToValue();
         ASSERT_GT(columns->GetNum(), 1);
         for (int k = 0; k < columns->GetNum(); ++k) {
           ASSERT_EQ(columns->GetOneIndexValueNum()[k], 3) << "column " << k;
         }
         // Every column after the dates reads 0 in every row.
         for (int k = 1; k < columns->GetNum(); ++k) {
           for (int row = 0; row < 3; ++row) {
             const CIndexValue& cell = columns->GetIndexValue()[k];
             const int type = columns->GetValueType()[k];
             const double value = type == kValueDoubleArray ? cell.pdValue[row]
                                  : type == kValueInt64Array
                                      ? static_cast<double>(cell.pllValue[row])
                                      : cell.pnValue[row];
             EXPECT_EQ(value, 0.0) << "column " << k << " row " << row;
           }
         }
       }},
      {"subscription list of 10 items that ends after the first",
       FromHex("86 9A 81 8A BC 80 80"),
       [](const Decoded& d) {
         auto* list = d.As<CWatchList>();
         ASSERT_NE(list, nullptr);
         ASSERT_EQ(list->GetWatchListItemNum(), 10);
         for (int i = 1; i < 10; ++i) {
           EXPECT_STREQ(list->GetWatchListItem()[i].TernCode, "");
           EXPECT_EQ(list->GetWatchListItem()[i].IndIndexNum, 0);
         }
       }},
      {"subscription item announcing 4 ids with 2 present",
       kt::Frame(26, MessageBuilder().UInt(0).UInt(1).Code(60, 0).UInt(4).UInt(7).UInt(8).Bytes()),
       [](const Decoded& d) {
         auto* list = d.As<CWatchList>();
         ASSERT_NE(list, nullptr);
         ASSERT_EQ(list->GetWatchListItemNum(), 1);
         const WatchListItem& item = list->GetWatchListItem()[0];
         ASSERT_EQ(item.IndIndexNum, 4);
         EXPECT_EQ(item.IndIndex[0], 7);
         EXPECT_EQ(item.IndIndex[1], 8);
         EXPECT_EQ(item.IndIndex[2], 0);
         EXPECT_EQ(item.IndIndex[3], 0);
       }},
      {"sector quotes order of 5 codes that ends after the first",
       kt::Frame(34, MessageBuilder().UInt(7).UInt(5).Code(60, 0).Bytes()),
       [](const Decoded& d) {
         auto* order = d.As<CSectorQuotesOrder>();
         ASSERT_NE(order, nullptr);
         ASSERT_EQ(order->CodeNum, 5);
         EXPECT_STREQ(order->Codes[4], "");
       }},
      {"paged ranking of 10 entries that ends after its header",
       kt::Frame(40, MessageBuilder().UInt(7).UInt(100).UInt(1).UInt(2).UInt(1).UInt(10).Bytes()),
       [](const Decoded& d) {
         auto* list = d.As<CPagedRankList>();
         ASSERT_NE(list, nullptr);
         ASSERT_EQ(list->CodeNum, 10);
         EXPECT_STREQ(list->Codes[9], "");
       }},
      {"sector chart of 6 entries per sector that ends after the first index",
       kt::Frame(9, MessageBuilder().UInt(7).Sized("S").UInt(6).UInt(59).Bytes()),
       [](const Decoded& d) {
         auto* info = d.As<CTop8Info>();
         ASSERT_NE(info, nullptr);
         for (int s = 0; s < info->GetSectorChartItemNum(); ++s) {
           EXPECT_EQ(info->GetSectorChartItem()[s].GetChartItemNum(), 6) << "sector " << s;
         }
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d(c.message);
    c.check(d);
  }
}

using Access = KestrelCodeAccess;

TEST(AnnouncedCounts, NegativeEventFieldCountIsKeptAsRead) {
  MessageBuilder events;
  events.UInt(1).UInt(1).UInt(2).UInt(3).UInt(4).Sized("600000.SH").UInt(0xFFFFFFFE).Sized("x");
  kt::Cursor cursor(events.Bytes());
  CKestrelData result;
  Access::DecodeMarketEventData(&result, cursor.code);
  ASSERT_EQ(result.GetMarketEventListLen(), 1);
  EXPECT_EQ(result.GetMarketEventList()[0].FieldItemNum, -2);
  EXPECT_EQ(result.GetMarketEventList()[0].FieldItem, nullptr);
}

TEST(AnnouncedCounts, FullImageLevelsPastTheEndReadZero) {
  // Two levels announced; the bytes hold the first (price 1.000, one order,
  // one item of volume 5).
  kt::Cursor cursor(MessageBuilder().UInt(1000).UInt(1).UInt(1).UInt(5).Bytes());
  CL2OrderQueuePriceLevel levels[2];
  Access::DecodeImageStatus_FULL(levels, 2, 3, cursor.code);
  EXPECT_DOUBLE_EQ(levels[0].GetPrice()->GetIndexValue()[0].dValue, 1.0);
  EXPECT_DOUBLE_EQ(levels[1].GetPrice()->GetIndexValue()[0].dValue, 0.0);
  EXPECT_EQ(levels[1].GetNumOfOrders(), 0);
  EXPECT_EQ(levels[1].GetL2OrderQueueItemNum(), 0);
}

}  // namespace
