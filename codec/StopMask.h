// The stop bits of a run of message bytes gathered into one word, a bit per
// byte, where the processor does it in a few vector instructions (SSE2, on
// every x86-64): where the n-th field from a byte on ends is then found
// without reading the fields before it one by one.
#ifndef KESTREL_CODEC_STOPMASK_H
#define KESTREL_CODEC_STOPMASK_H

#include <cstdint>

#include "codec/BitExtract.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrel {

// Bytes a stop mask covers: one bit each.
inline constexpr int kStopMaskBytes = 64;

#if defined(__SSE2__)
inline constexpr bool kStopMasksBuilt = true;
// Bit i is the stop bit of bytes[i], for the kStopMaskBytes bytes from
// `bytes` on, all of which must lie inside the message.
inline uint64_t StopMask(const char* bytes) {
  // The stop bit is a byte's top bit: one movemask gathers sixteen.
  const auto lane = [bytes](int k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes) + k);
    return uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(v))};
  };
  return lane(0) | lane(1) << 16 | lane(2) << 32 | lane(3) << 48;
}
#else
inline constexpr bool kStopMasksBuilt = false;
inline uint64_t StopMask(const char*) { return 0; }  // never called
#endif

// Bytes NthStopByte looks at: all must lie inside the message.
inline constexpr int kNthStopReach = 2 * kStopMaskBytes;

// The index, from `bytes` on, of the byte that ends the n-th stop-bit field
// (n >= 1) within kNthStopReach bytes; -1 when fewer fields end there. Only
// called where stop masks are built and HasFastBitExtract() said yes.
inline int NthStopByte(const char* bytes, int n) {
  uint64_t stops = StopMask(bytes);
  int first = 0;
  int count = CountBits(stops);
  if (n > count) {
    n -= count;
    first = kStopMaskBytes;
    stops = StopMask(bytes + kStopMaskBytes);
    if (n > CountBits(stops)) return -1;
  }
  return first + __builtin_ctzll(DepositBits(uint64_t{1} << (n - 1), stops));
}

}  // namespace kestrel

#endif  // KESTREL_CODEC_STOPMASK_H
