// StopBitRun: the reader of a column, many stop-bit values one after
// another from one cursor.
//
// It reads exactly what ReadUInt32 and ReadInt64 read, value for value and
// byte for byte, but keeps the position in a local copy while a column is
// walked: a codec that writes each row through an int pointer would
// otherwise make the compiler store and reload the cursor's position around
// every row, since such a store might change it. The cursor learns the
// position when the run ends (or before a careful read near the end).
// In a column neighbouring values mostly share a width, so a run also tells
// two-byte values apart by a test of their own (kTwoByteTest), and tries for
// a longer value the width of the last long one first: a test that, once
// predicted, spares the next read the wait for this one's bit scan.
#ifndef KESTREL_CODEC_STOPBITRUN_H
#define KESTREL_CODEC_STOPBITRUN_H

#include <cstdint>
#include <limits>

#include "codec/DecodeCode.h"

// A run's reads are forced in line: each is small once in its codec's loop,
// where the position stays in a register, but as a call it would not be.
#if defined(__GNUC__)
#define KESTREL_RUN_INLINE __attribute__((always_inline)) inline
#else
#define KESTREL_RUN_INLINE inline
#endif

class StopBitRun {
 public:
  explicit StopBitRun(CDecodeCode& code)
      : code_(code),
        buffer_(code.Buffer()),
        position_(code.Position()),
        // A negative start (no frame gives one) reads carefully throughout.
        lastWordStart_(position_ < 0 ? std::numeric_limits<int>::min()
                                     : code.Length() - CDecodeCode::kWordBytes) {}
  ~StopBitRun() { code_.MoveTo(position_); }
  StopBitRun(const StopBitRun&) = delete;
  StopBitRun& operator=(const StopBitRun&) = delete;

  KESTREL_RUN_INLINE uint32_t UInt32() {
    if (!WordInside()) return Careful(ReadUInt32Slow);
    const uint64_t word = CDecodeCode::WordAt(buffer_ + position_);
    int bytes;
    uint32_t value;
    if ((word & kStopBit) != 0) {
      bytes = 1;
      value = static_cast<uint32_t>(word & kGroupMask);
    } else if ((word & stopbit::kSecondStopBit) != 0) {
      bytes = stopbit::kTwoBytes;
      value = static_cast<uint32_t>(stopbit::TwoGroups(word));
    } else if (unsigned_.Matches(word)) {
      bytes = unsigned_.bytes;
      if (unsigned_.four) {
        value = stopbit::JoinFourGroups(word) >> unsigned_.fourShift;
      } else {
        value = static_cast<uint32_t>(stopbit::JoinGroups(word) >> unsigned_.shift);
      }
    } else {
      value = stopbit::UInt32OfWord(word, bytes);
      unsigned_.Learn(bytes, kMaxUInt32Bytes, stopbit::kJoinedBits, stopbit::kFourGroupBits);
    }
    position_ += bytes;
    return value;
  }
  // The same value as Int64, for columns whose values mix one and two bytes
  // at random: their length is picked without a branch, so a read waits for
  // the one before but never for a mispredicted branch.
  KESTREL_RUN_INLINE int64_t MixedShortInt64() {
    if (!WordInside()) return Careful(ReadInt64Slow);
    const uint64_t word = CDecodeCode::WordAt(buffer_ + position_);
    if ((word & (kStopBit | stopbit::kSecondStopBit)) == 0) return Int64();
    const uint64_t one = (word >> (stopbit::kBitsPerByte - 1)) & 1;  // the first byte's stop bit
    const auto oneByte = static_cast<uint64_t>(stopbit::SignedGroups(word, 1));
    const auto twoBytes =
        static_cast<uint64_t>(stopbit::SignedGroups(stopbit::TwoGroups(word), stopbit::kTwoBytes));
    const uint64_t pick = 0 - one;  // all ones for a one-byte value
    position_ += stopbit::kTwoBytes - static_cast<int>(one);
    return static_cast<int64_t>((oneByte & pick) | (twoBytes & ~pick));
  }
  // The index of the next byte the run reads.
  int Position() const { return position_; }
  // The number of a field of n bytes that `word` begins with, its last
  // byte the only stop byte among them (n at most kMaxUInt32Bytes when
  // `isUnsigned`, kMaxInt64Bytes otherwise), read as ReadUInt32 reads it
  // when `isUnsigned` (widened without sign) and as ReadInt64 otherwise.
  KESTREL_RUN_INLINE static int64_t FieldOfWord(uint64_t word, int n, bool isUnsigned) {
    const int groupBits = stopbit::kBitsPerGroup * n;
    if (n <= stopbit::kFourGroupBytes) {
      // Up to four bytes join in 32-bit steps, with short constants.
      const uint32_t joined = stopbit::JoinFourGroups(word);
      if (isUnsigned) return joined >> (stopbit::kFourGroupBits - groupBits);
      constexpr int kBelowFour = kThirtyTwoBits - stopbit::kFourGroupBits;
      return static_cast<int32_t>(joined << kBelowFour) >> (kThirtyTwoBits - groupBits);
    }
    const uint64_t joined = stopbit::JoinGroups(word);
    // Five groups carry 35 bits; as in 32-bit shifting, the top ones drop.
    if (isUnsigned) return static_cast<uint32_t>(joined >> (stopbit::kJoinedBits - groupBits));
    constexpr int kBelowGroups = stopbit::kWordBits - stopbit::kJoinedBits;
    return static_cast<int64_t>(joined << kBelowGroups) >> (stopbit::kWordBits - groupBits);
  }
  // True when the next kCount fields (by default as many as fill a word)
  // take kWidth bytes each: only the last byte of each has its stop bit
  // set. `word` then holds them, the first byte in the low byte (see
  // stopbit::FieldGroups), and the run moves past them; otherwise nothing
  // moves. A column of values of one width is then read with one load and
  // one test per word instead of one per field.
  template <int kWidth, int kCount = CDecodeCode::kWordBytes / kWidth>
  KESTREL_RUN_INLINE bool SameWidthFields(uint64_t& word) {
    static_assert(kWidth > 0 && kCount > 0 && kWidth * kCount <= CDecodeCode::kWordBytes,
                  "the fields lie in a word");
    constexpr int kBytes = kWidth * kCount;
    constexpr uint64_t kStops =
        stopbit::kStopBits >> (stopbit::kBitsPerByte * (CDecodeCode::kWordBytes - kBytes));
    constexpr uint64_t kEnds = stopbit::FieldEnds(kWidth, kCount);
    if (!WordInside()) return false;
    word = CDecodeCode::WordAt(buffer_ + position_);
    if ((word & kStops) != kEnds) return false;
    position_ += kBytes;
    return true;
  }
  KESTREL_RUN_INLINE int64_t Int64() {
    if (!WordInside()) return Careful(ReadInt64Slow);
    const uint64_t word = CDecodeCode::WordAt(buffer_ + position_);
    int bytes;
    int64_t value;
    if ((word & kStopBit) != 0) {
      bytes = 1;
      value = stopbit::SignedGroups(word, 1);
    } else if ((word & stopbit::kSecondStopBit) != 0) {
      bytes = stopbit::kTwoBytes;
      value = stopbit::SignedGroups(stopbit::TwoGroups(word), stopbit::kTwoBytes);
    } else if (signed_.Matches(word)) {
      bytes = signed_.bytes;
      if (signed_.four) {
        // The 28 bits moved to the top of 32, then shifted down with the sign.
        constexpr int kBelowFour = kThirtyTwoBits - stopbit::kFourGroupBits;
        value =
            static_cast<int32_t>(stopbit::JoinFourGroups(word) << kBelowFour) >> signed_.fourShift;
      } else {
        constexpr int kBelowGroups = stopbit::kWordBits - stopbit::kJoinedBits;
        value = static_cast<int64_t>(stopbit::JoinGroups(word) << kBelowGroups) >> signed_.shift;
      }
    } else {
      value = stopbit::Int64OfWord(word, bytes);
      signed_.Learn(bytes, kMaxInt64Bytes, stopbit::kWordBits, kThirtyTwoBits);
    }
    position_ += bytes;
    return value;
  }

