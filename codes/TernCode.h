// TernCode texts (600000.SH, 0700.HK, IF1107.CFE) and their compact wire form.
#ifndef KESTREL_CODES_TERNCODE_H
#define KESTREL_CODES_TERNCODE_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "Code.h"
#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"
#include "codes/CodeTables.h"

// Width of the code fields of the result records (29 characters and NUL).
inline constexpr size_t kTernCodeSize = 30;

// Reads one compact code and writes its text into dest of destSize bytes,
// cut to destSize - 1 characters. With fewer than two bytes left nothing is
// read, dest is left as it was and the cursor is marked exhausted.
void ReadTernCode(CDecodeCode& code, char* dest, size_t destSize);
template <size_t N>
inline void ReadTernCode(CDecodeCode& code, char (&dest)[N]) {
  ReadTernCode(code, dest, N);
}

// Longest text ReadTernCode takes for a whole code (wire id 0) and for the
// number part of a code with a listed suffix (wire id 127).
inline constexpr int kTextCodeChars = 24;
inline constexpr int kNumberPartChars = 30;

// The wire form of one compact code, as a key of what was worked out from
// it: its bytes, zero beyond them, then their count. A code's text follows
// from these bytes alone, so equal keys read as equal texts.
inline constexpr int kTernCodeWireRoom = 24;
struct TernCodeWire {
  static constexpr int kWords = kTernCodeWireRoom / CDecodeCode::kWordBytes;
  std::array<uint64_t, kWords + 1> key;
  // How far ReadTernCode moves over the code.
  int Bytes() const { return static_cast<int>(key[kWords]); }
};

namespace terncode_wire {
// Bytes up to and including the first stop byte of a word's stop bits
// (word & kStopBits); 0 when there is none.
inline int StopEnd(uint64_t stops) { return stops != 0 ? (__builtin_ctzll(stops) >> 3) + 1 : 0; }
// A room's worth of 0xff bytes, then as many zero bytes: the room's bytes
// from kTernCodeWireRoom - n on keep the first n bytes of a word.
struct KeepBytes {
  char bytes[2 * kTernCodeWireRoom];
  constexpr KeepBytes() : bytes() {
    for (int i = 0; i < kTernCodeWireRoom; ++i) bytes[i] = static_cast<char>(0xff);
  }
};
inline constexpr KeepBytes kKeep{};
// How far the stop-bit text from byte `start` of the room (start < 8)
// reaches: the end of its stop byte, or 0 when none comes in the room.
inline int TextEnd(const char* room, int start) {
  constexpr int kWordBytes = CDecodeCode::kWordBytes;
  const uint64_t first = CDecodeCode::WordAt(room) & stopbit::kStopBits;
  if (const int end = StopEnd(first >> (8 * start) << (8 * start))) return end;
  for (int at = kWordBytes; at < kTernCodeWireRoom; at += kWordBytes) {
    if (const int end = StopEnd(CDecodeCode::WordAt(room + at) & stopbit::kStopBits)) {
      return at + end;
    }
  }
  return 0;
}
}  // namespace terncode_wire

// The wire form of the code at the cursor, which does not move. False when
// the code may not lie whole in the next kTernCodeWireRoom bytes: fewer
// bytes than that remain, or no stop byte ends it within them (a long
// text); such a code is for ReadTernCode alone.
KESTREL_RUN_INLINE bool PeekTernCodeWire(const CDecodeCode& code, TernCodeWire& wire) {
  constexpr int kWordBytes = CDecodeCode::kWordBytes;
  static_assert(TernCodeWire::kWords == 3, "three words read below");
  if (code.Position() < 0 || code.Remaining() < kTernCodeWireRoom) return false;
  const char* room = code.Buffer() + code.Position();
  // The id, read as ReadUInt32 reads it (a number without a stop byte in
  // five moves six bytes).
  int idBytes;
  const uint32_t id = stopbit::UInt32OfWord(CDecodeCode::WordAt(room), idBytes);
  int end;
  if (__builtin_expect(id == kTextCodeId || id == kSuffixIndexedId, 0)) {
    // Stop-bit text up to its stop byte, after the suffix index's one byte.
    // The room is shorter than either text's longest, so a text that ends
    // in the room ends before ReadAscii's limit.
    static_assert(kTernCodeWireRoom <= kTextCodeChars && kTernCodeWireRoom <= kNumberPartChars);
    end = terncode_wire::TextEnd(room, idBytes + (id == kSuffixIndexedId ? 1 : 0));
    if (end == 0) return false;
  } else {
    // The offset, a second stop-bit number: up to its stop byte within
    // five bytes, or six bytes as ReadUInt32 moves without one.
    const int offsetEnd = terncode_wire::StopEnd(
        stopbit::StopsWithin(CDecodeCode::WordAt(room + idBytes), kMaxUInt32Bytes));
    end = idBytes + (offsetEnd != 0 ? offsetEnd : kMaxUInt32Bytes + 1);
  }
  // Bytes beyond the code are no part of the key.
  const char* keep = terncode_wire::kKeep.bytes + kTernCodeWireRoom - end;
  const auto kept = [&](int at) {
    return CDecodeCode::WordAt(room + at) & CDecodeCode::WordAt(keep + at);
  };
  wire.key = {kept(0), kept(kWordBytes), kept(2 * kWordBytes), static_cast<uint64_t>(end)};
  return true;
}

// Appends the compact form of text: a segment id and offset when the number
// falls in a segment of the same suffix (the lowest id wins), the text form
// otherwise. Returns false only when no work copy of the text can be made.
bool WriteTernCode(CCode& code, const char* text);

#endif  // KESTREL_CODES_TERNCODE_H
