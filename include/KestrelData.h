// CKestrelData: the result of every market-data message. Four lists (history
// series, quotes, level-2 order queues, market events) and an error code.
//
// Each list is an exact-size array of default-constructed records. Adding
// records reallocates the list and deep-copies every record already in it;
// there is no lookup by code, so adding a record for a code that is present
// appends a second one.
#ifndef KESTREL_KESTRELDATA_H
#define KESTREL_KESTRELDATA_H

#include "KestrelExport.h"
#include "KestrelRecords.h"
#include "KestrelSizes.h"
#include "L2OrderQueue.h"

// One field of a market event. Copies are member-wise.
struct KESTREL_API CMarketEventFieldItem {
  int IndIndex;  // indicator id of the field
  double Value;  // the field's value, already scaled
};

// One market event. Copies are member-wise: the FieldItem array is shared,
// not copied, and only one of the copies may be destroyed.
struct KESTREL_API CKestrelMarketEventData {
  // No field items; the numbers and texts are zeroed.
  CKestrelMarketEventData();
  // Releases FieldItem.
  ~CKestrelMarketEventData();
  CKestrelMarketEventData(const CKestrelMarketEventData&) = default;
  CKestrelMarketEventData& operator=(const CKestrelMarketEventData&) = default;

  int EventInfo[kKestrelEventInfoCount];  // the event's opening numbers, in wire order
  int FieldItemNum;
  CMarketEventFieldItem* FieldItem;       // owned array of FieldItemNum fields
  char TernCode[kKestrelEventCodeSize];   // security code of the event
  char EventText[kKestrelEventTextSize];  // the event's closing text
};

class KESTREL_API CKestrelData {
 public:
  // Error code -1, every list null and empty.
  CKestrelData();
  // Clear.
  ~CKestrelData();
  // Member-wise: the two objects share their lists, and only one of them may
  // afterwards be cleared or destroyed.
  CKestrelData(const CKestrelData&) = default;
  CKestrelData& operator=(const CKestrelData&) = default;

  // -1 when no decoder stored a code.
  int GetErrorCode();
  void SetError(int code);

  // The lists and their lengths. A list pointer stays valid until the next
  // operation that sizes, grows or clears that list.
  CKestrelHisData* GetKestrelHisData();
  int GetHisDataNum();
  CKestrelQuoteData* GetKestrelQuoteData();
  int GetQuoteDataNum();
  CKestrelL2OrderQueue* GetKestrelL2OrderQueue();
  int GetL2OrderQueueNum();
  CKestrelMarketEventData* GetMarketEventList();
  int GetMarketEventListLen();

  // Store a length alone; the list does not change.
  void SetHisDataNum(int num);
  void SetQuoteDataNum(int num);
  void SetL2OrderQueueNum(int num);
  void SetMarketEventListLen(int len);

  // Replace a list by as many default-constructed records as its stored
  // length, or by null when that length is below 1. When the records cannot
  // be obtained the length becomes 0.
  void SetHisData();
  void SetQuoteData();
  void SetL2OrderQueue();
  void SetMarketEventList();

  // Append deep copies; the given records stay the caller's and may be
  // records of this very list. Each returns false, leaving the list as it
  // was, when the grown list cannot be obtained; true otherwise. A count
  // below 1 or a null pointer adds nothing.
  bool AddHisData(CKestrelHisData& record);
  bool AddL2OrderQueue(CKestrelL2OrderQueue& queue);
  bool AddNumHisDatas(CKestrelHisData* records, int num);
  bool AddNumQuoteDatas(CKestrelQuoteData* records, int num);
  bool AddNumL2OrderQueues(CKestrelL2OrderQueue* records, int num);
  // Takes `queue` (made with scalar new), appends a deep copy of it as
  // AddL2OrderQueue does, then destroys it. A null queue adds nothing.
  bool AppendL2OrderQueue(CKestrelL2OrderQueue* queue);
  // Appends deep copies of the history records, quotes and queues of
  // `other`, in that order; its market events and error code are not taken.
  // A null `other` adds nothing. False when any list could not grow.
  bool AddKestrelData(CKestrelData* other);

  // Releases the four lists and sets the error code back to -1.
  void Clear();
  // Visits every history record, quote and queue; writes nothing.
  void PrintLog();

 private:
  int ErrorCode;
  CKestrelHisData* HisData;
  int HisDataNum;
  CKestrelQuoteData* QuoteData;
  int QuoteDataNum;
  CKestrelL2OrderQueue* L2OrderQueue;
  int L2OrderQueueNum;
  CKestrelMarketEventData* MarketEventList;
  int MarketEventListLen;
};

#endif  // KESTREL_KESTRELDATA_H
