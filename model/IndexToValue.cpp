// CIndexToValue: columns of indicator values with deep-copy ownership.
#include "IndexToValue.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/OwnedArray.h"
#include "model/StoreValue.h"
#include "model/ValueStorage.h"
#include "model/ValueTypes.h"

namespace {

// Every array of the container comes from the result memory layer.
using Arrays = kestrel::ResultArrays;

// True when any of the n types names a value that owns memory (texts and
// arrays): single numbers, most entries of a quote, own nothing, so a
// quote's columns are mostly released without a look at each entry. Four
// types are compared at once where SSE2 is there.
bool AnyOwning(const int* types, int n) {
  int i = 0;
#if defined(__SSE2__)
  constexpr int kLane = sizeof(__m128i) / sizeof(int);
  const __m128i lastNumber = _mm_set1_epi32(kValueText - 1);
  __m128i owning = _mm_setzero_si128();
  for (; i + kLane <= n; i += kLane) {
    const __m128i lane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(types + i));
    owning = _mm_or_si128(owning, _mm_cmpgt_epi32(lane, lastNumber));
  }
  if (_mm_movemask_epi8(owning) != 0) return true;
#endif
  for (; i < n; ++i) {
    if (types[i] >= kValueText) return true;
  }
  return false;
}

// Stores in `dst` a copy of the `count` elements at `src`. False when a copy
// was due but could not be obtained.
template <typename T>
bool CopyElements(T*& dst, T* src, int count) {
  dst = TryNewArrayCopy<Arrays>(src, count);
  return dst != nullptr || src == nullptr || count < 1;
}

// Deep copy of one value of type code `type` and count `count` into a fresh
// destination. Returns false when owned storage was due but could not be
// obtained; the destination value is then null.
bool CopyValue(CIndexValue& dst, const CIndexValue& src, int type, int count) {
  switch (type) {
    case kValueInt:
    case kValueDouble:
    case kValueInt64:
      dst = src;
      return true;
    case kValueText:
      dst.pcValue = TryNewTextCopy<Arrays>(src.pcValue);
      return dst.pcValue != nullptr || src.pcValue == nullptr;
    case kValueIntArray:
      return CopyElements(dst.pnValue, src.pnValue, count);
    case kValueDoubleArray:
      return CopyElements(dst.pdValue, src.pdValue, count);
    case kValueInt64Array:
      return CopyElements(dst.pllValue, src.pllValue, count);
    case kValueTextArray:
      dst.ppcValue = TryNewTextArrayCopy<Arrays>(src.ppcValue, count);
      return dst.ppcValue != nullptr || src.ppcValue == nullptr || count < 1;
    default:
      // Code 1 and unknown codes carry nothing: the destination is not set.
      return true;
  }
}

// Releases the storage that a value of type code `type` and count `count`
// owns and nulls the pointer.
void ReleaseValue(CIndexValue& value, int type, int count) {
  switch (type) {
    case kValueText:
      ReleaseArray<Arrays>(value.pcValue);
      break;
    case kValueIntArray:
      ReleaseArray<Arrays>(value.pnValue);
      break;
    case kValueDoubleArray:
      ReleaseArray<Arrays>(value.pdValue);
      break;
    case kValueInt64Array:
      ReleaseArray<Arrays>(value.pllValue);
      break;
    case kValueTextArray:
      ReleaseTextArray<Arrays>(value.ppcValue, count);
      break;
    default:
      break;
  }
}

// Replaces `column` by `num` zeroed elements (null when num is below 1).
// False when they could not be obtained.
template <typename T>
bool RenewColumn(T*& column, int num) {
  ReleaseArray<Arrays>(column);
  column = TryNewArray<Arrays, T>(num);
  return column != nullptr || num < 1;
}

// The shared loop of both SetNewValue forms: positions dstStart .. end-1
// receive entries srcStart onward.
void CopyEntries(int* dstIds, CIndexValue* dstValues, int* dstCounts, int* dstTypes,
                 const int* srcIds, const CIndexValue* srcValues, const int* srcCounts,
                 const int* srcTypes, int dstStart, int srcStart, int end) {
  if (dstIds == nullptr || dstValues == nullptr || dstCounts == nullptr || dstTypes == nullptr ||
      srcIds == nullptr || srcValues == nullptr || srcCounts == nullptr || srcTypes == nullptr) {
    return;
  }
  for (int i = dstStart, j = srcStart; i < end; ++i, ++j) {
    dstIds[i] = srcIds[j];
    dstTypes[i] = srcTypes[j];
    dstCounts[i] = srcCounts[j];
    if (!CopyValue(dstValues[i], srcValues[j], srcTypes[j], srcCounts[j])) dstCounts[i] = 0;
  }
}

}  // namespace

