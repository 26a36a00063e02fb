// Reading a stop-bit field with one bit extraction (the x86 BMI2 `pext`
// instruction), where the processor has a fast one: the 7-bit groups of a
// word's bytes are gathered in one step instead of the three shift-and-mask
// steps of stopbit::JoinGroups. Callers pick the way once, by
// HasFastBitExtract(), and both ways give the same numbers bit for bit.
#ifndef KESTREL_CODEC_BITEXTRACT_H
#define KESTREL_CODEC_BITEXTRACT_H

#include <cstddef>
#include <cstdint>

#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"

namespace kestrel {

// True when this processor extracts bits in one fast instruction. Some
// processors have the instruction but run it in microcode, many times
// slower than the shifts it replaces: they answer false.
bool HasFastBitExtract();

#if defined(__GNUC__) && defined(__x86_64__)
inline constexpr bool kBitExtractBuilt = true;
// The bits of x where mask has ones, packed at the bottom in their order.
// Only called after HasFastBitExtract() said yes.
inline uint64_t ExtractBits(uint64_t x, uint64_t mask) {
  uint64_t packed;
  __asm__("pextq %2, %1, %0" : "=r"(packed) : "r"(x), "r"(mask));
  return packed;
}
#else
inline constexpr bool kBitExtractBuilt = false;
inline uint64_t ExtractBits(uint64_t x, uint64_t) { return x; }  // never called
#endif

// The shift from the top of a word down to a field of n bytes, by n - 1:
// 64 - 7n.
inline constexpr uint8_t kFieldShifts[CDecodeCode::kWordBytes] = {57, 50, 43, 36, 29, 22, 15, 8};

// The number of the stop-bit field that `word` begins with, read as
// ReadUInt32 reads it when isUnsigned (widened without sign) and as
// ReadInt64 otherwise, and its length in `bytes`; 0 bytes (and 0) when no
// stop byte lies within the longest field of its kind, which the careful
// readers are left to read. kExtract picks the way the groups are joined.
template <bool kExtract>
KESTREL_RUN_INLINE int64_t FieldOfWord(uint64_t word, bool isUnsigned, size_t& bytes) {
  constexpr uint64_t kUnsignedStops =
      stopbit::kStopBits & ((uint64_t{1} << (stopbit::kBitsPerByte * kMaxUInt32Bytes)) - 1);
  constexpr uint64_t kSignedStops =
      stopbit::kStopBits & ((uint64_t{1} << (stopbit::kBitsPerByte * kMaxInt64Bytes)) - 1);
  const uint64_t stops = word & (isUnsigned ? kUnsignedStops : kSignedStops);
  if (__builtin_expect(stops == 0, 0)) {
    bytes = 0;
    return 0;
  }
  // The stop bit of byte n - 1 is bit 8n - 1.
  const size_t below = static_cast<unsigned>(__builtin_ctzll(stops)) >> 3;  // before the stop
  bytes = below + 1;
  if constexpr (!kExtract) {
    return StopBitRun::FieldOfWord(word, static_cast<int>(bytes), isUnsigned);
  } else {
    // All eight groups, the first byte's highest (bits 49 to 55), moved to
    // the top of the word; the field is the top 7n bits, shifted down with
    // or without its sign. Five unsigned groups carry 35 bits, of which the
    // top ones drop, as in 32-bit shifting.
    constexpr int kAboveGroups = stopbit::kWordBits - stopbit::kJoinedBits;
    const uint64_t top = ExtractBits(__builtin_bswap64(word), stopbit::kGroupBits) << kAboveGroups;
    const int shift = kFieldShifts[below];
    if (isUnsigned) return static_cast<uint32_t>(top >> shift);
    return static_cast<int64_t>(top) >> shift;
  }
}

}  // namespace kestrel

#endif  // KESTREL_CODEC_BITEXTRACT_H
