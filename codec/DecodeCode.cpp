// Stop-bit readers over a CDecodeCode cursor.
#include "codec/DecodeCode.h"

#include "model/OwnedArray.h"

#include <algorithm>
#include <cstring>

namespace {

// One byte past the last index a read starting at `pos` may examine, given
// at most `maxBytes` bytes: the end of the message or pos + maxBytes.
int ScanLimit(const CDecodeCode& code, int pos, int maxBytes) {
  const int64_t byWidth = static_cast<int64_t>(pos) + maxBytes;
  return static_cast<int>(std::min<int64_t>(code.Length(), byWidth));
}

}  // namespace

// Careful path of ReadUInt32: fewer than eight bytes remain.
uint32_t ReadUInt32Slow(CDecodeCode& code) {
  const int pos = code.Position();
  const int limit = ScanLimit(code, pos, kMaxUInt32Bytes);
  uint32_t value = 0;
  int i = std::max(pos, 0);
  for (; i < limit; ++i) {
    const uint8_t byte = code.ByteAt(i);
    value = (value << 7) | (byte & kGroupMask);
    if (byte & kStopBit) {
      code.MoveTo(static_cast<int64_t>(i) + 1);
      return value;
    }
  }
  // No stop byte: one byte further than the last byte examined.
  if (i >= code.Length()) code.MarkExhausted();
  code.MoveTo(static_cast<int64_t>(i) + 1);
  return value;
}

// Careful path of ReadInt64: fewer than eight bytes remain.
int64_t ReadInt64Slow(CDecodeCode& code) {
  const int pos = code.Position();
  if (pos >= code.Length() || pos < 0) {
    code.MarkExhausted();
    return 0;
  }
  // Shift in unsigned arithmetic; the sign comes from bit 6 of the first byte.
  uint64_t value = (code.ByteAt(pos) & kSignBit) ? ~uint64_t{0} : 0;
  const int limit = ScanLimit(code, pos, kMaxInt64Bytes);
  int i = pos;
  for (; i < limit; ++i) {
    const uint8_t byte = code.ByteAt(i);
    value = (value << 7) | (byte & kGroupMask);
    if (byte & kStopBit) {
      code.MoveTo(static_cast<int64_t>(i) + 1);
      return static_cast<int64_t>(value);
    }
  }
  if (i >= code.Length()) code.MarkExhausted();
  code.MoveTo(static_cast<int64_t>(i) + 1);
  return static_cast<int64_t>(value);
}

void ReadAscii(CDecodeCode& code, char* dest, int max) {
  const int pos = code.Position();
  if (pos >= code.Length() || pos < 0) code.MarkExhausted();
  // Nothing readable (end of message, or no room): dest becomes empty when it
  // has room for the terminator at all, and the position moves by one.
  if (max <= 0 || pos >= code.Length() || pos < 0) {
    if (max >= 0 && dest != nullptr) dest[0] = '\0';
    code.MoveTo(static_cast<int64_t>(pos) + 1);
    return;
  }
  const int limit = ScanLimit(code, pos, max);
  int copied = 0;
  bool stopped = false;
  int i = pos;
  for (; i < limit; ++i) {
    const uint8_t byte = code.ByteAt(i);
    dest[copied++] = static_cast<char>(byte & kGroupMask);
    if (byte & kStopBit) {
      stopped = true;
      break;
    }
  }
  if (stopped) {
    // A stop byte alone is the empty text; otherwise every character stays.
    dest[copied == 1 ? 0 : copied] = '\0';
  } else {
    // No stop byte: the last copied character gives way to the terminator.
    dest[copied - 1] = '\0';
    if (i >= code.Length()) code.MarkExhausted();
  }
  code.MoveTo(static_cast<int64_t>(i) + 1);
}

void ReadBytes(CDecodeCode& code, void* dest, int n) {
  if (n <= 0 || dest == nullptr) return;
  std::memset(dest, 0, static_cast<size_t>(n));
  const int take = std::min(n, code.Remaining());
  if (take > 0) {
    std::memcpy(dest, code.Buffer() + code.Position(), static_cast<size_t>(take));
    code.MoveTo(static_cast<int64_t>(code.Position()) + take);
  }
  if (take < n) code.MarkExhausted();
}

int32_t ReadGroups(CDecodeCode& code, int n) {
  uint32_t value = 0;
  const int take = std::min(std::max(n, 0), code.Remaining());
  const int pos = code.Position();
  for (int i = pos; i < pos + take; ++i) {
    // The byte as a signed 8-bit number: bit 7 set fills every higher bit.
    const auto group =
        static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(code.ByteAt(i))));
    value = (value << 7) | group;
  }
  code.MoveTo(static_cast<int64_t>(pos) + take);
  if (take < n) code.MarkExhausted();
  return static_cast<int32_t>(value);
}

int ReadPackedTime(CDecodeCode& code) {
  if (code.Remaining() < kPackedTimeBytes) {
    code.MarkExhausted();
    return -1;
  }
  const int pos = code.Position();
  const int time = PackedTimeOf(code.ByteAt(pos), code.ByteAt(pos + 1));
  code.MoveTo(static_cast<int64_t>(pos) + kPackedTimeBytes);
  return time;
}

void ReadSizedString(CDecodeCode& code, char* dest, size_t destSize) {
  const uint32_t n = ReadUInt32(code);
  if (dest == nullptr || destSize == 0) {
    code.MoveTo(static_cast<int64_t>(code.Position()) + std::min<int64_t>(n, code.Remaining()));
    return;
  }
  // Keep what fits before the terminator and skip the rest of the text.
  const int keep = static_cast<int>(std::min<uint64_t>(n, destSize - 1));
  ReadBytes(code, dest, keep);
  dest[keep] = '\0';
  const int64_t skip = std::min<int64_t>(static_cast<int64_t>(n) - keep, code.Remaining());
  if (static_cast<int64_t>(n) - keep > skip) code.MarkExhausted();
  code.MoveTo(static_cast<int64_t>(code.Position()) + skip);
}

std::string ReadSizedText(CDecodeCode& code) {
  const uint32_t n = ReadUInt32(code);
  const int take = static_cast<int>(std::min<int64_t>(n, code.Remaining()));
  if (take < static_cast<int64_t>(n)) code.MarkExhausted();
  std::string text;
  if (take > 0) text.assign(code.Buffer() + code.Position(), static_cast<size_t>(take));
  code.MoveTo(static_cast<int64_t>(code.Position()) + take);
  // The text ends at its first NUL, as the terminated array form would.
  text.resize(std::strlen(text.c_str()));
  return text;
}

char* ReadNewSizedString(CDecodeCode& code) {
  const std::string text = ReadSizedText(code);
  return NewTextCopy(text.c_str(), text.size());
}

uint32_t ReadLengthPrefix(const char* message, int available, int* count) {
  const int limit = std::min(std::max(available, 0), kMaxUInt32Bytes);
  uint32_t value = 0;
  int i = 0;
  for (; i < limit; ++i) {
    const auto byte = static_cast<uint8_t>(message[i]);
    value = (value << 7) | (byte & kGroupMask);
    if (byte & kStopBit) break;
  }
  if (count != nullptr) *count = i + 1;
  return value;
}

uint32_t ReadLengthPrefix(const char* message, int* count) {
  return ReadLengthPrefix(message, kMaxUInt32Bytes, count);
}
