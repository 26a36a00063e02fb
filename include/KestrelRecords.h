// The per-security records of market data: a quote snapshot and a history
// series. Both embed their CIndexToValue and copy deeply.
#ifndef KESTREL_RECORDS_H
#define KESTREL_RECORDS_H

#include <cstdint>

#include "IndexToValue.h"
#include "KestrelExport.h"
#include "KestrelSizes.h"

// Period of a history series. The numbers are read by hosts.
enum TPeriodType : int32_t {
  kPeriodIndicator = 0,   // series of one indicator
  kPeriodDeal = 1,        // deal by deal: last deals, level-2 transactions and orders
  kPeriodMinuteBar0 = 2,  // minute trend; minute K-lines of bar-length code 0
  kPeriodMinuteBar1 = 3,  // minute K-lines of bar-length code 1
  kPeriodMinuteBar2 = 4,  // minute K-lines of bar-length code 2
  kPeriodMinuteBar3 = 5,  // minute K-lines of bar-length code 3
  kPeriodMinuteBar4 = 6,  // minute K-lines of bar-length code 4
  kPeriodMinuteBar5 = 7,  // minute K-lines of bar-length code 5 (and unknown codes)
  kPeriodDay = 10,        // day K-lines; the default
};

// Kind of a history series. The numbers are read by hosts.
enum THisType : int32_t {
  kHisMinuteTrend = 0,
  kHisKLine = 1,  // day or minute K-lines; the default
  kHisLast24Deal = 2,
  kHisIndicator57Or58 = 3,
  kHisIndicator150 = 4,
  kHisIndicator152 = 5,
  kHisIndicator155 = 6,
  kHisIndicator156 = 7,
  kHisLevel2Deal = 10,
  kHisLevel2DealRevert = 12,
  kHisLevel2Order = 13,
};

// A quote snapshot: a security code and one single value per indicator
// (type codes 2, 3, 4 and 11).
class KESTREL_API CKestrelQuoteData {
 public:
  // Empty code, empty container.
  CKestrelQuoteData();
  ~CKestrelQuoteData();

  char* GetTernCode();
  // Copies the NUL-terminated code; `len` is not used. A code longer than
  // 29 characters is cut to 29, a null code gives an empty one.
  void SetTernCode(char* code, int len);
  CIndexToValue* GetIndexToValue();

  // Empties the code and the container.
  void Clear();
  // Deep copy; assigning a record to itself does nothing.
  CKestrelQuoteData& operator=(CKestrelQuoteData& src);
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  CKestrelQuoteData(const CKestrelQuoteData&) = delete;

  char TernCode[kKestrelTernCodeSize];
  CIndexToValue IndexToValue;
};

// A history series of one security: each container entry holds an array
// with one element per time point (type codes 12, 13, 14 and 21).
class KESTREL_API CKestrelHisData {
 public:
  // Empty code, period kPeriodDay, type kHisKLine, statuses 0, no security
  // type, empty container, IndIndex -1.
  CKestrelHisData();
  ~CKestrelHisData();

  char* GetTernCode();
  // As CKestrelQuoteData::SetTernCode.
  void SetTernCode(char* code, int len);
  CIndexToValue* GetIndexToValue();

  TPeriodType GetPeriodType();
  void SetPeriodType(TPeriodType period);
  THisType GetHisType();
  void SetHisType(THisType hisType);
  int GetStatusNew();
  void SetStatusNew(int status);
  int GetStatusOld();
  void SetStatusOld(int status);
  // The indicator whose series this is; -1 when it is no indicator series.
  int GetIndIndex();
  void SetIndIndex(int indIndex);

  // The security type text, such as "stock_a"; null when unset.
  char* GetSecurityType();
  // Replaces the security type by a new buffer of len + 1 characters holding
  // at most len characters of text (copying stops at a NUL; the rest is NUL).
  // A negative len gives an empty text.
  void SetSecurityType(const char* text, int len);

  // SetTernCode, then period, history type and both statuses.
  void SetDatas(char* code, int len, TPeriodType period, THisType hisType, int statusNew,
                int statusOld);
  // Appends deep copies of all entries of `other` after the record's own;
  // ids already present are not merged. `other` is left unchanged. Nothing
  // is appended when the container cannot grow.
  void appendIndexToValue(CIndexToValue& other);

  // Releases the security type and empties the container; the code, period,
  // history type, statuses and IndIndex keep their values.
  void Clear();
  // Deep copy; assigning a record to itself does nothing.
  CKestrelHisData& operator=(CKestrelHisData& src);
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  CKestrelHisData(const CKestrelHisData&) = delete;

  char TernCode[kKestrelTernCodeSize];
  TPeriodType PeriodType;
  THisType HisType;
  int StatusNew;
  int StatusOld;
  char* SecurityType;
  CIndexToValue IndexToValue;
  int IndIndex;
};

#endif  // KESTREL_RECORDS_H
