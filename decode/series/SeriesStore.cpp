// The reusable series sink.
#include "decode/series/SeriesStore.h"

#include <algorithm>
#include <cstring>

#include "KestrelData.h"
#include "decode/series/ColumnLayout.h"
#include "model/IndicatorCatalogue.h"

namespace kestrel {

namespace {

// Texts take blocks of at least this many bytes.
constexpr size_t kTextBlockBytes = 4096;

// Grows `array` to hold `rows` elements (it never shrinks, so that its
// storage serves the next message) and returns its first element.
template <typename T>
T* Rows(std::vector<T>& array, int rows) {
  if (array.size() < static_cast<size_t>(rows)) array.resize(static_cast<size_t>(rows));
  return array.data();
}

// Points `value` at `rows` elements of the column's array of `type`; the
// value is empty for any other type or without rows. Number arrays are left
// as they are (their codec writes every row); text arrays are cleared.
void PointAtRows(StoredColumn& column, CIndexValue& value, int type, int rows) {
  // All of the union's bytes: assigning an empty union may copy only its
  // first (one-byte) member and leave an old pointer behind.
  std::memset(&value, 0, sizeof value);
  if (rows < 1) return;
  switch (type) {
    case kValueIntArray:
      value.pnValue = Rows(column.ints, rows);
      break;
    case kValueDoubleArray:
      value.pdValue = Rows(column.doubles, rows);
      break;
    case kValueInt64Array:
      value.pllValue = Rows(column.int64s, rows);
      break;
    case kValueTextArray:
      value.ppcValue = Rows(column.texts, rows);
      std::fill_n(value.ppcValue, rows, nullptr);
      break;
    default:
      break;
  }
}

// Zeroes a number array of `rows` elements, as the records do for columns
// that no codec is going to write.
void ZeroNumbers(CIndexValue& value, int type, int rows) {
  const auto n = static_cast<size_t>(std::max(rows, 0));
  switch (type) {
    case kValueIntArray:
      if (value.pnValue != nullptr) std::fill_n(value.pnValue, n, 0);
      break;
    case kValueDoubleArray:
      if (value.pdValue != nullptr) std::fill_n(value.pdValue, n, 0.0);
      break;
    case kValueInt64Array:
      if (value.pllValue != nullptr) std::fill_n(value.pllValue, n, int64_t{0});
      break;
    default:
      break;
  }
}

}  // namespace

char* TextBlocks::Store(std::string_view text) {
  const size_t need = text.size() + 1;
  // A text that does not fit the rest of the current block goes to the next
  // block that can hold it; blocks too small for it stay for later messages.
  while (block_ < blocks_.size() && blocks_[block_].size - used_ < need) {
    ++block_;
    used_ = 0;
  }
  if (block_ == blocks_.size()) {
    Block block;
    block.size = std::max(kTextBlockBytes, need);
    block.bytes.reset(new char[block.size]);
    blocks_.push_back(std::move(block));
    used_ = 0;
  }
  char* copy = blocks_[block_].bytes.get() + used_;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  used_ += need;
  return copy;
}

void SeriesStore::Clear() {
  count_ = 0;
  reservedAt_ = 0;
  texts_.Clear();
}

int SeriesStore::AddSeries(int count) {
  if (count < 1) return -1;
  const int first = count_;
  if (series_.size() < static_cast<size_t>(first + count)) {
    series_.resize(static_cast<size_t>(first + count));
  }
  for (int i = first; i < first + count; ++i) {
    StoredSeries& series = Series(i);
    series.code[0] = '\0';
    series.period = kPeriodDay;
    series.hisType = kHisKLine;
    series.statusNew = 0;
    series.statusOld = 0;
    series.indIndex = -1;
    series.hasSecurityType = false;
    series.securityType.clear();
    series.columnCount = 0;
  }
  count_ += count;
  return first;
}

void SeriesStore::SetHeader(int series, const char* code, TPeriodType period, THisType hisType,
                            int statusNew, int statusOld) {
  StoredSeries& s = Series(series);
  // As a record keeps its code: at most kKestrelTernCodeSize - 1 characters.
  size_t n = 0;
  while (code != nullptr && n + 1 < sizeof s.code && code[n] != '\0') ++n;
  if (n > 0) std::memcpy(s.code, code, n);
  s.code[n] = '\0';
  s.period = period;
  s.hisType = hisType;
  s.statusNew = statusNew;
  s.statusOld = statusOld;
}

void SeriesStore::SetStatus(int series, int statusNew, int statusOld) {
  Series(series).statusNew = statusNew;
  Series(series).statusOld = statusOld;
}

void SeriesStore::SetSecurityType(int series, std::string_view type) {
  StoredSeries& s = Series(series);
  // As a record keeps it: the text up to its first NUL.
  s.securityType.assign(type.substr(0, type.find('\0')));
  s.hasSecurityType = true;
}

CIndexValue& SeriesStore::Provide(StoredSeries& series, size_t at, int id, int type, int rows) {
  StoredColumn& column = series.columns[at];
  column.id = id;
  column.type = type;
  column.rows = rows;
  PointAtRows(column, series.values[at], type, rows);
  return series.values[at];
}

StoredColumn& SeriesStore::NewColumn(StoredSeries& series, int id, int type, int rows) {
  const auto at = static_cast<size_t>(series.columnCount);
  if (series.columns.size() <= at) {
    series.columns.resize(at + 1);
    series.values.resize(at + 1);
  }
  ++series.columnCount;
  Provide(series, at, id, type, rows);
  return series.columns[at];
}

CIndexValue* SeriesStore::LayoutColumns(int series, const ColumnLayout& layout, int rows,
                                        ColumnPlacement placement) {
  StoredSeries& s = Series(series);
  if (placement == ColumnPlacement::kDeclare) s.columnCount = 0;
  const int first = s.columnCount;
  bool typesMatch = true;
  for (const ColumnSpec& part : layout) {
    for (int k = 0; k < ColumnSpan(part.codec); ++k) {
      const int type = IndicatorValueType(part.ids[k], true);
      typesMatch = typesMatch && type == ColumnValueType(part.codec);
      NewColumn(s, part.ids[k], type, rows);
    }
  }
  if (rows < 1) return nullptr;
  // A column whose catalogue type is not what its codec writes makes the
  // layout unreadable: its columns read 0, as in the records.
  if (!typesMatch) {
    for (int i = first; i < s.columnCount; ++i) {
      const auto at = static_cast<size_t>(i);
      ZeroNumbers(s.values[at], s.columns[at].type, rows);
    }
    return nullptr;
  }
  return &s.values[static_cast<size_t>(first)];
}

int SeriesStore::ReserveColumns(int series, int count) {
  if (count < 1) return 0;
  StoredSeries& s = Series(series);
  reservedAt_ = s.columnCount;
  for (int i = 0; i < count; ++i) NewColumn(s, 0, 0, 0);
  return count;
}

CIndexValue* SeriesStore::Column(int series, int at, int id, int type, int rows) {
  StoredSeries& s = Series(series);
  const int entry = reservedAt_ + at;
  if (at < 0 || entry >= s.columnCount) return nullptr;
  CIndexValue& value = Provide(s, static_cast<size_t>(entry), id, type, rows);
  return HasArray(value, type) ? &value : nullptr;
}

void SeriesStore::AddRecords(CKestrelData& data) {
  CKestrelHisData* records = data.GetKestrelHisData();
  if (records == nullptr) return;
  for (int r = 0; r < data.GetHisDataNum(); ++r) {
    CKestrelHisData& record = records[r];
    const int series = AddSeries(1);
    SetHeader(series, record.GetTernCode(), record.GetPeriodType(), record.GetHisType(),
              record.GetStatusNew(), record.GetStatusOld());
    Series(series).indIndex = record.GetIndIndex();
    if (record.GetSecurityType() != nullptr) SetSecurityType(series, record.GetSecurityType());
    CIndexToValue& values = *record.GetIndexToValue();
    if (values.GetIndexValue() == nullptr) continue;
    for (int i = 0; i < values.GetNum(); ++i) {
      const CIndexValue& from = values.GetIndexValue()[i];
      const int type = values.GetValueType()[i];
      const int count = values.GetOneIndexValueNum()[i];
      const int rows = HasArray(from, type) ? count : 0;
      StoredSeries& s = Series(series);
      StoredColumn& column = NewColumn(s, values.GetIndexId()[i], type, rows);
      column.rows = count;
      CIndexValue& to = s.values[static_cast<size_t>(s.columnCount - 1)];
      const auto n = static_cast<size_t>(std::max(rows, 0));
      switch (type) {
        case kValueIntArray:
          std::copy_n(from.pnValue, n, to.pnValue);
          break;
        case kValueDoubleArray:
          std::copy_n(from.pdValue, n, to.pdValue);
          break;
        case kValueInt64Array:
          std::copy_n(from.pllValue, n, to.pllValue);
          break;
        case kValueTextArray:
          for (size_t k = 0; k < n; ++k) {
            const char* text = from.ppcValue[k];
            to.ppcValue[k] = text != nullptr ? StoreText(text) : nullptr;
          }
          break;
        case kValueText:
          to.pcValue = from.pcValue != nullptr ? StoreText(from.pcValue) : nullptr;
          break;
        default:
          to = from;  // single values
          break;
      }
    }
  }
}

}  // namespace kestrel
