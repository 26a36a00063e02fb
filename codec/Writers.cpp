// Stop-bit writers and size operations.
#include "codec/Writers.h"

#include <cstring>

namespace {

constexpr int kMaxGroups = 10;  // 70 bits: more than any 64-bit value needs
constexpr uint8_t kStopBit = 0x80;
constexpr uint8_t kGroupMask = 0x7f;

// Largest value an unsigned stop-bit integer of n bytes holds, n = 1 to 4.
constexpr uint32_t kUInt32Limits[] = {0x7f, 0x3fff, 0x1fffff, 0xfffffff};
constexpr int kMaxInt64Bytes = 7;

}  // namespace

int UInt32Size(uint32_t value) {
  int n = 1;
  for (const uint32_t limit : kUInt32Limits) {
    if (value <= limit) return n;
    ++n;
  }
  return n;
}

int Int64Size(int64_t value) {
  // n bytes carry 7n bits: the range -2^(7n-1) .. 2^(7n-1)-1.
  for (int n = 1; n < kMaxInt64Bytes; ++n) {
    const int64_t high = (int64_t{1} << (7 * n - 1)) - 1;
    if (value >= -high - 1 && value <= high) return n;
  }
  return kMaxInt64Bytes;
}

bool WriteGroups(CCode& code, int64_t value, int n) {
  if (n < 1 || n > kMaxGroups) return false;
  const int start = code.GetLength();
  if (!code.AddLength(n)) return false;
  char* out = code.GetContent() + start;
  for (int k = 1; k < n; ++k) {
    const int shift = 7 * (n - k);
    // Arithmetic shift: groups above bit 63 repeat the sign.
    const int64_t group = shift < 64 ? (value >> shift) : (value < 0 ? -1 : 0);
    out[k - 1] = static_cast<char>(group & kGroupMask);
  }
  out[n - 1] = static_cast<char>((value & kGroupMask) | kStopBit);
  return true;
}

bool WriteUInt32(CCode& code, uint32_t value) {
  return WriteGroups(code, value, UInt32Size(value));
}

bool WriteInt64(CCode& code, int64_t value) { return WriteGroups(code, value, Int64Size(value)); }

bool WriteByteValue(CCode& code, unsigned char value) { return WriteUInt32(code, value); }

bool WriteRawBytes(CCode& code, const char* bytes, int n) {
  if (n <= 0) return true;
  const int start = code.GetLength();
  if (!code.AddLength(n)) return false;
  std::memcpy(code.GetContent() + start, bytes, static_cast<size_t>(n));
  return true;
}

bool WriteSizedString(CCode& code, const char* text) {
  const size_t n = std::strlen(text);
  if (n > 0x7fffffff) return false;
  WriteUInt32(code, static_cast<uint32_t>(n));
  return WriteRawBytes(code, text, static_cast<int>(n));
}
