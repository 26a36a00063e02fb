// CDecodeCode: the read cursor over one received message, and the stop-bit
// readers that decode every field of the protocol.
//
// Wire format in brief: integers are stop-bit encoded, 7 bits per byte, most
// significant group first, with bit 7 set on the last byte only. Unsigned
// 32-bit values take 1 to 5 bytes; signed 64-bit values take 1 to 7 bytes,
// with the sign in bit 6 of the first byte.
//
// The readers never fail. At the end of the message they return 0, -1 or an
// empty text and move the position by a fixed rule; they also set the
// cursor's sticky `exhausted` flag, which decoders test at record boundaries.
// The cursor also carries the memory budget that counts read from the
// message may spend; codec/WireCounts.h states the rule.
#ifndef KESTREL_CODEC_DECODECODE_H
#define KESTREL_CODEC_DECODECODE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class CDecodeCode {
 public:
  explicit CDecodeCode(const char* message) : buffer(message), length(0), position(0) {}
  ~CDecodeCode() { Reset(); }
  CDecodeCode(const CDecodeCode&) = delete;
  CDecodeCode& operator=(const CDecodeCode&) = delete;

  // Frames the cursor: readers use indices in [start, end) of the buffer.
  void Frame(int start, int end) {
    position = start;
    length = end;
    exhausted = false;
    countBudget = kCountBudgetPerByte * (int64_t{end} - start) + kCountBudgetFixed;
  }
  void Reset() {
    buffer = nullptr;
    length = 0;
    position = 0;
  }

  const char* Buffer() const { return buffer; }
  int Length() const { return length; }
  int Position() const { return position; }
  // Bytes left before the end; 0 once the position has passed it.
  int Remaining() const { return position < length ? length - position : 0; }
  // True once any read wanted a byte at or past the end.
  bool Exhausted() const { return exhausted; }
  void MarkExhausted() { exhausted = true; }
  // Result memory that counts read from this message may still grant; see
  // codec/WireCounts.h for the rule that spends it.
  int64_t CountBudget() const { return countBudget; }
  void Spend(int64_t bytes) { countBudget -= std::min(bytes, countBudget); }
  static constexpr int64_t kCountBudgetPerByte = 32;
  static constexpr int64_t kCountBudgetFixed = 64 * 1024;

  // Moves the position to `next`, which may pass the end; the position never
  // goes back and saturates rather than overflowing.
  void MoveTo(int64_t next) {
    if (next > kMaxPosition) next = kMaxPosition;
    if (next > position) position = static_cast<int>(next);
  }
  uint8_t ByteAt(int index) const { return static_cast<uint8_t>(buffer[index]); }

  // Bytes a word load takes.
  static constexpr int kWordBytes = 8;
  // True when the kWordBytes bytes at the position all lie inside the
  // message; `word` then holds them, the first in the low byte.
  bool PeekWord(uint64_t& word) const {
    if (position < 0 || length - position < kWordBytes) return false;
    word = WordAt(buffer + position);
    return true;
  }
  // The kWordBytes bytes from `bytes` on, the first in the low byte.
  static uint64_t WordAt(const char* bytes) {
    uint64_t word;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(&word, bytes, kWordBytes);
#else
    word = 0;
    for (int i = kWordBytes - 1; i >= 0; --i) word = (word << 8) | static_cast<uint8_t>(bytes[i]);
#endif
    return word;
  }
  // The rest of the message in place, moving to its end; `bytes` is set to
  // its size. Null (and 0) when nothing remains.
  const char* TakeRest(int* bytes) {
    *bytes = Remaining();
    return *bytes > 0 ? Take(*bytes) : nullptr;
  }
  // Moves forward by `bytes` that the caller has seen to lie inside the
  // message, as after a PeekWord that succeeded for bytes <= kWordBytes.
  void Advance(int bytes) { position += bytes; }
  // The next n bytes in place, moving past them, when all n (at least one)
  // lie inside the message; otherwise null and nothing moves.
  const char* Take(int n) {
    if (n < 1 || position < 0 || length - position < n) return nullptr;
    const char* bytes = buffer + position;
    position += n;
    return bytes;
  }

 private:
  static constexpr int64_t kMaxPosition = 0x7fffffff;

  const char* buffer;  // first byte of the message; not owned
  int length;          // end index: readers use only indices below it
  int position;        // index of the next byte; may pass `length`
  bool exhausted = false;
  int64_t countBudget = 0;  // bytes counts may still grant
};

// Most bytes an unsigned 32-bit / signed 64-bit stop-bit integer takes.
inline constexpr int kMaxUInt32Bytes = 5;
inline constexpr int kMaxInt64Bytes = 7;
inline constexpr uint8_t kStopBit = 0x80;
inline constexpr uint8_t kGroupMask = 0x7f;
inline constexpr uint8_t kSignBit = 0x40;