void kestrel::MakeValueStorage(CIndexToValue& values, int index, Fill fill) {
  int* types = values.GetValueType();
  int* counts = values.GetOneIndexValueNum();
  if (types == nullptr || values.GetIndexValue() == nullptr || index < 0 ||
      index >= values.GetNum()) {
    return;
  }
  const int count = counts != nullptr ? counts[index] : 0;
  CIndexValue& value = values.GetIndexValue()[index];
  bool made = true;
  switch (types[index]) {
    case kValueText:
      made = (value.pcValue = TryNewArray<Arrays, char>(count)) != nullptr;
      break;
    case kValueIntArray:
      made = (value.pnValue = TryNewArray<Arrays, int>(count, fill)) != nullptr;
      break;
    case kValueDoubleArray:
      made = (value.pdValue = TryNewArray<Arrays, double>(count, fill)) != nullptr;
      break;
    case kValueInt64Array:
      made = (value.pllValue = TryNewArray<Arrays, int64_t>(count, fill)) != nullptr;
      break;
    case kValueTextArray:
      // Text pointers are always cleared: Clear releases every non-null one.
      made = (value.ppcValue = TryNewArray<Arrays, char*>(count)) != nullptr;
      break;
    default:
      return;
  }
  // No storage for a positive count: the entry says it holds nothing.
  if (!made && count > 0) counts[index] = 0;
}

void kestrel::ClearNumberArrays(CIndexToValue& values, int first, int n) {
  const int* types = values.GetValueType();
  const int* counts = values.GetOneIndexValueNum();
  CIndexValue* cells = values.GetIndexValue();
  if (types == nullptr || counts == nullptr || cells == nullptr || first < 0) return;
  const int end = n < values.GetNum() - first ? first + n : values.GetNum();
  for (int i = first; i < end; ++i) {
    const auto count = static_cast<size_t>(counts[i] > 0 ? counts[i] : 0);
    void* array = nullptr;
    size_t width = 0;
    switch (types[i]) {
      case kValueIntArray:
        array = cells[i].pnValue;
        width = sizeof(int);
        break;
      case kValueDoubleArray:
        array = cells[i].pdValue;
        width = sizeof(double);
        break;
      case kValueInt64Array:
        array = cells[i].pllValue;
        width = sizeof(int64_t);
        break;
      default:
        break;
    }
    if (array != nullptr) std::memset(array, 0, count * width);
  }
}

CIndexToValue::CIndexToValue()
    : Num(0),
      IndexId(nullptr),
      ValueType(nullptr),
      OneIndexValueNum(nullptr),
      IndexValue(nullptr) {}

CIndexToValue::~CIndexToValue() { Clear(); }

int CIndexToValue::GetNum() { return Num; }

void CIndexToValue::SetNum(int num) { Num = num; }

int* CIndexToValue::GetIndexId() { return IndexId; }

int* CIndexToValue::GetValueType() { return ValueType; }

int* CIndexToValue::GetOneIndexValueNum() { return OneIndexValueNum; }

CIndexValue* CIndexToValue::GetIndexValue() { return IndexValue; }

void CIndexToValue::SetIndexId() {
  if (!RenewColumn(IndexId, Num)) Clear();
}

void CIndexToValue::SetValueType() {
  if (!RenewColumn(ValueType, Num)) Clear();
}

void CIndexToValue::SetOneIndexValueNum() {
  if (!RenewColumn(OneIndexValueNum, Num)) Clear();
}

void CIndexToValue::SetIndexValue() {
  if (!RenewColumn(IndexValue, Num)) Clear();
}

void CIndexToValue::SetDatas() {
  SetIndexId();
  SetValueType();
  SetOneIndexValueNum();
  SetIndexValue();
}

void CIndexToValue::SetOneIndexValueNumWithValue(int count) {
  if (OneIndexValueNum == nullptr) return;
  int i = 0;
#if defined(__SSE2__)
  // Four counts per store: a quote's column of ones is set for every quote.
  constexpr int kLane = sizeof(__m128i) / sizeof(int);
  const __m128i counts = _mm_set1_epi32(count);
  for (; i + kLane <= Num; i += kLane) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(OneIndexValueNum + i), counts);
  }
#endif
  for (; i < Num; ++i) OneIndexValueNum[i] = count;
}

void CIndexToValue::SetIndexValueMemory(int index) {
  kestrel::MakeValueStorage(*this, index, kestrel::Fill::kZero);
}

