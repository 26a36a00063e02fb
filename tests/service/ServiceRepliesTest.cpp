// Service replies: login (80), the server's subscription list (26), sector
// charts (9), sector quotes orders (34) and paged ranking lists (40).
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "KestrelUtils.h"
#include "codes/CodeText.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::Frame;
using kt::MessageBuilder;

Bytes LoginReply(int64_t clientType) {
  MessageBuilder b;  // the last number is skipped
  b.Sized("trader7").Int(clientType).Int(500).Int(-1).Int(1LL << 40).Int(0).Int(99).Int(-99999);
  return Frame(80, b.Sized("quote-1").Sized("10.1.2.3").Bytes());
}

std::string BondCode(const char* real) {
  char code[32];
  std::strcpy(code, real);
  return KestrelCodeAccess::RealCodeToBondCode(code);
}

TEST(LoginReply, FieldsAndTheProcessWideClientType) {
  {
    Decoded d(LoginReply(80));
    ASSERT_EQ(d.Type(), 80);
    auto* info = d.As<CLoginInfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->GetUserId(), "trader7");
    EXPECT_EQ(info->GetClientType(), 80);
    EXPECT_EQ(info->GetMaxSubIndicator(), 500);
    EXPECT_STREQ(info->GetServerName(), "quote-1");  // the name comes first
    EXPECT_STREQ(info->GetServerIP(), "10.1.2.3");
  }
  // Client type 80 keeps bond codes real; the next login switches it back.
  EXPECT_EQ(BondCode("ytm_019003.sh"), "ytm_019003.sh");
  { Decoded d(LoginReply(3)); }
  EXPECT_EQ(BondCode("ytm_019003.sh"), "019003.SH");
  kestrel::SetLoginClientType(0);
}

TEST(LoginReply, TruncatedReplyGivesZerosAndEmptyTexts) {
  Decoded d(Frame(80, MessageBuilder().Sized("u").Bytes()));
  auto* info = d.As<CLoginInfo>();
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->GetUserId(), "u");
  EXPECT_EQ(info->GetClientType(), 0);
  EXPECT_STREQ(info->GetServerIP(), "");
  kestrel::SetLoginClientType(0);
}

TEST(ServerSubInfo, ItemsAndIds) {
  MessageBuilder b;  // a leading number, dropped; three items
  b.UInt(12345).UInt(3).Code(60, 0).UInt(2).UInt(7).UInt(65536 + 9).Code(77, 0).UInt(0);
  Decoded d(Frame(26, b.TextCode("IF1107.CFE").UInt(1).UInt(65535).Bytes()));
  auto* list = d.As<CWatchList>();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetWatchListItemNum(), 3);
  WatchListItem* items = list->GetWatchListItem();
  EXPECT_STREQ(items[0].TernCode, "600000.SH");
  ASSERT_EQ(items[0].IndIndexNum, 2);
  EXPECT_EQ(items[0].IndIndex[0], 7);
  EXPECT_EQ(items[0].IndIndex[1], 9);  // low 16 bits
  EXPECT_STREQ(items[1].TernCode, "0700.HK");
  EXPECT_EQ(items[1].IndIndex, nullptr);
  EXPECT_EQ(items[1].IndIndexNum, 0);
  EXPECT_STREQ(items[2].TernCode, "IF1107.CFE");
  EXPECT_EQ(items[2].IndIndex[0], 65535);
}

TEST(ServerSubInfo, EmptyTruncatedAndForgedCounts) {
  for (const Bytes& body :
       {MessageBuilder().UInt(1).UInt(0).UInt(99).Bytes(),
        MessageBuilder().UInt(1).UInt(0xFFFFFFFF).Bytes(), MessageBuilder().UInt(1).Bytes()}) {
    Decoded d(Frame(26, body));
    ASSERT_NE(d.As<CWatchList>(), nullptr);
    EXPECT_EQ(d.As<CWatchList>()->GetWatchListItemNum(), 0);
    EXPECT_EQ(d.As<CWatchList>()->GetWatchListItem(), nullptr);
  }
  {  // two items promised, the data ends inside the first one's ids
    Decoded d(Frame(26, MessageBuilder().UInt(1).UInt(2).Code(60, 1).UInt(3).UInt(4).Bytes()));
    auto* list = d.As<CWatchList>();
    ASSERT_EQ(list->GetWatchListItemNum(), 2);
    EXPECT_STREQ(list->GetWatchListItem()[0].TernCode, "600001.SH");
    EXPECT_STREQ(list->GetWatchListItem()[1].TernCode, "");
    EXPECT_EQ(list->GetWatchListItem()[1].IndIndex, nullptr);
  }
  {  // a count of two billion is honoured only as far as the message's budget
    const Bytes message =
        Frame(26, MessageBuilder().UInt(1).UInt(0x7FFFFFFF).Code(60, 1).UInt(0x7FFFFFFF).Bytes());
    Decoded d(message);
    auto* list = d.As<CWatchList>();
    ASSERT_NE(list, nullptr);
    const int64_t held = int64_t{list->GetWatchListItemNum()} * sizeof(WatchListItem) +
                         int64_t{list->GetWatchListItem()[0].IndIndexNum} * sizeof(uint16_t);
    EXPECT_LE(held, kt::CountBudget(message.size(), 0));
  }
}

