// The oracle of the reusable series set: what a KestrelSeriesSet holds after
// a message must be what DecodeOneMessage's history records of the same
// message hold, field for field and value for value (numbers compared by
// their bits). Read through the exported interface only.
#ifndef KESTREL_TESTS_SUPPORT_SERIESORACLE_H
#define KESTREL_TESTS_SUPPORT_SERIESORACLE_H

#include <cstring>
#include <string>

#include "KestrelUtils.h"

namespace kt {

// Types whose result holds the history records of a series message.
inline bool IsSeriesMessageType(int type) {
  for (const int series : {3, 5, 6, 17, 18, 21, 130}) {
    if (type == series) return true;
  }
  return false;
}

namespace detail {

inline bool SameText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return std::strcmp(a, b) == 0;
}

// The array of a record's entry of type code `type`, as the set gives it.
inline const void* ArrayOf(const CIndexValue& value, int type) {
  switch (type) {
    case 12:
      return value.pnValue;
    case 13:
      return value.pdValue;
    case 14:
      return value.pllValue;
    case 21:
      return value.ppcValue;
    default:
      return nullptr;
  }
}

inline size_t ElementSize(int type) {
  switch (type) {
    case 12:
      return sizeof(int);
    case 13:
      return sizeof(double);
    case 14:
      return sizeof(int64_t);
    default:
      return 0;
  }
}

// What differs between column `i` of the set's series `s` and entry `i` of
// `values`; empty when they agree.
inline std::string ColumnMismatch(const KestrelSeriesSet& set, int s, int i,
                                  CIndexToValue& values) {
  KestrelSeriesColumn column{};
  if (!set.GetColumn(s, i, &column)) return "column missing";
  const int type = values.GetValueType()[i];
  const int count = values.GetOneIndexValueNum()[i];
  if (column.IndexId != values.GetIndexId()[i]) return "id";
  if (column.ValueType != type) return "value type";
  if (column.Rows != count) return "rows";
  // Without rows there is nothing to compare: whether a record holds an
  // empty array then depends on the memory layer underneath.
  if (count < 1) return "";
  const void* want = ArrayOf(values.GetIndexValue()[i], type);
  if ((want == nullptr) != (column.Values == nullptr)) return "array presence";
  if (want == nullptr) return "";
  if (type == 21) {
    const auto* wantTexts = static_cast<char* const*>(want);
    const auto* gotTexts = static_cast<char* const*>(column.Values);
    for (int k = 0; k < count; ++k) {
      if (!SameText(wantTexts[k], gotTexts[k])) return "text row " + std::to_string(k);
    }
    return "";
  }
  const size_t bytes = ElementSize(type) * static_cast<size_t>(count);
  return std::memcmp(want, column.Values, bytes) == 0 ? "" : "values";
}

}  // namespace detail

// What differs between the series of `set` and the history records of the
// result that DecodeOneMessage gave for the same message with `type`;
// empty when they agree.
inline std::string SeriesMismatch(const KestrelSeriesSet& set, char* result, int type) {
  CKestrelData* data = result != nullptr && IsSeriesMessageType(type)
                           ? reinterpret_cast<CKestrelData*>(result)
                           : nullptr;
  CKestrelHisData* records = data != nullptr ? data->GetKestrelHisData() : nullptr;
  const int want = records != nullptr ? data->GetHisDataNum() : 0;
  if (set.GetSeriesNum() != want) {
    return "series " + std::to_string(set.GetSeriesNum()) + " for " + std::to_string(want);
  }
  for (int s = 0; s < want; ++s) {
    CKestrelHisData& record = records[s];
    KestrelSeriesHeader header{};
    const std::string at = "series " + std::to_string(s) + ": ";
    if (!set.GetHeader(s, &header)) return at + "header missing";
    if (!detail::SameText(header.TernCode, record.GetTernCode())) return at + "code";
    if (!detail::SameText(header.SecurityType, record.GetSecurityType())) return at + "type";
    if (header.PeriodType != record.GetPeriodType()) return at + "period";
    if (header.HisType != record.GetHisType()) return at + "history type";
    if (header.StatusNew != record.GetStatusNew() || header.StatusOld != record.GetStatusOld()) {
      return at + "status";
    }
    if (header.IndIndex != record.GetIndIndex()) return at + "indicator";
    CIndexToValue& values = *record.GetIndexToValue();
    const int columns = values.GetIndexValue() != nullptr ? values.GetNum() : 0;
    if (header.ColumnNum != columns) return at + "column count";
    for (int i = 0; i < columns; ++i) {
      const std::string column = detail::ColumnMismatch(set, s, i, values);
      if (!column.empty()) return at + "column " + std::to_string(i) + ": " + column;
    }
  }
  return "";
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_SERIESORACLE_H
