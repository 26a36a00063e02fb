// The indicator catalogue: one table from indicator id ranges to the base
// type of their values, and the column setup built on it.
#include "model/IndicatorCatalogue.h"

#include <algorithm>
#include <array>

#include "KestrelCode.h"
#include "KestrelRecords.h"
#include "model/ValueTypes.h"

namespace {

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
constexpr IdRange kIdRanges[] = {
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
constexpr auto kBaseTypeById = [] {
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
constexpr TypeCodes kTypeCodes[] = {
    {kValueDouble, kValueDoubleArray},  // kDouble
    {kValueInt, kValueIntArray},        // kInt
    {kValueInt64, kValueInt64Array},    // kInt64
    {kValueChar, kValueText},           // kChar: no indicator uses it
    {kValueText, kValueTextArray},      // kText
};

// Empties `columns`, then gives it one zeroed entry per id with the id and
// its type code. Returns the number of entries made: 0 for no ids, and when
// the columns cannot be obtained.
int SizeColumnsForIds(CIndexToValue& columns, int num, const int* ids, bool series) {
  columns.Clear();
  if (ids == nullptr || num < 1) return 0;
  columns.SetNum(num);
  columns.SetDatas();
  for (int i = 0; i < columns.GetNum(); ++i) {
    columns.GetIndexId()[i] = ids[i];
    columns.GetValueType()[i] = IndicatorValueType(ids[i], series);
  }
  return columns.GetNum();
}

constexpr int kBitsPerByte = 8;
constexpr unsigned kFirstBitOfByte = 0x80;

}  // namespace

IndicatorBaseType IndicatorBaseTypeOf(int id) {
  if (id < 0 || id >= static_cast<int>(kBaseTypeById.size())) return Base::kDouble;
  return kBaseTypeById[id];
}

int ValueTypeCodeOf(IndicatorBaseType type, bool series) {
  const TypeCodes& codes = kTypeCodes[static_cast<int>(type)];
  return series ? codes.series : codes.single;
}

int IndicatorValueType(int id, bool series) {
  return ValueTypeCodeOf(IndicatorBaseTypeOf(id), series);
}

void PrepareQuoteColumns(CKestrelQuoteData* quote, int num, const int* ids) {
  if (quote == nullptr) return;
  CIndexToValue& columns = *quote->GetIndexToValue();
  SizeColumnsForIds(columns, num, ids, false);
  columns.SetOneIndexValueNumWithValue(1);
}

void PrepareSeriesColumns(CKestrelHisData* his, int num, const int* ids, int count) {
  if (his == nullptr) return;
  CIndexToValue& columns = *his->GetIndexToValue();
  const int made = SizeColumnsForIds(columns, num, ids, true);
  // Below one time point an entry has count 0 and keeps its null value.
  columns.SetOneIndexValueNumWithValue(count > 0 ? count : 0);
  if (count < 1) return;
  for (int i = 0; i < made; ++i) columns.SetIndexValueMemory(i);
}

int SelectMaskedIds(const int* ids, int num, const char* mask, int* selected) {
  if (ids == nullptr || mask == nullptr || selected == nullptr) return 0;
  int taken = 0;
  for (int i = 0; i < num; ++i) {
    const auto byte = static_cast<unsigned char>(mask[i / kBitsPerByte]);
    if ((byte & (kFirstBitOfByte >> (i % kBitsPerByte))) != 0) selected[taken++] = ids[i];
  }
  return taken;
}

int CKestrelCode::FindValueTypeByIndexId(int id, bool series) {
  return IndicatorValueType(id, series);
}

int CKestrelCode::FindIntType(bool series) { return ValueTypeCodeOf(Base::kInt, series); }

int CKestrelCode::FindInt64Type(bool series) { return ValueTypeCodeOf(Base::kInt64, series); }

int CKestrelCode::FindDoubleType(bool series) { return ValueTypeCodeOf(Base::kDouble, series); }

int CKestrelCode::FindCharType(bool series) { return ValueTypeCodeOf(Base::kChar, series); }

int CKestrelCode::FindCharPointerType(bool series) { return ValueTypeCodeOf(Base::kText, series); }

void CKestrelCode::SetQuoteDataIndexToValue(CKestrelQuoteData* quote, int num, int* ids) {
  PrepareQuoteColumns(quote, num, ids);
}

void CKestrelCode::SetHisDataIndexToValue(CKestrelHisData* his, int num, int* ids, int count) {
  PrepareSeriesColumns(his, num, ids, count);
}

int CKestrelCode::GetInds(int* ids, int num, char* mask, int* selected) {
  return SelectMaskedIds(ids, num, mask, selected);
}
