// The indicator catalogue: one table from indicator id ranges to the base
// type of their values, and the column setup built on it.
#include "model/IndicatorCatalogue.h"

#include <algorithm>
#include <array>

#include "KestrelCode.h"
#include "KestrelRecords.h"
#include "model/ValueStorage.h"
#include "model/ValueTypes.h"

namespace {

using Base = IndicatorBaseType;

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

void PrepareQuoteColumns(CKestrelQuoteData* quote, int num, const int* ids) {
  if (quote == nullptr) return;
  CIndexToValue& columns = *quote->GetIndexToValue();
  SizeColumnsForIds(columns, num, ids, false);
  columns.SetOneIndexValueNumWithValue(1);
}

void PrepareSeriesColumns(CKestrelHisData* his, int num, const int* ids, int count,
                          kestrel::Fill fill) {
  if (his == nullptr) return;
  CIndexToValue& columns = *his->GetIndexToValue();
  const int made = SizeColumnsForIds(columns, num, ids, true);
  // Below one time point an entry has count 0 and keeps its null value.
  columns.SetOneIndexValueNumWithValue(count > 0 ? count : 0);
  if (count < 1) return;
  for (int i = 0; i < made; ++i) kestrel::MakeValueStorage(columns, i, fill);
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