TEST(SectorCharts, PricesChangesAndIndicatorScales) {
  // One entry per sector: 600000.SH (factor 2), A 1234, B 1200, C 5000.
  const int ids[9] = {188, 59, 81, 100, 82, 187, 189, 190, 0};
  const char* values[9] = {"0.5", "5000", "50", "5000", "50", "50", "50", "50", "5000"};
  MessageBuilder b;
  b.UInt(7).Sized("Tech").UInt(1);
  for (const int id : ids) b.UInt(id).Code(60, 0).Int(1234).Int(1200).Int(5000);
  Decoded d(kt::Frame(9, b.Bytes()));
  auto* info = d.As<CTop8Info>();
  EXPECT_EQ(std::to_string(info->GetModuleId()) + info->GetSectorName(), "7Tech");
  ASSERT_EQ(info->GetSectorChartItemNum(), 9);
  for (int s = 0; s < 9; ++s) {
    CSectorChartItem& sector = info->GetSectorChartItem()[s];
    ASSERT_EQ(sector.GetChartItemNum(), 1);
    const CChartItem& item = sector.GetChartItem()[0];
    std::ostringstream entry;
    entry << sector.GetIndIndex() << " " << item.TernCode << " " << item.Price << " " << item.Change
          << " " << item.IndValue;
    EXPECT_EQ(entry.str(), std::to_string(ids[s]) + " 600000.SH 12.34 0.34 " + values[s]);
  }
  // No entries: nine empty sectors; an empty name is an empty text.
  Decoded empty(kt::Frame(9, MessageBuilder().UInt(3).Sized("").UInt(0).Bytes()));
  EXPECT_STREQ(empty.As<CTop8Info>()->GetSectorName(), "");
  EXPECT_EQ(empty.As<CTop8Info>()->GetSectorChartItem()[8].GetChartItem(), nullptr);
}

TEST(RankingReplies, CodesValuesAndEmptyPages) {
  kestrel::SetLoginClientType(0);  // bond codes are shown without their prefix
  MessageBuilder order, page;
  order.UInt(4).UInt(2).Code(60, 0).TextCode("YTM_019003.SH");
  page.UInt(5).UInt(300).UInt(1).UInt(2).UInt(11).UInt(20);  // ranks 11 to 20
  for (int i = 0; i < 10; ++i) page.Code(60, i).Sized(i == 0 ? std::string(40, 'x') : "1.5");
  Decoded o(kt::Frame(34, order.Bytes()));
  ASSERT_EQ(o.As<CSectorQuotesOrder>()->CodeNum, 2);
  EXPECT_STREQ(o.As<CSectorQuotesOrder>()->Codes[1], "019003.SH");
  Decoded p(kt::Frame(40, page.Bytes()));
  auto* list = p.As<CPagedRankList>();
  ASSERT_EQ(list->CodeNum, 10);
  EXPECT_EQ(std::string(list->Values[0]), std::string(29, 'x'));  // the rest is skipped
  EXPECT_EQ(std::string(list->Codes[9]) + "=" + list->Values[9], "600009.SH=1.5");

  // A count of -1, and a page that ends before it starts: no entries.
  Decoded none(kt::Frame(34, MessageBuilder().UInt(4).UInt(0xFFFFFFFFu).Code(60, 0).Bytes()));
  EXPECT_EQ(none.As<CSectorQuotesOrder>()->Codes, nullptr);
  Decoded back(
      kt::Frame(40, MessageBuilder().UInt(5).UInt(9).UInt(1).UInt(2).UInt(20).UInt(11).Bytes()));
  auto* b = back.As<CPagedRankList>();
  EXPECT_EQ(b->CodeNum + b->TotalNum + b->HeaderValue1 + b->StartIndex + b->EndIndex, 0);
  EXPECT_EQ(b->Codes, nullptr);
}

}  // namespace