// Word-at-a-time pieces of the stop-bit readers. A word holds eight
// message bytes, the first in the low byte.
namespace stopbit {
inline constexpr uint64_t kStopBits = 0x8080808080808080ULL;
inline constexpr uint64_t kGroupBits = 0x7f7f7f7f7f7f7f7fULL;
inline constexpr int kBitsPerGroup = 7;
inline constexpr int kWordBits = 64;

// Stop bits of the first `bytes` bytes of a word (bytes < 8).
constexpr uint64_t StopsWithin(uint64_t word, int bytes) {
  return word & kStopBits & ((uint64_t{1} << (8 * bytes)) - 1);
}
// Number of bytes up to and including the first stop byte (stops != 0).
inline int StopLength(uint64_t stops) { return (__builtin_ctzll(stops) >> 3) + 1; }

// The 7-bit groups of all eight bytes joined into 56 bits, the first byte's
// group highest: what shifting in one group per byte gives, without a
// branch per byte. The three steps pack pairs of groups into 14 bits, pairs
// of those into 28, and those into 56. The value of the first n bytes is
// the top 7n of the 56 bits.
inline uint64_t JoinGroups(uint64_t word) {
  uint64_t x = __builtin_bswap64(word & kGroupBits);
  x = (x & 0x007f007f007f007fULL) | ((x & 0x7f007f007f007f00ULL) >> 1);
  x = (x & 0x00003fff00003fffULL) | ((x & 0x3fff00003fff0000ULL) >> 2);
  x = (x & 0x000000000fffffffULL) | ((x & 0x0fffffff00000000ULL) >> 4);
  return x;
}
inline constexpr int kJoinedBits = 56;

// The same for the first four bytes, in 32-bit steps: 28 bits, of which a
// value of n <= 4 bytes is the top 7n. Fewer and shorter constants than the
// eight-byte join, for the three- and four-byte values common in columns.
inline uint32_t JoinFourGroups(uint64_t word) {
  uint32_t x = __builtin_bswap32(static_cast<uint32_t>(word) & 0x7f7f7f7fU);
  x = (x & 0x007f007fU) | ((x & 0x7f007f00U) >> 1);
  x = (x & 0x00003fffU) | ((x & 0x3fff0000U) >> 2);
  return x;
}
inline constexpr int kFourGroupBytes = 4;
inline constexpr int kFourGroupBits = 28;

}  // namespace stopbit

// Fields of one width side by side in a word (the first byte in the low
// byte): the stop bits of the last bytes of `count` fields of `width`
// bytes, and the 7-bit groups of field k joined, the first group highest.
namespace stopbit {
constexpr uint64_t FieldEnds(int width, int count) {
  uint64_t ends = 0;
  for (int k = 1; k <= count; ++k) ends |= uint64_t{kStopBit} << (8 * (width * k - 1));
  return ends;
}
template <int kWidth>
inline uint64_t FieldGroups(uint64_t word, int k) {
  uint64_t groups = 0;
#pragma GCC unroll 8
  for (int j = 0; j < kWidth; ++j) {
    groups = (groups << kBitsPerGroup) | ((word >> (8 * (kWidth * k + j))) & kGroupMask);
  }
  return groups;
}
}  // namespace stopbit

// Careful paths, out of line: fewer than eight bytes remain.
uint32_t ReadUInt32Slow(CDecodeCode& code);
int64_t ReadInt64Slow(CDecodeCode& code);

// The values of a word that holds a whole field (eight bytes inside the
// message): each returns the value and sets `bytes` to how far the position
// moves. A one-byte value, the usual width of deltas and small numbers,
// costs one test; a longer one has every candidate byte examined at once,
// without a branch per byte.
//
// kTwoByteTest adds a test for two-byte values, for columns, where
// neighbouring values mostly share a width: once the test is predicted, the
// next read need not wait for this one's length to be worked out. Over
// fields of mixed widths it mispredicts and costs more than it saves.
namespace stopbit {
inline constexpr uint64_t kSecondStopBit = uint64_t{kStopBit} << 8;
inline constexpr int kBitsPerByte = 8;
inline constexpr int kTwoBytes = 2;
// The 14 bits of a two-byte value.
inline uint64_t TwoGroups(uint64_t word) {
  return ((word & kGroupMask) << kBitsPerGroup) | ((word >> kBitsPerByte) & kGroupMask);
}

// The low `groups` 7-bit groups of `bits` as a signed number, the top
// group's bit 6 its sign.
inline int64_t SignedGroups(uint64_t bits, int groups) {
  const int above = kWordBits - kBitsPerGroup * groups;
  return static_cast<int64_t>(bits << above) >> above;
}

template <bool kTwoByteTest = false>
inline uint32_t UInt32OfWord(uint64_t word, int& bytes) {
  if (word & kStopBit) {
    bytes = 1;
    return static_cast<uint32_t>(word & kGroupMask);
  }
  if (kTwoByteTest && (word & kSecondStopBit)) {
    bytes = kTwoBytes;
    return static_cast<uint32_t>(TwoGroups(word));
  }
  const uint64_t stops = StopsWithin(word, kMaxUInt32Bytes);
  const int n = stops != 0 ? StopLength(stops) : kMaxUInt32Bytes;
  bytes = stops != 0 ? n : kMaxUInt32Bytes + 1;
  // Five groups carry 35 bits; as in 32-bit shifting, the top ones drop.
  return static_cast<uint32_t>(JoinGroups(word) >> (kJoinedBits - kBitsPerGroup * n));
}
template <bool kTwoByteTest = false>
inline int64_t Int64OfWord(uint64_t word, int& bytes) {
  // Bit 6 of the first byte is the sign: with a value's groups moved to the
  // top of the word, an arithmetic shift fills every bit above them.
  if (word & kStopBit) {
    bytes = 1;
    return SignedGroups(word, 1);
  }
  if (kTwoByteTest && (word & kSecondStopBit)) {
    bytes = kTwoBytes;
    return SignedGroups(TwoGroups(word), kTwoBytes);
  }
  const uint64_t stops = StopsWithin(word, kMaxInt64Bytes);
  const int n = stops != 0 ? StopLength(stops) : kMaxInt64Bytes;
  bytes = stops != 0 ? n : kMaxInt64Bytes + 1;
  const auto top = static_cast<int64_t>(JoinGroups(word) << (kWordBits - kJoinedBits));
  return top >> (kWordBits - kBitsPerGroup * n);
}
}  // namespace stopbit

