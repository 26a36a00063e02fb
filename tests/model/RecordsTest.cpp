// Quote, history, level-2 order queue and service reply records: bounded
// texts, deep assignment, appending columns, adopted and cloned texts, item
// arrays, and the member-wise copies that share storage. The rank lists are
// released by ResultDisposalTest.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "KestrelRecords.h"
#include "L2OrderQueue.h"
#include "ServiceRecords.h"
#include "tests/model/ModelFixtures.h"

using namespace model_test;

namespace {
char kCode[] = "600000.SH";
}  // namespace

TEST(HisData, SecurityTypeKeepsAtMostLenCharacters) {
  struct Case {
    const char* text;
    int len;
    const char* stored;
  } cases[] = {{"stock_a", 5, "stock"}, {"stock_a", 7, "stock_a"}, {"HK", 6, "HK"}, {"HK", 0, ""},
               {"HK", -4, ""},          {nullptr, 3, ""}};
  CKestrelHisData his;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.len);
    his.SetSecurityType(c.text, c.len);  // releases the text stored before
    EXPECT_STREQ(his.GetSecurityType(), c.stored);
  }
}

TEST(QuoteData, CodeIsCutToItsBufferAndClearEmptiesIt) {
  char longCode[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  CKestrelQuoteData quote;
  quote.SetTernCode(longCode, 0);
  EXPECT_EQ(std::string(quote.GetTernCode()), std::string(longCode, kKestrelTernCodeSize - 1));
  quote.Clear();
  EXPECT_STREQ(quote.GetTernCode(), "");
}

TEST(HisData, AssignmentIsDeepAndCopiesANullSecurityType) {
  CKestrelHisData target;
  target.SetSecurityType("futures", 7);
  {
    CKestrelHisData his;
    his.SetDatas(kCode, 0, kPeriodMinuteBar3, kHisIndicator152, 1, 2);
    his.SetIndIndex(152);
    FillAllKinds(*his.GetIndexToValue(), 3);
    target = his;
    his.SetSecurityType("etf", 3);
    CKestrelHisData second;
    second = his;
    EXPECT_NE(second.GetSecurityType(), his.GetSecurityType());
    EXPECT_STREQ(second.GetSecurityType(), "etf");
  }
  EXPECT_EQ(target.GetSecurityType(), nullptr);
  EXPECT_EQ(target.GetPeriodType(), kPeriodMinuteBar3);
  EXPECT_EQ(target.GetHisType(), kHisIndicator152);
  EXPECT_EQ(target.GetIndIndex(), 152);
  EXPECT_TRUE(HoldsAllKinds(*target.GetIndexToValue(), 0, 3));
}

TEST(HisData, AppendAddsOwnCopiesAfterExistingEntries) {
  CKestrelHisData his;
  FillAllKinds(*his.GetIndexToValue(), 1);
  CIndexToValue other;
  FillAllKinds(other, 2);
  his.appendIndexToValue(other);
  CIndexToValue& columns = *his.GetIndexToValue();
  ASSERT_EQ(columns.GetNum(), 2 * kEntryCount);
  EXPECT_TRUE(HoldsAllKinds(columns, 0, 1));
  EXPECT_TRUE(HoldsAllKinds(columns, kEntryCount, 2));
  EXPECT_TRUE(SharesNoStorage(columns, kEntryCount, other, 0));

  CIndexToValue empty;
  his.appendIndexToValue(empty);
  EXPECT_EQ(columns.GetNum(), 2 * kEntryCount);
  his.appendIndexToValue(columns);  // its own columns: doubles them
  ASSERT_EQ(columns.GetNum(), 4 * kEntryCount);
  EXPECT_TRUE(HoldsAllKinds(columns, 3 * kEntryCount, 2));
}

TEST(L2OrderQueue, PriceLevelItemCounts) {
  for (int count : {3, 0, -1}) {
    SCOPED_TRACE(count);
    CL2OrderQueuePriceLevel level;
    CIndexToValue& price = *level.GetPrice();  // its default is read in OrderQueueTest
    level.SetNumOfOrders(7);
    level.SetL2OrderQueueItemNum(count);
    level.SetL2OrderQueueItem();
    EXPECT_EQ(level.GetL2OrderQueueItem() != nullptr, count > 0);
    for (int i = 0; i < count; ++i) EXPECT_EQ(level.GetL2OrderQueueItem()[i].Volume, 0);
    level.Clear();
    EXPECT_EQ(price.GetNum(), 0);
    EXPECT_EQ(level.GetL2OrderQueueItemNum(), 0);
    EXPECT_EQ(level.GetNumOfOrders(), 7);
  }
}

TEST(L2OrderQueue, AssignmentCopiesLevelsAndItemsDeeply) {
  CKestrelL2OrderQueue copy;
  {
    CKestrelL2OrderQueue queue;
    queue.SetTernCode(kCode, 0);
    queue.SetSide(1);
    queue.SetL2OrderQueuePriceLevelNum(2);
    queue.SetL2OrderQueuePriceLevel();
    for (int l = 0; l < 2; ++l) {
      CL2OrderQueuePriceLevel& level = queue.GetL2OrderQueuePriceLevel()[l];
      level.GetPrice()->GetIndexValue()[0].dValue = 10.25 + l;
      level.SetL2OrderQueueItemNum(3);
      level.SetL2OrderQueueItem();
      for (int i = 0; i < 3; ++i) level.GetL2OrderQueueItem()[i].Volume = 100 * (l + 1) + i;
    }
    copy = queue;
    queue.GetL2OrderQueuePriceLevel()[0].GetL2OrderQueueItem()[0].Volume = -1;
  }
  EXPECT_STREQ(copy.GetTernCode(), "600000.SH");
  ASSERT_EQ(copy.GetL2OrderQueuePriceLevelNum(), 2);
  for (int l = 0; l < 2; ++l) {
    CL2OrderQueuePriceLevel& level = copy.GetL2OrderQueuePriceLevel()[l];
    EXPECT_EQ(level.GetPrice()->GetIndexValue()[0].dValue, 10.25 + l);
    ASSERT_EQ(level.GetL2OrderQueueItemNum(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(level.GetL2OrderQueueItem()[i].Volume, 100 * (l + 1) + i);
  }
  CKestrelL2OrderQueue& self = copy;
  copy = self;
  EXPECT_EQ(copy.GetL2OrderQueuePriceLevel()[1].GetL2OrderQueueItem()[2].Volume, 202);
  copy.Clear();  // keeps the identification fields
  EXPECT_EQ(copy.GetL2OrderQueuePriceLevelNum(), 0);
  EXPECT_EQ(copy.GetSide(), 1);
}

TEST(LoginInfo, AdoptsClonesAndSharesTexts) {
  CLoginInfo login;
  char* adopted = NewText("user");
  login.SetUserId(adopted);
  EXPECT_EQ(login.GetUserId(), adopted);
  login.SetUserId(NewText("second"));  // releases "user"
  login.SetUserId(nullptr);            // releases "second"
  EXPECT_EQ(login.GetUserId(), nullptr);

  char ip[] = "10.0.0.1";
  char empty[] = "";
  login.CloneServerIP(ip);
  login.CloneServerName(empty);
  EXPECT_NE(login.GetServerIP(), ip);
  EXPECT_STREQ(login.GetServerIP(), "10.0.0.1");
  EXPECT_STREQ(login.GetServerName(), "");
  login.SetClientType(9);

  SharedView<CLoginInfo> view;  // never destroyed: `login` owns the texts
  *view = login;
  EXPECT_EQ(view->GetServerIP(), login.GetServerIP());
  EXPECT_EQ(view->GetClientType(), 9);

  login.Clear();
  EXPECT_EQ(login.GetServerIP(), nullptr);
  EXPECT_EQ(login.GetServerName(), nullptr);
  EXPECT_EQ(login.GetClientType(), 0);
}

TEST(WatchList, ItemsExistOnlyForPositiveCountsAndReleaseTheirIds) {
  for (int num : {3, 0, -5}) {
    SCOPED_TRACE(num);
    CWatchList list;
    list.SetWatchListItem(num);
    EXPECT_EQ(list.GetWatchListItemNum(), num);
    EXPECT_EQ(list.GetWatchListItem() != nullptr, num > 0);
    if (num > 0) {
      WatchListItem* items = list.GetWatchListItem();
      EXPECT_EQ(items[1].IndIndex, nullptr);  // made zeroed
      items[0].IndIndex = new uint16_t[2]{1, 2};
      items[2].IndIndex = new uint16_t[1]{57};
    }
    list.Clear();  // releases each item's ids once
    EXPECT_EQ(list.GetWatchListItemNum(), 0);
    EXPECT_EQ(list.GetWatchListItem(), nullptr);
  }
}

TEST(Top8Info, SectorsAndEntriesFollowTheirCounts) {
  CTop8Info top;
  top.SetSectorChartItemNum(0);
  top.SetSectorChartItem();
  EXPECT_EQ(top.GetSectorChartItem(), nullptr);
  top.SetSectorChartItemNum(9);
  top.SetSectorChartItem();
  ASSERT_NE(top.GetSectorChartItem(), nullptr);
  EXPECT_EQ(top.GetSectorChartItem()[8].GetChartItem(), nullptr);
  top.GetSectorChartItem()[8].SetChartItemNum(2);
  top.GetSectorChartItem()[8].SetChartItem();
  top.Clear();  // releases the sectors and their entries
  EXPECT_EQ(top.GetSectorChartItemNum(), 0);
}
