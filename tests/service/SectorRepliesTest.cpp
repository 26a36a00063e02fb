// Sector chart (type 9), sector quotes order (type 34) and paged ranking
// list (type 40) replies, decoded as a host receives them.
#include <gtest/gtest.h>

#include <string>

#include "KestrelUtils.h"
#include "codes/CodeText.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Decoded;
using kt::MessageBuilder;

TEST(SectorCharts, PricesChangesAndIndicatorScales) {
  // One entry per sector, 600000.SH (factor 2): A 1234, B 1200, C 5000.
  const int ids[9] = {188, 59, 81, 100, 82, 187, 189, 190, 0};
  const double values[9] = {0.5, 5000, 50, 5000, 50, 50, 50, 50, 5000};
  MessageBuilder b;
  b.UInt(7).Sized("Tech").UInt(1);
  for (const int id : ids) b.UInt(id).Code(60, 0).Int(1234).Int(1200).Int(5000);
  Decoded d(kt::Frame(9, b.Bytes()));
  auto* info = d.As<CTop8Info>();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->GetModuleId(), 7);
  EXPECT_STREQ(info->GetSectorName(), "Tech");
  ASSERT_EQ(info->GetSectorChartItemNum(), 9);
  for (int s = 0; s < 9; ++s) {
    CSectorChartItem& sector = info->GetSectorChartItem()[s];
    EXPECT_EQ(sector.GetIndIndex(), ids[s]);
    ASSERT_EQ(sector.GetChartItemNum(), 1);
    const CChartItem& item = sector.GetChartItem()[0];
    EXPECT_STREQ(item.TernCode, "600000.SH");
    EXPECT_DOUBLE_EQ(item.Price, 12.34);
    EXPECT_DOUBLE_EQ(item.Change, 0.34);
    EXPECT_DOUBLE_EQ(item.IndValue, values[s]) << ids[s];
  }
  // No entries: nine empty sectors; an empty name is an empty text.
  Decoded empty(kt::Frame(9, MessageBuilder().UInt(3).Sized("").UInt(0).Bytes()));
  EXPECT_STREQ(empty.As<CTop8Info>()->GetSectorName(), "");
  EXPECT_EQ(empty.As<CTop8Info>()->GetSectorChartItemNum(), 9);
  EXPECT_EQ(empty.As<CTop8Info>()->GetSectorChartItem()[8].GetChartItem(), nullptr);
}

TEST(RankingReplies, CodesValuesAndEmptyPages) {
  kestrel::SetLoginClientType(0);  // bond codes are shown without their prefix
  Decoded order(kt::Frame(
      34, MessageBuilder().UInt(4).UInt(2).Code(60, 0).TextCode("YTM_019003.SH").Bytes()));
  auto* o = order.As<CSectorQuotesOrder>();
  ASSERT_EQ(o->CodeNum, 2);
  EXPECT_EQ(o->ModuleId, 4);
  EXPECT_STREQ(o->Codes[1], "019003.SH");
  for (const uint32_t count : {0u, 0xFFFFFFFFu}) {
    Decoded none(kt::Frame(34, MessageBuilder().UInt(4).UInt(count).Code(60, 0).Bytes()));
    EXPECT_EQ(none.As<CSectorQuotesOrder>()->CodeNum, 0);
    EXPECT_EQ(none.As<CSectorQuotesOrder>()->Codes, nullptr);
  }
  // Ranks 11 to 20; the first value text is longer than its buffer.
  MessageBuilder page;
  page.UInt(5).UInt(300).UInt(1).UInt(2).UInt(11).UInt(20);
  for (int i = 0; i < 10; ++i) page.Code(60, i).Sized(i == 0 ? std::string(40, 'x') : "1.5");
  Decoded paged(kt::Frame(40, page.Bytes()));
  auto* p = paged.As<CPagedRankList>();
  ASSERT_EQ(p->CodeNum, 10);
  EXPECT_EQ(std::string(p->Values[0]), std::string(29, 'x'));
  EXPECT_STREQ(p->Codes[9], "600009.SH");
  EXPECT_STREQ(p->Values[9], "1.5");
  EXPECT_EQ(p->TotalNum + p->HeaderValue1 + p->HeaderValue2, 303);
  Decoded backwards(
      kt::Frame(40, MessageBuilder().UInt(5).UInt(300).UInt(1).UInt(2).UInt(20).UInt(11).Bytes()));
  auto* b = backwards.As<CPagedRankList>();
  EXPECT_EQ(b->CodeNum + b->TotalNum + b->HeaderValue1 + b->StartIndex + b->EndIndex, 0);
  EXPECT_EQ(b->Codes, nullptr);
}

}  // namespace