 private:
  // A width of three bytes or more, as the last bit scan found it. Unsigned
  // and signed reads learn apart, as their longest widths differ.
  struct Width {
    static constexpr int kFirstLearnt = 3;
    uint64_t stops = 0;  // the stop bits of this width's bytes
    uint64_t stop = 1;   // the one of them set, the last; at first none matches
    int bytes = 0;
    int shift = 0;      // from the eight-byte join to the value
    int fourShift = 0;  // from the four-byte join, when `four`
    bool four = false;  // at most four bytes
    bool Matches(uint64_t word) const { return (word & stops) == stop; }
    // After a read of `read` bytes: widths up to `most` end in a stop byte;
    // `top` and `fourTop` are the bits above the groups of each join.
    void Learn(int read, int most, int top, int fourTop) {
      if (read < kFirstLearnt || read > most) return;
      const int bits = stopbit::kBitsPerByte * read;
      stops = stopbit::kStopBits & ((uint64_t{1} << bits) - 1);
      stop = uint64_t{kStopBit} << (bits - stopbit::kBitsPerByte);
      bytes = read;
      shift = top - stopbit::kBitsPerGroup * read;
      four = read <= stopbit::kFourGroupBytes;
      fourShift = four ? fourTop - stopbit::kBitsPerGroup * read : 0;
    }
  };
  static constexpr int kThirtyTwoBits = 32;
  // True when a whole word from the position lies inside the message.
  // The position only grows from where it started, so one comparison does.
  bool WordInside() const { return position_ <= lastWordStart_; }
  // Near the end: the cursor's own careful reader, from the run's position.
  template <typename Value>
  Value Careful(Value (*read)(CDecodeCode&)) {
    code_.MoveTo(position_);
    const Value value = read(code_);
    position_ = code_.Position();
    return value;
  }

  CDecodeCode& code_;
  const char* buffer_;
  int position_;
  int lastWordStart_;  // the last position with a whole word inside
  Width unsigned_;
  Width signed_;
};

#endif  // KESTREL_CODEC_STOPBITRUN_H
