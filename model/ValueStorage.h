// Making the storage of one entry of a CIndexToValue, with or without
// clearing it first.
#ifndef KESTREL_MODEL_VALUESTORAGE_H
#define KESTREL_MODEL_VALUESTORAGE_H

#include "IndexToValue.h"
#include "model/OwnedArray.h"

namespace kestrel {

// What CIndexToValue::SetIndexValueMemory does (storage of `index` by its
// type code and count, from the result memory layer), except that with
// Fill::kNone the number arrays (codes 12, 13 and 14) are not cleared: for a
// caller that writes every element before anyone reads it. Text buffers and
// text arrays are always cleared.
void MakeValueStorage(CIndexToValue& values, int index, Fill fill);
// Clears the number arrays (codes 12, 13 and 14) of the `n` entries from
// `first` on, each over its count: for storage made with Fill::kNone that
// nothing is going to write after all.
void ClearNumberArrays(CIndexToValue& values, int first, int n);

}  // namespace kestrel

#endif  // KESTREL_MODEL_VALUESTORAGE_H
