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
// two-byte values apart by a test of their own (kTwoByteTest).
#ifndef KESTREL_CODEC_STOPBITRUN_H
#define KESTREL_CODEC_STOPBITRUN_H

#include <cstdint>

#include "codec/DecodeCode.h"

class StopBitRun {
 public:
  explicit StopBitRun(CDecodeCode& code)
      : code_(code),
        buffer_(code.Buffer()),
        position_(code.Position()),
        lastWordStart_(code.Length() - CDecodeCode::kWordBytes) {}
  ~StopBitRun() { code_.MoveTo(position_); }
  StopBitRun(const StopBitRun&) = delete;
  StopBitRun& operator=(const StopBitRun&) = delete;

  uint32_t UInt32() {
    if (!WordInside()) return Careful(ReadUInt32Slow);
    int bytes;
    const uint32_t value = stopbit::UInt32OfWord<true>(CDecodeCode::WordAt(buffer_ + position_), bytes);
    position_ += bytes;
    return value;
  }
  int64_t Int64() {
    if (!WordInside()) return Careful(ReadInt64Slow);
    int bytes;
    const int64_t value = stopbit::Int64OfWord<true>(CDecodeCode::WordAt(buffer_ + position_), bytes);
    position_ += bytes;
    return value;
  }

 private:
  // True when a whole word from the position lies inside the message.
  bool WordInside() const { return position_ >= 0 && position_ <= lastWordStart_; }
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
};

#endif  // KESTREL_CODEC_STOPBITRUN_H
