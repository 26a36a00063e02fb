// Counts read from the wire: the one rule every decoder applies to them.
//
// A decode honours every count the protocol announces, even when the message
// ends before the elements do: a message that ends early still yields the
// counts it announced, and the elements past its end read as zero or empty.
// What bounds a count is memory, not bytes: all the counts of one message
// together may grant at most CDecodeCode::kCountBudgetPerByte bytes of result
// memory per byte of the message, plus CDecodeCode::kCountBudgetFixed. A count that would take
// the message past that budget is cut to what the budget still holds, so a
// forged count of 2^31 allocates no more than a short message may hold.
// Elements that take bytes are still read only while bytes remain.
#ifndef KESTREL_CODEC_WIRECOUNTS_H
#define KESTREL_CODEC_WIRECOUNTS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codec/DecodeCode.h"

namespace kestrel {

// Together with the records themselves and the working buffers, that
// budget keeps a decode within 64 bytes per message byte plus 256 KiB.

// Bytes a heap block costs beyond its elements (the allocator's header and
// rounding), counted once per allocation that an element brings with it.
inline constexpr int64_t kBlockOverheadBytes = 16;

// The count a decode honours of `wire` elements that hold `elementBytes`
// bytes of memory each: a negative count is 0; a count the budget of the
// message cannot grant is cut to what it still can. The granted bytes are
// taken from the budget.
inline int HonouredCount(int64_t wire, int64_t elementBytes, CDecodeCode& code) {
  if (wire <= 0) return 0;
  const int64_t each = std::max<int64_t>(elementBytes, 1);
  int64_t bytes;
  if (!__builtin_mul_overflow(wire, each, &bytes) && bytes <= code.CountBudget()) {
    // The budget grants the whole count, found without a division.
    code.Spend(bytes);
    return static_cast<int>(wire);
  }
  const auto count = static_cast<int>(std::min(wire, code.CountBudget() / each));
  code.Spend(count * each);
  return count;
}

// A 32-bit value sent as an unsigned stop-bit number that stands for a
// signed one: the value as the 32-bit two's complement it wraps to.
inline int32_t ReadWrappedInt32(CDecodeCode& code) {
  return static_cast<int32_t>(ReadUInt32(code));
}

}  // namespace kestrel

#endif  // KESTREL_CODEC_WIRECOUNTS_H
