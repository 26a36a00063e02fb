// The indicator catalogue: the value type of every indicator id, and the
// setup of a record's columns from a list of ids.
//
// The type code of a value is not on the wire. It follows from the indicator
// id (through one table of id ranges) and from whether the record holds
// single values (a quote) or one array per indicator (a history series).
// CKestrelCode's private catalogue operations are thin faces over these.
#ifndef KESTREL_MODEL_INDICATORCATALOGUE_H
#define KESTREL_MODEL_INDICATORCATALOGUE_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "model/OwnedArray.h"
#include "model/ValueTypes.h"

class CKestrelQuoteData;
class CKestrelHisData;

// What one indicator's values are. Ids the table does not name are doubles.
enum class IndicatorBaseType : uint8_t { kDouble, kInt, kInt64, kChar, kText };

namespace indicator_catalogue {

using Base = IndicatorBaseType;

// Ids first .. last (inclusive) carry values of `type`.
struct IdRange {
  int first;
  int last;
  Base type;
};

// The catalogue, grouped by base type in the protocol's order. Ids that no
// row names are doubles; the double rows list the ids the protocol names as
// double and change nothing.
inline constexpr IdRange kIdRanges[] = {
    // 32-bit integers.
    {1, 2, Base::kInt},      // date yyyymmdd, time hhmmss
    {56, 58, Base::kInt},    // 56 per-deal flag bit; 57, 58 also sent as counted lists
    {76, 76, Base::kInt},    // futures K-line column
    {91, 91, Base::kInt},    // level-2 order queue
    {102, 102, Base::kInt},  // integer quote field
    {138, 141, Base::kInt},  // integer quote fields
    {155, 156, Base::kInt},  // 155 market events, 156 its own series
    {327, 329, Base::kInt},  // integer quote fields
    // 64-bit integers.
    {8, 10, Base::kInt64},     // 8 volume
    {31, 35, Base::kInt64},    // 64-bit quote fields
    {41, 45, Base::kInt64},    // 64-bit quote fields
    {54, 55, Base::kInt64},    // 64-bit quote fields
    {59, 59, Base::kInt64},    // amount
    {78, 78, Base::kInt64},    // futures deal column
    {92, 92, Base::kInt64},    // bond deal column
    {134, 135, Base::kInt64},  // 64-bit quote fields (136 and 137 are doubles)
    {152, 152, Base::kInt64},  // has its own series
    {154, 154, Base::kInt64},  // 64-bit quote field
    {186, 186, Base::kInt64},  // 64-bit quote field
    {198, 199, Base::kInt64},  // 64-bit quote fields
    {202, 202, Base::kInt64},  // 64-bit quote field
    {213, 213, Base::kInt64},  // 64-bit quote field
    {330, 331, Base::kInt64},  // 64-bit quote fields (332 is a double)
    {333, 339, Base::kInt64},  // 64-bit quote fields
    {342, 342, Base::kInt64},  // 64-bit quote field
    {345, 345, Base::kInt64},  // 64-bit quote field
    {348, 348, Base::kInt64},  // 64-bit quote field
    {350, 350, Base::kInt64},  // 64-bit quote field
    {483, 484, Base::kInt64},  // 64-bit quote fields
    {488, 490, Base::kInt64},  // 64-bit quote fields
    // Texts.
    {130, 133, Base::kText},  // texts sent as sized strings
    {480, 480, Base::kText},  // text sent as a sized string
    // Doubles named by the protocol.
    {3, 7, Base::kDouble},      // 3, 5, 6, 7 prices
    {11, 19, Base::kDouble},    // scaled quote fields
    {22, 22, Base::kDouble},    // scaled quote field
    {74, 74, Base::kDouble},    // futures K-line column
    {79, 81, Base::kDouble},    // 79 average price
    {85, 85, Base::kDouble},    // scaled quote field
    {150, 150, Base::kDouble},  // corporate actions: amount of each action
    {174, 176, Base::kDouble},  // scaled quote fields
    {180, 180, Base::kDouble},  // scaled quote field
    {182, 182, Base::kDouble},  // scaled quote field
    {187, 189, Base::kDouble},  // scaled quote fields
    {205, 207, Base::kDouble},  // scaled quote fields
    {230, 230, Base::kDouble},  // open fund value
    {332, 332, Base::kDouble},  // scaled quote field
};

constexpr int HighestListedId() {
  int highest = 0;
  for (const IdRange& range : kIdRanges) highest = std::max(highest, range.last);
  return highest;
}

// The table unrolled by id, so a lookup is one index.
inline constexpr auto kBaseTypeById = [] {
  std::array<Base, HighestListedId() + 1> byId{};
  for (Base& type : byId) type = Base::kDouble;
  for (const IdRange& range : kIdRanges) {
    for (int id = range.first; id <= range.last; ++id) byId[id] = range.type;
  }
  return byId;
}();

// Type codes of each base type, single and series forms; indexed by Base.
struct TypeCodes {
  int single;
  int series;
};
inline constexpr TypeCodes kTypeCodes[] = {
    {kValueDouble, kValueDoubleArray},  // kDouble
    {kValueInt, kValueIntArray},        // kInt
    {kValueInt64, kValueInt64Array},    // kInt64
    {kValueChar, kValueText},           // kChar: no indicator uses it
    {kValueText, kValueTextArray},      // kText
};

}  // namespace indicator_catalogue

inline IndicatorBaseType IndicatorBaseTypeOf(int id) {
  using indicator_catalogue::kBaseTypeById;
  if (id < 0 || id >= static_cast<int>(kBaseTypeById.size())) return IndicatorBaseType::kDouble;
  return kBaseTypeById[static_cast<size_t>(id)];
}
// The type code of a value of `type`: its single form, or its series form
// when `series` is true.
inline int ValueTypeCodeOf(IndicatorBaseType type, bool series) {
  const indicator_catalogue::TypeCodes& codes =
      indicator_catalogue::kTypeCodes[static_cast<int>(type)];
  return series ? codes.series : codes.single;
}
// The type code of indicator `id`'s values.
inline int IndicatorValueType(int id, bool series) {
  return ValueTypeCodeOf(IndicatorBaseTypeOf(id), series);
}

// Sizes the quote's container for `num` indicators: ids from `ids`, single
// value types, count 1 each, values zeroed for the decoder to fill. What the
// container held before is released.
void PrepareQuoteColumns(CKestrelQuoteData* quote, int num, const int* ids);
// Sizes the series record's container for `num` indicators with `count`
// time points each: ids from `ids`, series value types and, when count is at
// least 1, an array of `count` elements per entry (zeroed, unless `fill`
// is kestrel::Fill::kNone and the caller writes every element of the number
// arrays); with a smaller count every entry has count 0 and no array. What
// the container held before is released.
void PrepareSeriesColumns(CKestrelHisData* his, int num, const int* ids, int count,
                          kestrel::Fill fill = kestrel::Fill::kZero);
// Copies to `selected`, in order, the first `num` ids whose bit is set in
// `mask` (the first id is bit 0x80 of mask[0], the ninth bit 0x80 of
// mask[1]) and returns how many it copied. `selected` needs room for num
// ids, `mask` for (num + 7) / 8 bytes.
int SelectMaskedIds(const int* ids, int num, const char* mask, int* selected);

#endif  // KESTREL_MODEL_INDICATORCATALOGUE_H
