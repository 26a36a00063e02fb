// CKestrelData: list sizing, growth by deep copy, merging and release.
#include <gtest/gtest.h>

#include "KestrelData.h"
#include "tests/model/ModelFixtures.h"

using namespace model_test;

namespace {

char kCodeA[] = "600000.SH";
char kCodeB[] = "0700.HK";

void MakeHis(CKestrelHisData& his, char* code, int seed) {
  his.Clear();
  his.SetTernCode(code, 0);
  his.SetSecurityType("stock_a", 7);
  FillAllKinds(*his.GetIndexToValue(), seed);
}

}  // namespace

TEST(KestrelData, ListsExistOnlyForPositiveLengthsAndClearResetsAll) {
  for (int num : {3, 0, -2}) {
    SCOPED_TRACE(num);
    CKestrelData data;
    EXPECT_EQ(data.GetErrorCode(), -1);
    data.SetError(0);
    data.SetQuoteDataNum(num);
    data.SetQuoteData();
    data.SetMarketEventListLen(num);
    data.SetMarketEventList();
    EXPECT_EQ(data.GetQuoteDataNum(), num);
    EXPECT_EQ(data.GetKestrelQuoteData() != nullptr, num > 0);
    EXPECT_EQ(data.GetMarketEventList() != nullptr, num > 0);
    for (int i = 0; i < num; ++i) {
      EXPECT_EQ(data.GetKestrelQuoteData()[i].GetIndexToValue()->GetNum(), 0);
      EXPECT_EQ(data.GetMarketEventList()[i].FieldItem, nullptr);
    }
    data.Clear();
    EXPECT_EQ(data.GetErrorCode(), -1);
    EXPECT_EQ(data.GetQuoteDataNum() + data.GetMarketEventListLen(), 0);
    EXPECT_EQ(data.GetKestrelQuoteData(), nullptr);
  }
}

TEST(KestrelData, GrowthKeepsEarlierRecordsAndAppendsDuplicates) {
  CKestrelData data;
  CKestrelHisData his;
  MakeHis(his, kCodeA, 1);
  EXPECT_TRUE(data.AddHisData(his));
  MakeHis(his, kCodeA, 2);
  EXPECT_TRUE(data.AddHisData(his));
  ASSERT_EQ(data.GetHisDataNum(), 2);
  CKestrelHisData* list = data.GetKestrelHisData();
  EXPECT_STREQ(list[1].GetTernCode(), list[0].GetTernCode());
  EXPECT_TRUE(HoldsAllKinds(*list[0].GetIndexToValue(), 0, 1));
  EXPECT_TRUE(HoldsAllKinds(*list[1].GetIndexToValue(), 0, 2));
  EXPECT_STREQ(list[1].GetSecurityType(), "stock_a");
  EXPECT_NE(list[1].GetSecurityType(), his.GetSecurityType());

  // A record of the list itself may be added again.
  EXPECT_TRUE(data.AddHisData(data.GetKestrelHisData()[0]));
  ASSERT_EQ(data.GetHisDataNum(), 3);
  EXPECT_TRUE(HoldsAllKinds(*data.GetKestrelHisData()[2].GetIndexToValue(), 0, 1));
}

TEST(KestrelData, AddedRecordsStayTheCallersAndIndependent) {
  CKestrelData data;
  CKestrelQuoteData quotes[2];
  quotes[0].SetTernCode(kCodeA, 0);
  quotes[1].SetTernCode(kCodeB, 0);
  FillAllKinds(*quotes[0].GetIndexToValue(), 4);
  FillAllKinds(*quotes[1].GetIndexToValue(), 5);
  EXPECT_TRUE(data.AddNumQuoteDatas(quotes, 2));
  EXPECT_TRUE(data.AddNumQuoteDatas(quotes, 0));
  EXPECT_TRUE(data.AddNumQuoteDatas(quotes, -1));
  ASSERT_EQ(data.GetQuoteDataNum(), 2);
  for (int i = 0; i < 2; ++i) {
    CIndexToValue& copy = *data.GetKestrelQuoteData()[i].GetIndexToValue();
    EXPECT_TRUE(SharesNoStorage(copy, 0, *quotes[i].GetIndexToValue(), 0));
    quotes[i].Clear();
    EXPECT_TRUE(HoldsAllKinds(copy, 0, 4 + i));
  }
  EXPECT_STREQ(data.GetKestrelQuoteData()[1].GetTernCode(), "0700.HK");
}

TEST(KestrelData, MergeTakesHistoryQuotesAndQueuesOnly) {
  CKestrelData data;
  EXPECT_TRUE(data.AddKestrelData(nullptr));

  CKestrelData eventsOnly;
  eventsOnly.SetMarketEventListLen(2);
  eventsOnly.SetMarketEventList();
  eventsOnly.SetError(7);
  EXPECT_TRUE(data.AddKestrelData(&eventsOnly));
  EXPECT_EQ(data.GetMarketEventListLen(), 0);
  EXPECT_EQ(data.GetHisDataNum() + data.GetQuoteDataNum() + data.GetL2OrderQueueNum(), 0);
  EXPECT_EQ(data.GetErrorCode(), -1);

  CKestrelData other;
  CKestrelHisData his;
  MakeHis(his, kCodeB, 6);
  other.AddHisData(his);
  other.SetQuoteDataNum(1);
  other.SetQuoteData();
  auto* queue = new CKestrelL2OrderQueue();
  queue->SetSide(2);
  EXPECT_TRUE(other.AppendL2OrderQueue(queue));  // copied, then destroyed
  EXPECT_TRUE(other.AppendL2OrderQueue(nullptr));
  EXPECT_TRUE(data.AddKestrelData(&other));
  EXPECT_TRUE(data.AddKestrelData(&data));  // merging into itself doubles each list
  EXPECT_EQ(data.GetHisDataNum(), 2);
  EXPECT_EQ(data.GetQuoteDataNum(), 2);
  ASSERT_EQ(data.GetL2OrderQueueNum(), 2);
  EXPECT_EQ(data.GetKestrelL2OrderQueue()[1].GetSide(), 2);
  EXPECT_TRUE(HoldsAllKinds(*data.GetKestrelHisData()[1].GetIndexToValue(), 0, 6));
  EXPECT_EQ(other.GetHisDataNum(), 1);
}

TEST(KestrelData, MemberWiseCopiesShareStorage) {
  CKestrelData data;
  data.SetHisDataNum(1);
  data.SetHisData();
  data.SetMarketEventListLen(1);
  data.SetMarketEventList();
  CKestrelMarketEventData& event = data.GetMarketEventList()[0];
  event.FieldItemNum = 2;
  event.FieldItem = ResultFields({{150, 1.5}, {152, 2.5}});

  SharedView<CKestrelData> view;  // never destroyed: `data` owns the lists
  *view = data;
  EXPECT_EQ(view->GetKestrelHisData(), data.GetKestrelHisData());
  EXPECT_EQ(view->GetMarketEventList(), data.GetMarketEventList());

  SharedView<CKestrelMarketEventData> eventView;
  *eventView = event;
  EXPECT_EQ(eventView->FieldItem, event.FieldItem);
  EXPECT_EQ(eventView->FieldItem[1].IndIndex, 152);
}
