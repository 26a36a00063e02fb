// Storing a number in a single-value entry of a CIndexToValue, as the
// entry's type code says: the one rule that the container's own setter and
// the quote decoders' in-line path share.
#ifndef KESTREL_MODEL_STOREVALUE_H
#define KESTREL_MODEL_STOREVALUE_H

#include <cmath>
#include <cstdint>
#include <limits>

#include "IndexToValue.h"
#include "model/ValueTypes.h"

namespace kestrel {

// `value` truncated toward zero into T. Values beyond T's range saturate at
// its limits and NaN gives 0, since a plain conversion of those is undefined.
template <typename T>
T TruncateToward0(double value) {
  using Limits = std::numeric_limits<T>;
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(Limits::min())) return Limits::min();
  if (value >= static_cast<double>(Limits::max())) return Limits::max();
  return static_cast<T>(value);
}

// The number into the member that type code `type` names; entries of other
// types (texts, arrays) are left alone.
inline void StoreNumber(CIndexValue& cell, int type, double value) {
  switch (type) {
    case kValueInt:
      cell.nValue = TruncateToward0<int>(value);
      break;
    case kValueDouble:
      cell.dValue = value;
      break;
    case kValueInt64:
      cell.llValue = TruncateToward0<int64_t>(value);
      break;
    default:
      break;
  }
}

}  // namespace kestrel

#endif  // KESTREL_MODEL_STOREVALUE_H
