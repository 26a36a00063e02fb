// Sector chart (type 9), sector quotes order (type 34) and paged ranking
// list (type 40) replies, decoded as a host receives them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "KestrelUtils.h"
#include "codes/CodeText.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Decoded;
using kt::MessageBuilder;

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
