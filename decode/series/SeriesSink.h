// Where the history decoders put what they read.
//
// A decoder knows the wire, the layouts and the protocol's corrections; what
// becomes of a series is its sink's business. The decoders ask the sink for
// series, give it their header fields, and have it provide the columns that
// the column codecs fill through CIndexValue pointers. Two sinks exist: the
// records of a CKestrelData result (SeriesRecordSink, what DecodeOneMessage
// returns) and a reusable store whose storage outlives one message
// (SeriesStore).
#ifndef KESTREL_DECODE_SERIES_SERIESSINK_H
#define KESTREL_DECODE_SERIES_SERIESSINK_H

#include <string_view>

#include "KestrelRecords.h"
#include "model/ValueTypes.h"

class CDecodeCode;
class CKestrelData;

namespace kestrel {

struct ColumnLayout;

// How a layout's columns meet the columns a series already has.
enum class ColumnPlacement {
  kDeclare,  // they become the series' columns; nothing when no row is granted
  kAppend,   // they follow the series' own; without rows they stand empty
};

class SeriesSink {
 public:
  virtual ~SeriesSink() = default;

  // Adds `count` default series (code empty, day K-lines, statuses 0, no
  // security type) after those the message made so far; the index of the
  // first, or -1 when they cannot be made. A decoder calls it once per
  // message.
  virtual int AddSeries(int count) = 0;
  virtual int SeriesCount() const = 0;

  // Header fields of series `series`.
  virtual void SetHeader(int series, const char* code, TPeriodType period, THisType hisType,
                         int statusNew, int statusOld) = 0;
  virtual void SetStatus(int series, int statusNew, int statusOld) = 0;
  virtual void SetSecurityType(int series, std::string_view type) = 0;
  virtual const char* Code(int series) const = 0;
  virtual THisType HisType(int series) const = 0;

  // The series as an exported record, when the sink holds records: the
  // column engine then runs its record form. Null for other sinks.
  virtual CKestrelHisData* Record(int /*series*/) { return nullptr; }
  // The result that holds the records, for the parts of a message that are
  // no series (the quote record of A-share deals, QE parameters and order
  // queues); null for other sinks, which skip those parts.
  virtual CKestrelData* Records() { return nullptr; }

  // Storage of a layout's columns in series `series`, placed as asked, with
  // `rows` elements of each codec's type (rows < 1: the columns stand with no
  // rows). The first of the layout's columns, or null when there are no rows
  // or no storage.
  virtual CIndexValue* LayoutColumns(int series, const ColumnLayout& layout, int rows,
                                     ColumnPlacement placement) = 0;

  // Columns given one at a time by id and type code (QE data): room for
  // `count` of them after the series' own, then column `at` of that room
  // with `rows` elements (no storage when `type` is no array type or rows <
  // 1). The returned count is what was granted; the column is null when it
  // has no storage.
  virtual int ReserveColumns(int series, int count) = 0;
  virtual CIndexValue* Column(int series, int at, int id, int type, int rows) = 0;
  // A copy of `text` that lives as long as the column that points to it;
  // null when no memory is left.
  virtual char* StoreText(std::string_view text) = 0;
};

// True for the type codes of series columns, which own an array of rows.
constexpr bool IsArrayType(int type) {
  return type == kValueIntArray || type == kValueDoubleArray || type == kValueInt64Array ||
         type == kValueTextArray;
}
// True when `value` holds the array that type code `type` names.
inline bool HasArray(const CIndexValue& value, int type) {
  switch (type) {
    case kValueIntArray:
      return value.pnValue != nullptr;
    case kValueDoubleArray:
      return value.pdValue != nullptr;
    case kValueInt64Array:
      return value.pllValue != nullptr;
    case kValueTextArray:
      return value.ppcValue != nullptr;
    default:
      return false;
  }
}

// One series of a sink: what the named per-market operations write into.
struct SeriesTarget {
  SeriesSink* sink;
  int series;
};

// The records of a CKestrelData: every series a CKestrelHisData of its
// history list.
class SeriesRecordSink final : public SeriesSink {
 public:
  explicit SeriesRecordSink(CKestrelData& data) : data_(data) {}

  int AddSeries(int count) override;
  int SeriesCount() const override;
  void SetHeader(int series, const char* code, TPeriodType period, THisType hisType, int statusNew,
                 int statusOld) override;
  void SetStatus(int series, int statusNew, int statusOld) override;
  void SetSecurityType(int series, std::string_view type) override;
  const char* Code(int series) const override;
  THisType HisType(int series) const override;
  CKestrelHisData* Record(int series) override;
  CKestrelData* Records() override { return &data_; }
  // Records run the record form of the column engine (Record above).
  CIndexValue* LayoutColumns(int, const ColumnLayout&, int, ColumnPlacement) override {
    return nullptr;
  }
  int ReserveColumns(int series, int count) override;
  CIndexValue* Column(int series, int at, int id, int type, int rows) override;
  char* StoreText(std::string_view text) override;

 private:
  CKestrelData& data_;
  int reservedAt_ = 0;  // first entry of the room ReserveColumns made
};

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_SERIESSINK_H
