// CKestrelQuoteData and CKestrelHisData: per-security market-data records.
#include "KestrelRecords.h"

#include "codes/TernCode.h"
#include "model/FixedText.h"
#include "model/OwnedArray.h"

static_assert(kKestrelTernCodeSize == static_cast<int>(kTernCodeSize),
              "records and compact codes agree on the code width");

namespace {
constexpr int kNoIndicator = -1;
// The security type text comes from the result memory layer.
using Arrays = kestrel::ResultArrays;
}  // namespace

CKestrelQuoteData::CKestrelQuoteData() : TernCode{} {}

CKestrelQuoteData::~CKestrelQuoteData() { Clear(); }

char* CKestrelQuoteData::GetTernCode() { return TernCode; }

void CKestrelQuoteData::SetTernCode(char* code, int /*len*/) { CopyFixedText(TernCode, code); }

CIndexToValue* CKestrelQuoteData::GetIndexToValue() { return &IndexToValue; }

void CKestrelQuoteData::Clear() {
  TernCode[0] = '\0';
  IndexToValue.Clear();
}

CKestrelQuoteData& CKestrelQuoteData::operator=(CKestrelQuoteData& src) {
  if (this == &src) return *this;
  Clear();
  CopyFixedText(TernCode, src.TernCode);
  IndexToValue = src.IndexToValue;
  return *this;
}

void CKestrelQuoteData::PrintLog() { IndexToValue.PrintLog(); }

CKestrelHisData::CKestrelHisData()
    : TernCode{},
      PeriodType(kPeriodDay),
      HisType(kHisKLine),
      StatusNew(0),
      StatusOld(0),
      SecurityType(nullptr),
      IndIndex(kNoIndicator) {}

CKestrelHisData::~CKestrelHisData() { Clear(); }

char* CKestrelHisData::GetTernCode() { return TernCode; }

void CKestrelHisData::SetTernCode(char* code, int /*len*/) { CopyFixedText(TernCode, code); }

CIndexToValue* CKestrelHisData::GetIndexToValue() { return &IndexToValue; }

TPeriodType CKestrelHisData::GetPeriodType() { return PeriodType; }

void CKestrelHisData::SetPeriodType(TPeriodType period) { PeriodType = period; }

THisType CKestrelHisData::GetHisType() { return HisType; }

void CKestrelHisData::SetHisType(THisType hisType) { HisType = hisType; }

int CKestrelHisData::GetStatusNew() { return StatusNew; }

void CKestrelHisData::SetStatusNew(int status) { StatusNew = status; }

int CKestrelHisData::GetStatusOld() { return StatusOld; }

void CKestrelHisData::SetStatusOld(int status) { StatusOld = status; }

int CKestrelHisData::GetIndIndex() { return IndIndex; }

void CKestrelHisData::SetIndIndex(int indIndex) { IndIndex = indIndex; }

char* CKestrelHisData::GetSecurityType() { return SecurityType; }

void CKestrelHisData::SetSecurityType(const char* text, int len) {
  ReleaseArray<Arrays>(SecurityType);
  SecurityType = TryNewPaddedText<Arrays>(text, len);
}

void CKestrelHisData::SetDatas(char* code, int len, TPeriodType period, THisType hisType,
                               int statusNew, int statusOld) {
  SetTernCode(code, len);
  PeriodType = period;
  HisType = hisType;
  StatusNew = statusNew;
  StatusOld = statusOld;
}

void CKestrelHisData::appendIndexToValue(CIndexToValue& other) {
  const int kept = IndexToValue.GetNum();
  const int added = other.GetNum();
  if (added < 1) return;
  IndexToValue.AddLength(added);
  if (IndexToValue.GetNum() != kept + added) return;
  // `other` may be this record's own container: its first `kept` entries
  // are the ones copied.
  IndexToValue.SetNewValue(IndexToValue, other, kept, 0);
}

void CKestrelHisData::Clear() {
  ReleaseArray<Arrays>(SecurityType);
  IndexToValue.Clear();
}

CKestrelHisData& CKestrelHisData::operator=(CKestrelHisData& src) {
  if (this == &src) return *this;
  Clear();
  CopyFixedText(TernCode, src.TernCode);
  PeriodType = src.PeriodType;
  HisType = src.HisType;
  StatusNew = src.StatusNew;
  StatusOld = src.StatusOld;
  SecurityType = TryNewTextCopy<Arrays>(src.SecurityType);
  IndexToValue = src.IndexToValue;
  IndIndex = src.IndIndex;
  return *this;
}

void CKestrelHisData::PrintLog() { IndexToValue.PrintLog(); }
