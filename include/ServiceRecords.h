// Records of the service replies: login, the server's subscription list,
// sector charts, sector quotes order and paged ranking lists.
//
// Every record owns the arrays and texts that its pointers reach; Clear and
// the destructor release them. Assignment is member-wise: after it the two
// records share that storage, and only one of them may afterwards be cleared
// or destroyed.
#ifndef KESTREL_SERVICERECORDS_H
#define KESTREL_SERVICERECORDS_H

#include <cstdint>

#include "KestrelExport.h"
#include "KestrelSizes.h"

// The login reply (message type 80).
class KESTREL_API CLoginInfo {
 public:
  // Both numbers 0, the three texts null.
  CLoginInfo();
  ~CLoginInfo();

  // The held texts; null when unset.
  const char* GetUserId();
  const char* GetServerIP();
  const char* GetServerName();
  int64_t GetClientType();
  int64_t GetMaxSubIndicator();

  // Release the text held before and adopt `text` itself, which must be null
  // or come from array new.
  void SetUserId(char* text);
  void SetServerIP(char* text);
  void SetServerName(char* text);
  // Release the text held before and store a new copy of `text`; the caller
  // keeps its own. A null text leaves null.
  void CloneUserId(char* text);
  void CloneServerIP(char* text);
  void CloneServerName(char* text);
  void SetClientType(int64_t clientType);
  void SetMaxSubIndicator(int64_t maxSubIndicator);

  // Releases the three texts and sets both numbers to 0.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  int64_t ClientType;
  int64_t MaxSubIndicator;
  char* UserId;
  char* ServerIP;
  char* ServerName;
};

// One code of a subscription list and its indicator ids. Also the input of
// the subscription requests. Its destructor releases IndIndex; a new item's
// fields are unset until its filler sets them (value-initialised items, as
// CWatchList makes them, start zeroed).
struct KESTREL_API WatchListItem {
  ~WatchListItem();

  char TernCode[kKestrelTernCodeSize];
  uint16_t* IndIndex;  // owned array of IndIndexNum indicator ids
  int IndIndexNum;
};

// The server's subscription list (message type 26).
class KESTREL_API CWatchList {
 public:
  // No items.
  CWatchList();
  ~CWatchList();

  int GetWatchListItemNum();
  // Stores a count alone; the items do not change.
  void SetWatchListItemNum(int num);
  ::WatchListItem* GetWatchListItem();
  // Releases the items, stores `num` as the count and makes `num` zeroed
  // items, or null when num is below 1 (the count keeps the value given).
  // When the items cannot be obtained the count becomes 0.
  void SetWatchListItem(int num);

  // Releases the items; count 0.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  int WatchListItemNum;
  ::WatchListItem* WatchListItem;
};

// One entry of a sector chart. No constructor and no destructor.
struct KESTREL_API CChartItem {
  char TernCode[kKestrelTernCodeSize];
  double Price;     // already scaled
  double Change;    // price change, already scaled
  double IndValue;  // value of the sector's indicator, already scaled
};

// One sector of a sector chart: its entries ranked by one indicator.
class KESTREL_API CSectorChartItem {
 public:
  // Indicator 0, no entries.
  CSectorChartItem();
  ~CSectorChartItem();

  int GetIndIndex();
  void SetIndIndex(int indIndex);
  int GetChartItemNum();
  // Stores the entry count alone; the entries do not change.
  void SetChartItemNum(int num);
  CChartItem* GetChartItem();
  // Replaces the entries by GetChartItemNum() zeroed entries, or by null
  // when that count is below 1. When they cannot be obtained the count
  // becomes 0.
  void SetChartItem();

  // Indicator 0, entries released, count 0.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  int IndIndex;
  int ChartItemNum;
  CChartItem* ChartItem;
};

// The sector chart reply (message type 9).
class KESTREL_API CTop8Info {
 public:
  // Numbers 0, no name, no sectors.
  CTop8Info();
  ~CTop8Info();

  int GetModuleId();
  void SetModuleId(int moduleId);
  // The sector name; null when unset.
  char* GetSectorName();
  // Replaces the name by a new buffer of len + 1 characters holding at most
  // len characters of `name` (copying stops at a NUL; the rest is NUL). A
  // negative len gives an empty name.
  void SetSectorName(char* name, int len);
  int GetSectorChartItemNum();
  // Stores the sector count alone; the sectors do not change.
  void SetSectorChartItemNum(int num);
  CSectorChartItem* GetSectorChartItem();
  // Replaces the sectors by GetSectorChartItemNum() empty sectors, or by
  // null when that count is below 1. When they cannot be obtained the count
  // becomes 0.
  void SetSectorChartItem();

  // Module id 0, name and sectors released, count 0.
  void Clear();
  // Visits every sector; writes nothing.
  void PrintLog();

 private:
  int ModuleId;
  char* SectorName;
  int SectorChartItemNum;
  CSectorChartItem* SectorChartItem;
};

// The sector quotes order reply (message type 34). No constructor: decoders
// make it value-initialised (every field zero or null).
struct KESTREL_API CSectorQuotesOrder {
  ~CSectorQuotesOrder();

  // Module id 0; releases the non-null elements among the first CodeNum of
  // Codes, then Codes itself; CodeNum 0.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

  int ModuleId;
  int CodeNum;
  char** Codes;  // CodeNum owned buffers of kKestrelTernCodeSize characters
};

// The paged ranking list reply (message type 40). No constructor: decoders
// make it value-initialised (every field zero or null).
struct KESTREL_API CPagedRankList : CSectorQuotesOrder {
  ~CPagedRankList();

  // Module id 0; releases Codes as CSectorQuotesOrder::Clear does and Values
  // likewise; CodeNum 0. The totals and indexes keep their values.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

  int TotalNum;      // below 1 the page is empty
  int HeaderValue1;  // stored as received
  int HeaderValue2;  // stored as received
  int StartIndex;    // first rank position of the page
  int EndIndex;      // last rank position of the page, inclusive
  char** Values;     // CodeNum owned buffers: the ranking value text of each code
};

#endif  // KESTREL_SERVICERECORDS_H