void CIndexToValue::AddLength(int add) {
  if (add < 1 || Num > std::numeric_limits<int>::max() - add) return;
  const int kept = Num > 0 ? Num : 0;
  CIndexToValue grown;
  grown.SetNum(kept + add);
  grown.SetDatas();
  if (grown.Num != kept + add) return;
  if (kept > 0) {
    SetNewValue(grown.IndexId, grown.IndexValue, grown.OneIndexValueNum, grown.ValueType, IndexId,
                IndexValue, OneIndexValueNum, ValueType, 0, 0);
  }
  Clear();
  std::swap(Num, grown.Num);
  std::swap(IndexId, grown.IndexId);
  std::swap(ValueType, grown.ValueType);
  std::swap(OneIndexValueNum, grown.OneIndexValueNum);
  std::swap(IndexValue, grown.IndexValue);
}

void CIndexToValue::SetOneNoPointerIndexValue(int index, void* value) {
  if (ValueType == nullptr || IndexValue == nullptr || value == nullptr) return;
  CIndexValue& dst = IndexValue[index];
  switch (ValueType[index]) {
    case kValueInt:
      std::memcpy(&dst.nValue, value, sizeof dst.nValue);
      break;
    case kValueDouble:
      std::memcpy(&dst.dValue, value, sizeof dst.dValue);
      break;
    case kValueInt64:
      std::memcpy(&dst.llValue, value, sizeof dst.llValue);
      break;
    default:
      break;
  }
}

void CIndexToValue::SetOneNoPointerIndexValueByDouble(int index, double value) {
  if (ValueType == nullptr || IndexValue == nullptr) return;
  kestrel::StoreNumber(IndexValue[index], ValueType[index], value);
}

void CIndexToValue::SetOnePointerIndexValue(int index, int element, void* value) {
  if (ValueType == nullptr || IndexValue == nullptr || value == nullptr) return;
  CIndexValue& dst = IndexValue[index];
  switch (ValueType[index]) {
    case kValueIntArray:
      if (dst.pnValue != nullptr) std::memcpy(&dst.pnValue[element], value, sizeof(int));
      break;
    case kValueDoubleArray:
      if (dst.pdValue != nullptr) std::memcpy(&dst.pdValue[element], value, sizeof(double));
      break;
    case kValueInt64Array:
      if (dst.pllValue != nullptr) std::memcpy(&dst.pllValue[element], value, sizeof(int64_t));
      break;
    case kValueTextArray:
      // The element's buffer was sized by whoever made it.
      if (dst.ppcValue != nullptr && dst.ppcValue[element] != nullptr) {
        std::strcpy(dst.ppcValue[element], static_cast<const char*>(value));
      }
      break;
    default:
      break;
  }
}

void CIndexToValue::SetNewValue(int* dstIds, CIndexValue* dstValues, int* dstCounts, int* dstTypes,
                                int* srcIds, CIndexValue* srcValues, int* srcCounts, int* srcTypes,
                                int dstStart, int srcStart) {
  CopyEntries(dstIds, dstValues, dstCounts, dstTypes, srcIds, srcValues, srcCounts, srcTypes,
              dstStart, srcStart, Num);
}

void CIndexToValue::SetNewValue(CIndexToValue& dst, CIndexToValue& src, int dstStart,
                                int srcStart) {
  CopyEntries(dst.IndexId, dst.IndexValue, dst.OneIndexValueNum, dst.ValueType, src.IndexId,
              src.IndexValue, src.OneIndexValueNum, src.ValueType, dstStart, srcStart, dst.Num);
}

CIndexToValue& CIndexToValue::operator=(CIndexToValue& src) {
  if (this == &src) return *this;
  Clear();
  if (src.Num < 1) return *this;
  Num = src.Num;
  SetDatas();
  SetNewValue(IndexId, IndexValue, OneIndexValueNum, ValueType, src.IndexId, src.IndexValue,
              src.OneIndexValueNum, src.ValueType, 0, 0);
  return *this;
}

void CIndexToValue::Clear() {
  // Without the type column nobody knows what the values own; without the
  // count column a text array is released without its texts.
  if (IndexValue != nullptr && ValueType != nullptr && AnyOwning(ValueType, Num)) {
    for (int i = 0; i < Num; ++i) {
      if (ValueType[i] < kValueText) continue;
      const int count = OneIndexValueNum != nullptr ? OneIndexValueNum[i] : 0;
      ReleaseValue(IndexValue[i], ValueType[i], count);
    }
  }
  ReleaseArray<Arrays>(IndexValue);
  ReleaseArray<Arrays>(IndexId);
  ReleaseArray<Arrays>(ValueType);
  ReleaseArray<Arrays>(OneIndexValueNum);
  Num = 0;
}

void CIndexToValue::PrintLog() {}
