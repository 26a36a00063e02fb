// Level-2 order queue records: one side of a security's book, as price
// levels holding the volumes of the individual orders queued at each level.
#ifndef KESTREL_L2ORDERQUEUE_H
#define KESTREL_L2ORDERQUEUE_H

#include "IndexToValue.h"
#include "KestrelExport.h"
#include "KestrelSizes.h"

// One order of a price level. Assignment is member-wise.
class KESTREL_API CL2OrderQueueItem {
 public:
  // All three fields 0.
  CL2OrderQueueItem();
  CL2OrderQueueItem& operator=(const CL2OrderQueueItem&) = default;

  int Operator;  // what an update does with this order
  int Position;  // position of the order within the level, for updates that name one
  int Volume;    // volume of the order

 private:
  CL2OrderQueueItem(const CL2OrderQueueItem&) = delete;
};

// One price level: an operator, the price, the number of orders and the
// order items. Assignment is deep.
class KESTREL_API CL2OrderQueuePriceLevel {
 public:
  // Operator and order count 0; a price container of one double entry
  // holding the placeholder price 0.011; no items.
  CL2OrderQueuePriceLevel();
  ~CL2OrderQueuePriceLevel();

  int GetPriceLevelOperator();
  void SetPriceLevelOperator(int op);
  int GetNumOfOrders();
  void SetNumOfOrders(int num);
  // The price is entry 0 of this container, read as dValue.
  CIndexToValue* GetPrice();

  int GetL2OrderQueueItemNum();
  // Stores the item count alone; the items do not change.
  void SetL2OrderQueueItemNum(int num);
  CL2OrderQueueItem* GetL2OrderQueueItem();
  // Replaces the items by GetL2OrderQueueItemNum() zeroed items, or by null
  // when that count is below 1. When they cannot be obtained the count
  // becomes 0.
  void SetL2OrderQueueItem();

  // Empties the price container and releases the items (count 0); the
  // operator and the order count keep their values.
  void Clear();
  // Deep copy; assigning a level to itself does nothing.
  CL2OrderQueuePriceLevel& operator=(CL2OrderQueuePriceLevel& src);
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  CL2OrderQueuePriceLevel(const CL2OrderQueuePriceLevel&) = delete;

  int PriceLevelOperator;
  int NumOfOrders;
  CIndexToValue Price;
  int L2OrderQueueItemNum;
  CL2OrderQueueItem* L2OrderQueueItem;
};

// The order queue of one security and one side of the book. Assignment is
// deep.
class KESTREL_API CKestrelL2OrderQueue {
 public:
  // Empty code, every number 0, no levels.
  CKestrelL2OrderQueue();
  ~CKestrelL2OrderQueue();

  char* GetTernCode();
  // Copies the NUL-terminated code; `len` is not used. A code longer than
  // 29 characters is cut to 29, a null code gives an empty one.
  void SetTernCode(char* code, int len);
  int GetDateTimeStamp();
  void SetDateTimeStamp(int stamp);
  int GetSide();
  void SetSide(int side);
  // 1 full image, 2 update.
  int GetImageStatus();
  void SetImageStatus(int status);

  int GetL2OrderQueuePriceLevelNum();
  // Stores the level count alone; the levels do not change.
  void SetL2OrderQueuePriceLevelNum(int num);
  CL2OrderQueuePriceLevel* GetL2OrderQueuePriceLevel();
  // Replaces the levels by GetL2OrderQueuePriceLevelNum() new levels, or by
  // null when that count is below 1. When they cannot be obtained the count
  // becomes 0.
  void SetL2OrderQueuePriceLevel();

  // Releases the levels (count 0); code, time stamp, side and image status
  // keep their values.
  void Clear();
  // Deep copy; assigning a queue to itself does nothing.
  CKestrelL2OrderQueue& operator=(CKestrelL2OrderQueue& src);
  // Visits every level; writes nothing.
  void PrintLog();

 private:
  CKestrelL2OrderQueue(const CKestrelL2OrderQueue&) = delete;

  char TernCode[kKestrelTernCodeSize];
  int DateTimeStamp;
  int Side;
  int ImageStatus;
  int L2OrderQueuePriceLevelNum;
  CL2OrderQueuePriceLevel* L2OrderQueuePriceLevel;
};

#endif  // KESTREL_L2ORDERQUEUE_H
