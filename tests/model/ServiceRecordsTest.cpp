// Service reply records: adopted and cloned texts, item arrays, and the
// member-wise copies that share storage. The rank lists are released by
// ResultDisposalTest.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ServiceRecords.h"
#include "tests/model/ModelFixtures.h"

using namespace model_test;

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
