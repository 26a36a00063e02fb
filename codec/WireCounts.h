// Counts read from the wire, bounded by the bytes a message still holds.
#ifndef KESTREL_CODEC_WIRECOUNTS_H
#define KESTREL_CODEC_WIRECOUNTS_H

#include <algorithm>
#include <cstdint>

#include "codec/DecodeCode.h"

namespace kestrel {

// A count read from the wire as a number of elements to allocate: a
// negative count is 0, and no more elements than the bytes left can hold
// when each takes at least `minBytes` bytes. A forged count therefore
// cannot make a decoder allocate without bound.
inline int BoundedCount(int64_t wire, int minBytes, const CDecodeCode& code) {
  return static_cast<int>(std::clamp<int64_t>(wire, 0, code.Remaining() / minBytes));
}

}  // namespace kestrel

#endif  // KESTREL_CODEC_WIRECOUNTS_H
