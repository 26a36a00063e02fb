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
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesSink.h"
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

// The type code of a column whose kind carries no values.
constexpr int kNoValueType = 0;

// Memory a series holds: its entry (id, type, count, value) in the record,
// and per row a number, or a text pointer with its text's block.
constexpr int64_t kSeriesEntryBytes = 3 * sizeof(int) + sizeof(CIndexValue);
constexpr int64_t kNumberRowBytes = sizeof(int64_t);
constexpr int64_t kTextRowBytes = sizeof(char*) + kestrel::kBlockOverheadBytes;

// Adds the message's one series, labelled with the code and the types; -1
// when it cannot be made.
int AddSeries(kestrel::SeriesSink& sink, char* code, TPeriodType period, THisType hisType) {
  const int series = sink.AddSeries(1);
  if (series >= 0) sink.SetHeader(series, code, period, hisType, 0, 0);
  return series;
}

}  // namespace

CKestrelData* CKestrelCode::DecodeQEDataPlus(CDecodeCode& code) {
  return kestrel::DecodeIntoRecords(code, &DecodeQEDataPlusInto);
}

bool CKestrelCode::DecodeQEDataPlusInto(kestrel::SeriesSink& sink, CDecodeCode& code) {
  ReadUInt32(code);  // leading number, unused
  char text[kTernCodeSize] = {};
  ReadTernCode(code, text);
  if (text[0] == '\0') return true;
  const auto hisType = static_cast<THisType>(kestrel::ReadWrappedInt32(code));
  for (int i = 0; i < kUnusedHeadNumbers; ++i) ReadUInt32(code);
  const auto rows = kestrel::ReadWrappedInt32(code);
  if (rows < 1) {
    // The code and history type alone; nothing after the row count is read.
    AddSeries(sink, text, kPeriodDay, hisType);
    return true;
  }
  const TPeriodType period = PeriodOf(ReadUInt32(code));
  const auto seriesCount = kestrel::ReadWrappedInt32(code);

  // The order queue and the parameters are no series: only a sink of
  // records keeps them, other sinks stop before them.
  CKestrelData* result = sink.Records();
  if (hisType == kOrderQueueHisType) {
    // Two queue series and nothing else: no record and no parameters.
    if (result == nullptr) return true;
    result->SetL2OrderQueueNum(kQueueSides);
    result->SetL2OrderQueue();
    CKestrelL2OrderQueue* queues = result->GetKestrelL2OrderQueue();
    if (queues == nullptr) return true;
    for (int side = 0; side < kQueueSides; ++side) {
      DecodeL2OrderQueueSeries(text, &queues[side], code);
    }
    return true;
  }

  const kestrel::SeriesTarget target{&sink, AddSeries(sink, text, period, hisType)};
  if (target.series < 0) return true;
  // One column per series, room made up front so that many series cost
  // linear time.
  const int count = sink.ReserveColumns(
      target.series, kestrel::HonouredCount(seriesCount, kSeriesEntryBytes, code));
  for (int i = 0; i < count; ++i) DecodeOnePEDataPlusSeries(target, i, rows, code);
  if (result != nullptr) DecodeParameters(result, text, code);
  return true;
}

void CKestrelCode::DecodeOnePEDataPlusSeries(const kestrel::SeriesTarget& target, int at, int n,
                                             CDecodeCode& code) {
  const auto id = kestrel::ReadWrappedInt32(code);
  const uint32_t kind = ReadUInt32(code);
  const auto decimals = kestrel::ReadWrappedInt32(code);
  const SeriesKind* form = FindKind(kind);
  if (form == nullptr) {
    // No value type, no values, nothing more read: the column keeps its id
    // and the announced count.
    target.sink->Column(target.series, at, id, kNoValueType, n);
    return;
  }

  // Rows are honoured as announced; past the end of the message they read
  // as zeros or empty texts.
  const int rows =
      kestrel::HonouredCount(n, form->layout != nullptr ? kNumberRowBytes : kTextRowBytes, code);
  const int type = form->layout != nullptr
                       ? kestrel::ColumnValueType(form->layout->columns[0].codec)
                       : kValueTextArray;
  // A layout's codec writes every row; text pointers are cleared. Without
  // storage nothing is read.
  CIndexValue* column = target.sink->Column(target.series, at, id, type, rows);
  if (column == nullptr) return;
  if (form->layout != nullptr) {
    DecodeLayoutColumns(column, *form->layout, rows, decimals, code);
    return;
  }
  for (int i = 0; i < rows; ++i) column->ppcValue[i] = target.sink->StoreText(ReadSizedText(code));
}
