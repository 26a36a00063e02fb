// The engine that runs a column layout over a series.
#include "decode/series/ColumnLayout.h"

#include <algorithm>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "KestrelRecords.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/series/SeriesSink.h"
#include "model/IndicatorCatalogue.h"
#include "model/ValueStorage.h"

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;

namespace {

// Rows are honoured as announced (codec/WireCounts.h); a row holds one
// number, at most eight bytes, per column id.
int HonouredRows(const kestrel::ColumnLayout& layout, int count, CDecodeCode& code) {
  return kestrel::HonouredCount(count, int64_t{layout.IdCount()} * sizeof(int64_t), code);
}

// True when the layout's columns, from entry `at` of `values` on, each have
// `rows` elements of the type their codec writes.
bool ColumnsReady(CIndexToValue& values, int at, const kestrel::ColumnLayout& layout, int rows) {
  if (values.GetIndexValue() == nullptr || values.GetNum() < at + layout.IdCount()) return false;
  for (const ColumnSpec& part : layout) {
    for (int k = 0; k < kestrel::ColumnSpan(part.codec); ++k, ++at) {
      if (values.GetOneIndexValueNum()[at] != rows ||
          values.GetValueType()[at] != kestrel::ColumnValueType(part.codec)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int CKestrelCode::DecodeColumnLayout(CKestrelHisData* record, const kestrel::ColumnLayout& layout,
                                     int count, int factor, CDecodeCode& code) {
  if (count < 1 || record == nullptr) return 0;
  const int rows = HonouredRows(layout, count, code);
  if (rows < 1) return 0;

  int ids[kestrel::kMaxLayoutColumns];
  int idCount = 0;
  for (const ColumnSpec& column : layout) {
    for (int k = 0; k < kestrel::ColumnSpan(column.codec); ++k) ids[idCount++] = column.ids[k];
  }
  // The codecs write every row of their columns, so the arrays are not
  // cleared first.
  PrepareSeriesColumns(record, idCount, ids, rows, kestrel::Fill::kNone);
  CIndexToValue* values = record->GetIndexToValue();
  if (values->GetNum() != idCount) return 0;
  // Every column must have its storage and the element type its codec
  // writes; otherwise nothing is decoded and the columns read 0.
  if (!ColumnsReady(*values, 0, layout, rows)) {
    kestrel::ClearNumberArrays(*values, 0, idCount);
    return 0;
  }
  DecodeLayoutColumns(values->GetIndexValue(), layout, rows, factor, code);
  return rows;
}

int CKestrelCode::AppendColumnLayout(CKestrelHisData* record, const kestrel::ColumnLayout& layout,
                                     int count, int factor, CDecodeCode& code) {
  if (record == nullptr) return 0;
  const int rows = count < 1 ? 0 : HonouredRows(layout, count, code);
  CIndexToValue* values = record->GetIndexToValue();
  const int at = values->GetNum() > 0 ? values->GetNum() : 0;
  values->AddLength(layout.IdCount());
  if (values->GetNum() != at + layout.IdCount()) return 0;  // no room could be made
  int entry = at;
  for (const ColumnSpec& column : layout) {
    for (int k = 0; k < kestrel::ColumnSpan(column.codec); ++k, ++entry) {
      values->GetIndexId()[entry] = column.ids[k];
      values->GetValueType()[entry] = FindValueTypeByIndexId(column.ids[k], true);
      values->GetOneIndexValueNum()[entry] = rows;
      if (rows > 0) kestrel::MakeValueStorage(*values, entry, kestrel::Fill::kNone);
    }
  }
  // Without rows the columns stand empty; with storage or types missing
  // nothing is read and the columns read 0.
  if (rows < 1) return 0;
  if (!ColumnsReady(*values, at, layout, rows)) {
    kestrel::ClearNumberArrays(*values, at, layout.IdCount());
    return 0;
  }
  DecodeLayoutColumns(values->GetIndexValue() + at, layout, rows, factor, code);
  return rows;
}

int CKestrelCode::DecodeLayoutColumns(CIndexToValue* values, const kestrel::ColumnLayout& layout,
                                      int rows, int factor, CDecodeCode& code) {
  // Columns sized and typed by their caller: decoded only when every one has
  // `rows` elements of its codec's type; otherwise they read 0.
  if (rows < 1) return 0;
  if (!ColumnsReady(*values, 0, layout, rows)) {
    kestrel::ClearNumberArrays(*values, 0, layout.IdCount());
    return 0;
  }
  DecodeLayoutColumns(values->GetIndexValue(), layout, rows, factor, code);
  return rows;
}

int CKestrelCode::DecodeSeriesColumns(const kestrel::SeriesTarget& target,
                                      const kestrel::ColumnLayout& layout, int count, int factor,
                                      kestrel::ColumnPlacement placement, CDecodeCode& code) {
  const bool append = placement == kestrel::ColumnPlacement::kAppend;
  if (CKestrelHisData* record = target.sink->Record(target.series)) {
    return append ? AppendColumnLayout(record, layout, count, factor, code)
                  : DecodeColumnLayout(record, layout, count, factor, code);
  }
  // Rows are granted as for records, so that every sink reads the same
  // bytes: declared columns need a row, appended ones stand without.
  const int rows = count < 1 ? 0 : HonouredRows(layout, count, code);
  if (rows < 1 && !append) return 0;
  CIndexValue* columns = target.sink->LayoutColumns(target.series, layout, rows, placement);
  if (columns == nullptr || rows < 1) return 0;
  DecodeLayoutColumns(columns, layout, rows, factor, code);
  return rows;
}

void CKestrelCode::DecodeLayoutColumns(CIndexValue* column, const kestrel::ColumnLayout& layout,
                                       int rows, int factor, CDecodeCode& code) {
  for (const ColumnSpec& part : layout) {
    const int decimals = kestrel::ColumnDecimals(part.decimals, factor);
    switch (part.codec) {
      case ColumnCodec::kDate:
        DecodeDayKLine_Int_1_Method_Date(column, rows, code);
        break;
      case ColumnCodec::kDateAndTime:
        DecodeDayKLine_Int_3_Method_Date_And_Time(column, column + 1, rows, code);
        break;
      case ColumnCodec::kTime:
        DecodeDayKLine_Int_4_Method_Time(column, rows, code);
        break;
      case ColumnCodec::kIntRising:
        DecodeDayKLine_Int_2_Method(column, rows, code);
        break;
      case ColumnCodec::kIntPlain:
        DecodeDayKLine_Int_5_Method(column, rows, code);
        break;
      case ColumnCodec::kQeDate:
        DecodeDayKLine_Int_6_Method_Date(column, rows, code);
        break;
      case ColumnCodec::kIntDelta:
        DecodeDayKLine_Int_7_Method(column, rows, code);
        break;
      case ColumnCodec::kPrices:
        DecodeDayKLine_Double_1_Method(column, column + 1, column + 2, column + 3, rows, decimals,
                                       code);
        break;
      case ColumnCodec::kDoubleSum:
        DecodeDayKLine_Double_2_Method(column, rows, decimals, code);
        break;
      case ColumnCodec::kDouble64:
        DecodeDayKLine_Double_3_Method(column, rows, decimals, code);
        break;
      case ColumnCodec::kDoubleU32:
        DecodeDayKLine_Double_4_Method(column, rows, decimals, code);
        break;
      case ColumnCodec::kInt64Scaled:
        DecodeDayKLine_Int64_1_Method(column, rows, part.first, part.second, code);
        break;
      case ColumnCodec::kInt64Plain:
        DecodeDayKLine_Int64_2_Method(column, rows, code);
        break;
      case ColumnCodec::kInt64U32:
        DecodeDayKLine_Int64_3_Method(column, rows, part.first, part.second, code);
        break;
      case ColumnCodec::kBuySell:
        DecodeDayKLine_56_Index(column, rows, code);
        break;
    }
    column += kestrel::ColumnSpan(part.codec);
  }
}
