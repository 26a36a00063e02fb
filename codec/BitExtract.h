// Reading a stop-bit field with one bit extraction (the x86 BMI2 `pext`
// instruction), where the processor has a fast one: the 7-bit groups of a
// word's bytes are gathered in one step instead of the three shift-and-mask
// steps of stopbit::JoinGroups. Callers pick the way once, by
// HasFastBitExtract(), and both ways give the same numbers bit for bit.
#ifndef KESTREL_CODEC_BITEXTRACT_H
#define KESTREL_CODEC_BITEXTRACT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"

namespace kestrel {

// True when this processor extracts bits in one fast instruction. Some
// processors have the instruction but run it in microcode, many times
// slower than the shifts it replaces: they answer false. Worked out when
// the library is loaded; before that it reads false, which is always safe.
extern const bool kFastBitExtract;
inline bool HasFastBitExtract() { return kFastBitExtract; }

#if defined(__GNUC__) && defined(__x86_64__)
inline constexpr bool kBitExtractBuilt = true;
// The bits of x where mask has ones, packed at the bottom in their order.
// Only called after HasFastBitExtract() said yes.
inline uint64_t ExtractBits(uint64_t x, uint64_t mask) {
  uint64_t packed;
  __asm__("pextq %2, %1, %0" : "=r"(packed) : "r"(x), "r"(mask));
  return packed;
}
// The low bits of x spread to where mask has ones, in their order (pdep):
// with x a single bit 1 << k, the k-th lowest one of mask, counting from 0.
inline uint64_t DepositBits(uint64_t x, uint64_t mask) {
  uint64_t spread;
  __asm__("pdepq %2, %1, %0" : "=r"(spread) : "r"(x), "r"(mask));
  return spread;
}
// The number of ones in x (every processor with a fast pdep counts them in
// one instruction).
inline int CountBits(uint64_t x) {
  uint64_t count;
  __asm__("popcntq %1, %0" : "=r"(count) : "r"(x));
  return static_cast<int>(count);
}
#else
inline constexpr bool kBitExtractBuilt = false;
inline uint64_t ExtractBits(uint64_t x, uint64_t) { return x; }  // never called
inline uint64_t DepositBits(uint64_t x, uint64_t) { return x; }  // never called
inline int CountBits(uint64_t) { return 0; }                     // never called
#endif

// The shift from the top of a word down to a field of n bytes, by n - 1:
// 64 - 7n.
inline constexpr uint8_t kFieldShifts[CDecodeCode::kWordBytes] = {57, 50, 43, 36, 29, 22, 15, 8};

// The stop bits of the bytes that a field beginning kSkip bytes into a
// word may take, as far as the word reaches: ReadUInt32 reads at most
// kMaxUInt32Bytes bytes, ReadInt64 at most kMaxInt64Bytes.
constexpr uint64_t FieldStops(int skip, int longest) {
  const int width = std::min(longest, CDecodeCode::kWordBytes - skip);
  return (stopbit::kStopBits >> (stopbit::kBitsPerByte * (CDecodeCode::kWordBytes - width)))
         << (stopbit::kBitsPerByte * skip);
}

// The index in a word of the byte whose stop bit is the lowest of `stops`.
inline size_t StopByte(uint64_t stops) {
  return static_cast<unsigned>(__builtin_ctzll(stops)) / stopbit::kBitsPerByte;
}

// The number of the stop-bit field that begins kSkip bytes into `word` and
// ends at its byte `stopByte` (the first stop byte from kSkip on, found
// among the FieldStops of its kind), read as ReadUInt32 reads it when isUnsigned
// (widened without sign) and as ReadInt64 otherwise. kExtract picks the
// way the groups are joined.
template <bool kExtract, int kSkip>
KESTREL_RUN_INLINE int64_t FieldInWord(uint64_t word, size_t stopByte, bool isUnsigned) {
  const size_t bytes = stopByte + 1 - kSkip;
  if constexpr (!kExtract) {
    return StopBitRun::FieldOfWord(word >> (stopbit::kBitsPerByte * kSkip), static_cast<int>(bytes),
                                   isUnsigned);
  } else {
    // All eight groups, the first byte's highest (bits 49 to 55), moved up
    // so that the field's first group is the top of the word; the field is
    // the top 7n bits, shifted down with or without its sign. Five unsigned
    // groups carry 35 bits, of which the top ones drop, as in 32-bit
    // shifting.
    constexpr int kAbove =
        stopbit::kWordBits - stopbit::kJoinedBits + stopbit::kBitsPerGroup * kSkip;
    const uint64_t top = ExtractBits(__builtin_bswap64(word), stopbit::kGroupBits) << kAbove;
    const int shift = kFieldShifts[bytes - 1];
    if (isUnsigned) return static_cast<uint32_t>(top >> shift);
    return static_cast<int64_t>(top) >> shift;
  }
}

}  // namespace kestrel

#endif  // KESTREL_CODEC_BITEXTRACT_H
