// Level-2 order queue records.
#include "L2OrderQueue.h"

#include "model/FixedText.h"
#include "model/OwnedArray.h"
#include "model/ValueTypes.h"

namespace {
// The price a level reports until its decoder stores the real one.
constexpr double kPlaceholderPrice = 0.011;
// Levels and items come from the result memory layer.
using Arrays = kestrel::ResultArrays;
}  // namespace

CL2OrderQueueItem::CL2OrderQueueItem() : Operator(0), Position(0), Volume(0) {}

CL2OrderQueuePriceLevel::CL2OrderQueuePriceLevel()
    : PriceLevelOperator(0), NumOfOrders(0), L2OrderQueueItemNum(0), L2OrderQueueItem(nullptr) {
  Price.SetNum(1);
  Price.SetDatas();
  // The id and count of the price entry stay unset (zero).
  if (Price.GetNum() == 1) {
    Price.GetValueType()[0] = kValueDouble;
    Price.GetIndexValue()[0].dValue = kPlaceholderPrice;
  }
}

CL2OrderQueuePriceLevel::~CL2OrderQueuePriceLevel() { Clear(); }

int CL2OrderQueuePriceLevel::GetPriceLevelOperator() { return PriceLevelOperator; }

void CL2OrderQueuePriceLevel::SetPriceLevelOperator(int op) { PriceLevelOperator = op; }

int CL2OrderQueuePriceLevel::GetNumOfOrders() { return NumOfOrders; }

void CL2OrderQueuePriceLevel::SetNumOfOrders(int num) { NumOfOrders = num; }

CIndexToValue* CL2OrderQueuePriceLevel::GetPrice() { return &Price; }

int CL2OrderQueuePriceLevel::GetL2OrderQueueItemNum() { return L2OrderQueueItemNum; }

void CL2OrderQueuePriceLevel::SetL2OrderQueueItemNum(int num) { L2OrderQueueItemNum = num; }

CL2OrderQueueItem* CL2OrderQueuePriceLevel::GetL2OrderQueueItem() { return L2OrderQueueItem; }

void CL2OrderQueuePriceLevel::SetL2OrderQueueItem() {
  RenewCountedArray<Arrays>(L2OrderQueueItem, L2OrderQueueItemNum);
}

void CL2OrderQueuePriceLevel::Clear() {
  Price.Clear();
  ReleaseArray<Arrays>(L2OrderQueueItem);
  L2OrderQueueItemNum = 0;
}

CL2OrderQueuePriceLevel& CL2OrderQueuePriceLevel::operator=(CL2OrderQueuePriceLevel& src) {
  if (this == &src) return *this;
  Clear();
  PriceLevelOperator = src.PriceLevelOperator;
  NumOfOrders = src.NumOfOrders;
  Price = src.Price;
  CopyCountedArray<Arrays>(L2OrderQueueItem, L2OrderQueueItemNum, src.L2OrderQueueItem,
                   src.L2OrderQueueItemNum);
  return *this;
}

void CL2OrderQueuePriceLevel::PrintLog() { Price.PrintLog(); }

CKestrelL2OrderQueue::CKestrelL2OrderQueue()
    : TernCode{},
      DateTimeStamp(0),
      Side(0),
      ImageStatus(0),
      L2OrderQueuePriceLevelNum(0),
      L2OrderQueuePriceLevel(nullptr) {}

CKestrelL2OrderQueue::~CKestrelL2OrderQueue() { Clear(); }

char* CKestrelL2OrderQueue::GetTernCode() { return TernCode; }

void CKestrelL2OrderQueue::SetTernCode(char* code, int /*len*/) { CopyFixedText(TernCode, code); }

int CKestrelL2OrderQueue::GetDateTimeStamp() { return DateTimeStamp; }

void CKestrelL2OrderQueue::SetDateTimeStamp(int stamp) { DateTimeStamp = stamp; }

int CKestrelL2OrderQueue::GetSide() { return Side; }

void CKestrelL2OrderQueue::SetSide(int side) { Side = side; }

int CKestrelL2OrderQueue::GetImageStatus() { return ImageStatus; }

void CKestrelL2OrderQueue::SetImageStatus(int status) { ImageStatus = status; }

int CKestrelL2OrderQueue::GetL2OrderQueuePriceLevelNum() { return L2OrderQueuePriceLevelNum; }

void CKestrelL2OrderQueue::SetL2OrderQueuePriceLevelNum(int num) {
  L2OrderQueuePriceLevelNum = num;
}

CL2OrderQueuePriceLevel* CKestrelL2OrderQueue::GetL2OrderQueuePriceLevel() {
  return L2OrderQueuePriceLevel;
}

void CKestrelL2OrderQueue::SetL2OrderQueuePriceLevel() {
  RenewCountedArray<Arrays>(L2OrderQueuePriceLevel, L2OrderQueuePriceLevelNum);
}

void CKestrelL2OrderQueue::Clear() {
  ReleaseArray<Arrays>(L2OrderQueuePriceLevel);
  L2OrderQueuePriceLevelNum = 0;
}

CKestrelL2OrderQueue& CKestrelL2OrderQueue::operator=(CKestrelL2OrderQueue& src) {
  if (this == &src) return *this;
  Clear();
  CopyFixedText(TernCode, src.TernCode);
  DateTimeStamp = src.DateTimeStamp;
  Side = src.Side;
  ImageStatus = src.ImageStatus;
  CopyCountedArray<Arrays>(L2OrderQueuePriceLevel, L2OrderQueuePriceLevelNum, src.L2OrderQueuePriceLevel,
                   src.L2OrderQueuePriceLevelNum);
  return *this;
}

void CKestrelL2OrderQueue::PrintLog() {
  if (L2OrderQueuePriceLevel == nullptr) return;
  for (int i = 0; i < L2OrderQueuePriceLevelNum; ++i) L2OrderQueuePriceLevel[i].PrintLog();
}
