// CKestrelData: the result of the market-data messages, and its market
// events.
#include "KestrelData.h"

#include "model/OwnedArray.h"

namespace {
constexpr int kNoError = -1;

// The lists and the events' field items come from the result memory layer.
using Arrays = kestrel::ResultArrays;

// Calls PrintLog on the `count` records of a list; nothing for a null list.
template <typename T>
void PrintEach(T* list, int count) {
  if (list == nullptr) return;
  for (int i = 0; i < count; ++i) list[i].PrintLog();
}
}  // namespace

CKestrelMarketEventData::CKestrelMarketEventData()
    : EventInfo{}, FieldItemNum(0), FieldItem(nullptr), TernCode{}, EventText{} {}

CKestrelMarketEventData::~CKestrelMarketEventData() { ReleaseArray<Arrays>(FieldItem); }

CKestrelData::CKestrelData()
    : ErrorCode(kNoError),
      HisData(nullptr),
      HisDataNum(0),
      QuoteData(nullptr),
      QuoteDataNum(0),
      L2OrderQueue(nullptr),
      L2OrderQueueNum(0),
      MarketEventList(nullptr),
      MarketEventListLen(0) {}

CKestrelData::~CKestrelData() { Clear(); }

int CKestrelData::GetErrorCode() { return ErrorCode; }

void CKestrelData::SetError(int code) { ErrorCode = code; }

CKestrelHisData* CKestrelData::GetKestrelHisData() { return HisData; }

int CKestrelData::GetHisDataNum() { return HisDataNum; }

CKestrelQuoteData* CKestrelData::GetKestrelQuoteData() { return QuoteData; }

int CKestrelData::GetQuoteDataNum() { return QuoteDataNum; }

CKestrelL2OrderQueue* CKestrelData::GetKestrelL2OrderQueue() { return L2OrderQueue; }

int CKestrelData::GetL2OrderQueueNum() { return L2OrderQueueNum; }

CKestrelMarketEventData* CKestrelData::GetMarketEventList() { return MarketEventList; }

int CKestrelData::GetMarketEventListLen() { return MarketEventListLen; }

void CKestrelData::SetHisDataNum(int num) { HisDataNum = num; }

void CKestrelData::SetQuoteDataNum(int num) { QuoteDataNum = num; }

void CKestrelData::SetL2OrderQueueNum(int num) { L2OrderQueueNum = num; }

void CKestrelData::SetMarketEventListLen(int len) { MarketEventListLen = len; }

void CKestrelData::SetHisData() { RenewCountedArray<Arrays>(HisData, HisDataNum); }

void CKestrelData::SetQuoteData() { RenewCountedArray<Arrays>(QuoteData, QuoteDataNum); }

void CKestrelData::SetL2OrderQueue() { RenewCountedArray<Arrays>(L2OrderQueue, L2OrderQueueNum); }

void CKestrelData::SetMarketEventList() { RenewCountedArray<Arrays>(MarketEventList, MarketEventListLen); }

bool CKestrelData::AddHisData(CKestrelHisData& record) {
  return AppendCopies<Arrays>(HisData, HisDataNum, &record, 1);
}

bool CKestrelData::AddL2OrderQueue(CKestrelL2OrderQueue& queue) {
  return AppendCopies<Arrays>(L2OrderQueue, L2OrderQueueNum, &queue, 1);
}

bool CKestrelData::AddNumHisDatas(CKestrelHisData* records, int num) {
  return AppendCopies<Arrays>(HisData, HisDataNum, records, num);
}

bool CKestrelData::AddNumQuoteDatas(CKestrelQuoteData* records, int num) {
  return AppendCopies<Arrays>(QuoteData, QuoteDataNum, records, num);
}

bool CKestrelData::AddNumL2OrderQueues(CKestrelL2OrderQueue* records, int num) {
  return AppendCopies<Arrays>(L2OrderQueue, L2OrderQueueNum, records, num);
}

bool CKestrelData::AppendL2OrderQueue(CKestrelL2OrderQueue* queue) {
  if (queue == nullptr) return true;
  const bool added = AddL2OrderQueue(*queue);
  delete queue;
  return added;
}

bool CKestrelData::AddKestrelData(CKestrelData* other) {
  if (other == nullptr) return true;
  // Lengths are read before growing, so merging a result into itself
  // doubles each list once.
  const int hisNum = other->HisDataNum;
  const int quoteNum = other->QuoteDataNum;
  const int queueNum = other->L2OrderQueueNum;
  bool added = AddNumHisDatas(other->HisData, hisNum);
  added = AddNumQuoteDatas(other->QuoteData, quoteNum) && added;
  added = AddNumL2OrderQueues(other->L2OrderQueue, queueNum) && added;
  return added;
}

void CKestrelData::Clear() {
  ReleaseArray<Arrays>(HisData);
  HisDataNum = 0;
  ReleaseArray<Arrays>(QuoteData);
  QuoteDataNum = 0;
  ReleaseArray<Arrays>(L2OrderQueue);
  L2OrderQueueNum = 0;
  ReleaseArray<Arrays>(MarketEventList);
  MarketEventListLen = 0;
  ErrorCode = kNoError;
}

void CKestrelData::PrintLog() {
  PrintEach(HisData, HisDataNum);
  PrintEach(QuoteData, QuoteDataNum);
  PrintEach(L2OrderQueue, L2OrderQueueNum);
}