// Unsigned stop-bit integer. Examines at most 5 bytes; the position moves
// just past the stop byte, or one byte past the last byte examined when no
// stop byte came (so a read at the end returns 0 and moves by one).
inline uint32_t ReadUInt32(CDecodeCode& code) {
  uint64_t word;
  if (!code.PeekWord(word)) return ReadUInt32Slow(code);
  int bytes;
  const uint32_t value = stopbit::UInt32OfWord(word, bytes);
  code.Advance(bytes);
  return value;
}

// Signed 64-bit stop-bit integer. At the end it returns 0 and leaves the
// position alone. A value read from 7 bytes carries 49 bits; without a stop
// byte in 7, the position moves by 8.
inline int64_t ReadInt64(CDecodeCode& code) {
  uint64_t word;
  if (!code.PeekWord(word)) return ReadInt64Slow(code);
  int bytes;
  const int64_t value = stopbit::Int64OfWord(word, bytes);
  code.Advance(bytes);
  return value;
}

// Stop-bit ASCII text of at most `max` bytes into dest, which must hold
// max + 1 bytes. A one-byte text reads as empty; without a stop byte the last
// copied character gives way to the terminator. When nothing can be read,
// dest becomes empty (for max >= 0) and the position moves by one.
void ReadAscii(CDecodeCode& code, char* dest, int max);

// n raw bytes into dest: dest is zeroed, then as many bytes as remain (at
// most n) are copied and the position moves past them. Nothing for n < 1 or
// a null dest.
void ReadBytes(CDecodeCode& code, void* dest, int n);

// Exactly n raw 7-bit groups (no stop bit looked for); each byte is taken as
// a signed 8-bit number, so a byte with bit 7 set fills the high bits.
int32_t ReadGroups(CDecodeCode& code, int n);

// Two-byte time of day as HHMMSS: the top four bits are a signed offset from
// hour 8, then six bits of minutes and six of seconds. -1 when fewer than two
// bytes remain (the position stays).
int ReadPackedTime(CDecodeCode& code);
// The same time from its two bytes.
inline int PackedTimeOf(uint8_t first, uint8_t second) {
  constexpr int kBaseHour = 8;
  constexpr int kSixBits = 63;
  const int v = static_cast<int8_t>(first) * 256 + second;
  const int hour = (v >> 12) + kBaseHour;
  const int minute = (v >> 6) & kSixBits;
  const int seconds = v & kSixBits;
  return hour * 10000 + minute * 100 + seconds;
}
// Bytes a packed time takes.
inline constexpr int kPackedTimeBytes = 2;

// Stop-bit length, then that many bytes as a text into dest of `destSize`
// bytes (terminated). Bytes beyond destSize - 1 are skipped, never written.
void ReadSizedString(CDecodeCode& code, char* dest, size_t destSize);
template <size_t N>
inline void ReadSizedString(CDecodeCode& code, char (&dest)[N]) {
  ReadSizedString(code, dest, N);
}

// Stop-bit length, then that many bytes into a new terminated array that the
// caller frees with delete[]. The array never outgrows the bytes the message
// still holds: a length beyond them yields the bytes that are there.
char* ReadNewSizedString(CDecodeCode& code);
// The same text as a std::string, for internal use.
std::string ReadSizedText(CDecodeCode& code);

// The stop-bit length prefix at the head of a raw message. Examines at most
// the first 5 bytes and stores in count the index of the stop byte plus one
// (6 when none of the five carries a stop bit).
uint32_t ReadLengthPrefix(const char* message, int* count);
// The same, examining at most `available` bytes; count is the stop byte's
// index plus one, or one past the last byte examined when none came.
uint32_t ReadLengthPrefix(const char* message, int available, int* count);

#endif  // KESTREL_CODEC_DECODECODE_H
