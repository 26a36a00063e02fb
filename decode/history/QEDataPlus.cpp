// QE data plus (message type 21): the answer to the QE data requests.
//
// For one security the message carries a set of series of equal length whose
// indicator ids, kinds and decimals travel on the wire, followed by a block
// of parameters; or, for history type 11, the two sides of a level-2 order
// queue. Body: a leading number, the compact code, the history type, two
// unused numbers and the row count n; when n is positive, the period code
// and the series count, then the queue part or the series part.
//
// A series block is its id, its kind and its decimals, then n values by
// kind: doubles (kinds 0 and 3), dates (kind 2) or sized texts (kind 4). A
// series of any other kind has no values on the wire.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/TernCode.h"
#include "decode/series/ColumnLayout.h"
#include "codec/WireCounts.h"
#include "model/OwnedArray.h"
#include "model/ValueStorage.h"
#include "model/ValueTypes.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnLayout;
using kestrel::ColumnSpec;

// The history type whose reply holds the two sides of a level-2 order queue
// instead of series.
constexpr int32_t kOrderQueueHisType = 11;
constexpr int kQueueSides = 2;
// Numbers of the head between the history type and the row count.
constexpr int kUnusedHeadNumbers = 2;

// Period type by the period code of the message; any other code is a day.
struct PeriodRow {
  uint32_t code;
  TPeriodType period;
};
constexpr PeriodRow kPeriods[] = {{0, kPeriodDay}, {1, kPeriodDay}, {2, kPeriodMinuteBar0}};

TPeriodType PeriodOf(uint32_t code) {
  for (const PeriodRow& row : kPeriods) {
    if (row.code == code) return row.period;
  }
  return kPeriodDay;
}

// The values of a series by its kind: one column of the column engine, read
// with the series' decimals as its factor, or (no layout) n sized texts.
// Kinds without a row carry no values.
constexpr ColumnSpec kDoubleColumn[] = {{ColumnCodec::kDouble64, {}}};
constexpr ColumnSpec kDateColumn[] = {{ColumnCodec::kDate, {}}};
constexpr ColumnLayout kDoubles = kDoubleColumn;
constexpr ColumnLayout kDates = kDateColumn;
struct SeriesKind {
  uint32_t kind;
  const ColumnLayout* layout;
};
constexpr SeriesKind kSeriesKinds[] = {
    {0, &kDoubles},  // doubles: first value, then signed deltas
    {2, &kDates},    // dates yyyymmdd: first date, then day gaps
    {3, &kDoubles},  // as kind 0
    {4, nullptr},    // texts: a stop-bit length and the bytes, each
};

const SeriesKind* FindKind(uint32_t kind) {
  for (const SeriesKind& row : kSeriesKinds) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

// Memory a series holds: its entry (id, type, count, value) in the record,
// and per row a number, or a text pointer with its text's block.
constexpr int64_t kSeriesEntryBytes = 3 * sizeof(int) + sizeof(CIndexValue);
constexpr int64_t kNumberRowBytes = sizeof(int64_t);
constexpr int64_t kTextRowBytes = sizeof(char*) + kestrel::kBlockOverheadBytes;

// The result's one history record, labelled with the code and the types.
CKestrelHisData* AddRecord(CKestrelData& result, char* code, TPeriodType period, THisType hisType) {
  result.SetHisDataNum(1);
  result.SetHisData();
  CKestrelHisData* record = result.GetKestrelHisData();
  if (record != nullptr) {
    record->SetDatas(code, static_cast<int>(std::strlen(code)), period, hisType, 0, 0);
  }
  return record;
}

// A deep copy of the one entry of `from` into the empty entry `at` of `to`.
// The column form of SetNewValue copies as many entries as the container it
// is called on holds: one.
void CopyOnlyEntry(CIndexToValue& from, CIndexToValue& to, int at) {
  if (from.GetNum() != 1 || at >= to.GetNum() || to.GetIndexValue() == nullptr) return;
  from.SetNewValue(to.GetIndexId() + at, to.GetIndexValue() + at, to.GetOneIndexValueNum() + at,
                   to.GetValueType() + at, from.GetIndexId(), from.GetIndexValue(),
                   from.GetOneIndexValueNum(), from.GetValueType(), 0, 0);
}

}  // namespace

