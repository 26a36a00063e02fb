// ClearDecodeMessage and PrintDecodeMessage on every result type, with
// records filled as decoders fill them. The sanitizers check that each is
// freed exactly once, by its own type.
#include <gtest/gtest.h>

#include <cstdint>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "ServiceRecords.h"
#include "tests/model/ModelFixtures.h"

using namespace model_test;

namespace {

char* NewKestrelData() {
  auto* data = new CKestrelData();
  data->SetHisDataNum(1);
  data->SetHisData();
  FillAllKinds(*data->GetKestrelHisData()[0].GetIndexToValue(), 1);
  data->SetL2OrderQueueNum(1);
  data->SetL2OrderQueue();
  data->GetKestrelL2OrderQueue()[0].SetL2OrderQueuePriceLevelNum(1);
  data->GetKestrelL2OrderQueue()[0].SetL2OrderQueuePriceLevel();
  data->SetMarketEventListLen(1);
  data->SetMarketEventList();
  data->GetMarketEventList()[0].FieldItem = ResultFields({{155, 1.0}});
  return reinterpret_cast<char*>(data);
}

template <typename Record, typename Fill>
char* Make(Fill fill) {
  auto* record = new Record();
  fill(*record);
  return reinterpret_cast<char*>(record);
}

}  // namespace

TEST(ResultDisposal, EveryResultTypeIsPrintedAndFreedByItsType) {
  for (int type : {3, 5, 6, 17, 18, 21, 24, 25, 33, 64, 130}) {
    char* result = NewKestrelData();
    CKestrelCode::PrintDecodeMessage(result, type);
    CKestrelCode::ClearDecodeMessage(result, type);
  }
  struct Case {
    int type;
    char* result;
  } cases[] = {
      {9, Make<CTop8Info>([](CTop8Info& top) {
         top.SetSectorChartItemNum(2);
         top.SetSectorChartItem();
         top.GetSectorChartItem()[1].SetChartItemNum(3);
         top.GetSectorChartItem()[1].SetChartItem();
       })},
      {26, Make<CWatchList>([](CWatchList& list) {
         list.SetWatchListItem(2);
         list.GetWatchListItem()[1].IndIndex = new uint16_t[3]{1, 2, 3};
       })},
      {34, Make<CSectorQuotesOrder>([](CSectorQuotesOrder& order) {
         order.CodeNum = 3;
         order.Codes = NewCodeBuffers(3, 1);  // a null code among them
       })},
      {40, Make<CPagedRankList>([](CPagedRankList& page) {
         page.CodeNum = 2;
         page.Codes = NewCodeBuffers(2);
         page.Values = NewCodeBuffers(2);
       })},
      {80, Make<CLoginInfo>([](CLoginInfo& login) { login.SetUserId(NewText("user")); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    CKestrelCode::PrintDecodeMessage(c.result, c.type);
    CKestrelCode::ClearDecodeMessage(c.result, c.type);
  }
}

TEST(ResultDisposal, TypesWithoutAResultFreeNothing) {
  auto* data = new CKestrelData();
  for (int type : {54, 58, 63, 99, -1, 1000}) {
    CKestrelCode::PrintDecodeMessage(reinterpret_cast<char*>(data), type);
    CKestrelCode::ClearDecodeMessage(reinterpret_cast<char*>(data), type);
  }
  CKestrelCode::ClearDecodeMessage(nullptr, 3);
  delete data;  // still ours: a free above would make this a double free
}
