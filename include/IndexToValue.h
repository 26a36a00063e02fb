// CIndexToValue: the indicator values of one security, held in columns.
//
// Entry i is element i of four columns: the indicator id, the type code of
// the value, the value count and the value itself (a CIndexValue). A quote
// holds one single value per indicator; a history series holds, per
// indicator, an array with one element per time point. The container owns
// every array and text that a value points to, and every copy is deep.
//
// Type codes: 1 char, 2 int, 3 double, 4 64-bit int (single values);
// 11 text, 12 int array, 13 double array, 14 64-bit int array, 21 array of
// texts (series forms).
#ifndef KESTREL_INDEXTOVALUE_H
#define KESTREL_INDEXTOVALUE_H

#include <cstdint>

#include "KestrelExport.h"

// One value, eight bytes; the live member is given by the entry's type code.
// Assignment copies the eight bytes.
union KESTREL_API CIndexValue {
  char cValue;        // 1
  int nValue;         // 2
  double dValue;      // 3
  int64_t llValue;    // 4
  char* pcValue;      // 11: one owned text, or a buffer of `count` chars
  int* pnValue;       // 12: owned array of `count` ints
  double* pdValue;    // 13: owned array of `count` doubles
  int64_t* pllValue;  // 14: owned array of `count` 64-bit ints
  char** ppcValue;    // 21: owned array of `count` owned texts (or nulls)
};

class KESTREL_API CIndexToValue {
 public:
  // Empty: no entries and four null columns.
  CIndexToValue();
  ~CIndexToValue();

  int GetNum();
  // Stores the entry count alone; no column changes.
  void SetNum(int num);

  // The columns; callers index them directly and may write through them.
  // They stay valid until the next column setter, SetDatas, AddLength,
  // operator= or Clear.
  int* GetIndexId();
  int* GetValueType();
  int* GetOneIndexValueNum();
  CIndexValue* GetIndexValue();

  // Each releases its own column (SetIndexValue does not release the storage
  // of the old values) and makes a new one of GetNum() zeroed elements, or
  // null when the count is below 1. If a column cannot be obtained the whole
  // container is cleared, so the count never outruns the columns.
  void SetIndexId();
  void SetValueType();
  void SetOneIndexValueNum();
  void SetIndexValue();
  // The four column setters, in the order ids, types, counts, values.
  void SetDatas();

  // Sets every value count to `count`; nothing when that column is null.
  void SetOneIndexValueNumWithValue(int count);
  // Makes the storage of entry `index` by its type code and count: a buffer
  // of count chars (11), an array of count ints (12), doubles (13), 64-bit
  // ints (14) or text pointers (21), all zeroed. Nothing for other codes, for
  // an index outside 0 .. GetNum()-1, or without type or value column. What
  // the entry held before is not released. When the storage cannot be
  // obtained the entry gets count 0 and a null value.
  void SetIndexValueMemory(int index);
  // Grows the container by `add` entries, keeping deep copies of the current
  // ones in front; the new entries are zeroed (type 0, null value) for the
  // caller to fill. Nothing when add is below 1; the container is left as it
  // was when the new columns cannot be obtained.
  void AddLength(int add);

  // Storing values. `index` and `element` are not checked; each does nothing
  // without a type or value column.
  // Type 2, 3 or 4: stores the int, double or 64-bit int at `value`.
  void SetOneNoPointerIndexValue(int index, void* value);
  // Type 2 or 4: `value` truncated toward zero (saturating at the limits of
  // the type; NaN gives 0); type 3: `value` itself.
  void SetOneNoPointerIndexValueByDouble(int index, double value);
  // Element `element` of the entry's array: type 12, 13 or 14 stores the
  // int, double or 64-bit int at `value`; type 21 copies the text at `value`
  // into the buffer that the element already points to, which must be large
  // enough. Nothing when the array (or, for 21, the element) is null.
  void SetOnePointerIndexValue(int index, int element, void* value);

  // Column form: for i from dstStart and j from srcStart while i is below
  // GetNum(), copies id, type and count j to position i and a deep copy of
  // value j to value i. The destination positions are overwritten without
  // being released. A value whose storage cannot be copied gets count 0 and
  // a null value; a text that cannot be copied stays null.
  void SetNewValue(int* dstIds, CIndexValue* dstValues, int* dstCounts, int* dstTypes, int* srcIds,
                   CIndexValue* srcValues, int* srcCounts, int* srcTypes, int dstStart,
                   int srcStart);
  // The same between the columns of two containers, while i is below
  // dst.GetNum(); the container it is called on takes no part.
  void SetNewValue(CIndexToValue& dst, CIndexToValue& src, int dstStart, int srcStart);

  // Deep copy; assigning a container to itself does nothing. When the new
  // columns cannot be obtained the target is left empty.
  CIndexToValue& operator=(CIndexToValue& src);

  // Releases every value's storage by its type code, then the four columns;
  // the container is empty afterwards.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  CIndexToValue(const CIndexToValue&) = delete;

  int Num;
  int* IndexId;
  int* ValueType;
  int* OneIndexValueNum;
  CIndexValue* IndexValue;
};

#endif  // KESTREL_INDEXTOVALUE_H