CKestrelData* CKestrelCode::DecodeQEDataPlus(CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  ReadUInt32(code);  // leading number, unused
  char text[kTernCodeSize] = {};
  ReadTernCode(code, text);
  if (text[0] == '\0') return result.release();
  const auto hisType = static_cast<THisType>(kestrel::ReadWrappedInt32(code));
  for (int i = 0; i < kUnusedHeadNumbers; ++i) ReadUInt32(code);
  const auto rows = kestrel::ReadWrappedInt32(code);
  if (rows < 1) {
    // The code and history type alone; nothing after the row count is read.
    AddRecord(*result, text, kPeriodDay, hisType);
    return result.release();
  }
  const TPeriodType period = PeriodOf(ReadUInt32(code));
  const auto seriesCount = kestrel::ReadWrappedInt32(code);

  if (hisType == kOrderQueueHisType) {
    // Two queue series and nothing else: no record and no parameters.
    result->SetL2OrderQueueNum(kQueueSides);
    result->SetL2OrderQueue();
    CKestrelL2OrderQueue* queues = result->GetKestrelL2OrderQueue();
    if (queues == nullptr) return result.release();
    for (int side = 0; side < kQueueSides; ++side) {
      DecodeL2OrderQueueSeries(text, &queues[side], code);
    }
    return result.release();
  }

  CKestrelHisData* record = AddRecord(*result, text, period, hisType);
  if (record == nullptr) return result.release();
  // One entry per series, made up front: each series is decoded on its own
  // and copied into its entry, so that many series cost linear time.
  CIndexToValue* values = record->GetIndexToValue();
  values->SetNum(kestrel::HonouredCount(seriesCount, kSeriesEntryBytes, code));
  values->SetDatas();
  const int count = values->GetNum();
  for (int i = 0; i < count; ++i) {
    CIndexToValue series;
    DecodeOnePEDataPlusSeries(&series, rows, code);
    CopyOnlyEntry(series, *values, i);
  }
  DecodeParameters(result.get(), text, code);
  return result.release();
}

void CKestrelCode::DecodeOnePEDataPlusSeries(CIndexToValue* series, int n, CDecodeCode& code) {
  const auto id = kestrel::ReadWrappedInt32(code);
  const uint32_t kind = ReadUInt32(code);
  const auto decimals = kestrel::ReadWrappedInt32(code);
  if (series == nullptr) return;
  series->SetNum(1);
  series->SetDatas();
  if (series->GetIndexValue() == nullptr) return;
  series->GetIndexId()[0] = id;
  series->GetOneIndexValueNum()[0] = n;
  const SeriesKind* form = FindKind(kind);
  if (form == nullptr) return;  // no value type, no values, nothing more read

  // Rows are honoured as announced; past the end of the message they read
  // as zeros or empty texts.
  const int rows = kestrel::HonouredCount(
      n, form->layout != nullptr ? kNumberRowBytes : kTextRowBytes, code);
  series->GetOneIndexValueNum()[0] = rows;
  series->GetValueType()[0] = form->layout != nullptr
                                  ? kestrel::ColumnValueType(form->layout->columns[0].codec)
                                  : kValueTextArray;
  // A layout's codec writes every row (DecodeLayoutColumns clears the column
  // when it cannot); text pointers are always cleared.
  kestrel::MakeValueStorage(*series, 0, kestrel::Fill::kNone);
  if (form->layout != nullptr) {
    DecodeLayoutColumns(series, *form->layout, rows, decimals, code);
    return;
  }
  char** texts = series->GetIndexValue()[0].ppcValue;
  const int made = texts != nullptr ? series->GetOneIndexValueNum()[0] : 0;
  for (int i = 0; i < made; ++i) texts[i] = TryNewText<kestrel::ResultArrays>(ReadSizedText(code));
}
