// The correction of futures and gold integers that carry extra places,
// worked out once per security: a decoder classifies the code once and then
// applies the scale to each value of the few indicators it concerns.
#ifndef KESTREL_CODES_FIXSCALE_H
#define KESTREL_CODES_FIXSCALE_H

#include <cstdint>
#include <string>

#include "codes/IdList.h"

namespace kestrel {

struct FixScale {
  bool none = true;            // the security's values need no correction
  int64_t setADivisor = 1;     // applied to the ids of set A
  int64_t setBMultiplier = 1;  // applied to the ids of set B, then
  int64_t setBDivisor = 1;     // this divisor
};

// Futures and gold indicators whose integers carry extra places: set A is
// divided by 100, set B by 10 (futures) or rescaled by metal (gold).
inline constexpr auto kFixedSetA = IdSet<64>("8 10 31-50 54 55");
inline constexpr auto kFixedSetB = IdSet<64>("9 59");

// True for the ids that a correction may concern (sets A and B).
constexpr bool IsFixedId(int indicatorId) {
  return InIdSet(kFixedSetA, indicatorId) || InIdSet(kFixedSetB, indicatorId);
}
// The scale of a code: classifies it as futures, gold exchange or neither.
FixScale FixScaleOf(char* code);
// The security type of a code through a per-thread memo of the last code
// classified: the values of one security come one after another.
const std::string& MemoizedSecurityType(char* code);
// The corrected value of indicator `indicatorId`.
int64_t ApplyFix(const FixScale& scale, int indicatorId, int64_t value);

}  // namespace kestrel

#endif  // KESTREL_CODES_FIXSCALE_H
