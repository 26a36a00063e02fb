// A field read from the word it lies in, by the shifts or by one bit
// extraction, is what the cursor's readers read from the same bytes, for
// every length a field may have, after an id of one or two bytes or none,
// and for bytes that carry no stop bit in reach.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "codec/BitExtract.h"
#include "support/Cursor.h"

namespace {

// Sixteen bytes: `skip` bytes of an id, then a field whose stop byte is
// byte `stopAt` (none when stopAt is past the sixteen), the other bytes
// random groups, and random bytes after the field.
kt::Bytes FieldBytes(std::mt19937& random, int skip, int stopAt) {
  kt::Bytes bytes(16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(random());
    const bool inField = static_cast<int>(i) >= skip && static_cast<int>(i) <= stopAt;
    bytes[i] = inField ? static_cast<uint8_t>(byte & 0x7f) : byte;
  }
  if (stopAt < 16) bytes[static_cast<size_t>(stopAt)] |= 0x80;
  return bytes;
}

template <bool kExtract, int kSkip>
void CheckField(const kt::Bytes& bytes, bool isUnsigned) {
  kt::Cursor cursor(bytes);
  const uint64_t word = CDecodeCode::WordAt(cursor.storage.data());
  cursor.code.MoveTo(kSkip);
  const int64_t expected = isUnsigned ? int64_t{ReadUInt32(cursor.code)} : ReadInt64(cursor.code);
  const int longest = isUnsigned ? kMaxUInt32Bytes : kMaxInt64Bytes;
  const bool inReach = cursor.code.Position() - kSkip <= longest &&
                       cursor.code.Position() <= CDecodeCode::kWordBytes;
  const uint64_t stops = word & kestrel::FieldStops(kSkip, longest);
  // The stretch takes the field when its stop byte is in the word's reach;
  // otherwise the careful readers read it.
  ASSERT_EQ(stops != 0, inReach);
  if (!inReach) return;
  const size_t stopByte = kestrel::StopByte(stops);
  EXPECT_EQ(static_cast<int>(stopByte) + 1, cursor.code.Position());
  EXPECT_EQ((kestrel::FieldInWord<kExtract, kSkip>(word, stopByte, isUnsigned)), expected);
}

template <int kSkip>
void CheckEveryLength(std::mt19937& random) {
  for (int stopAt = kSkip; stopAt <= kSkip + 9; ++stopAt) {
    for (int trial = 0; trial < 300; ++trial) {
      const kt::Bytes bytes = FieldBytes(random, kSkip, stopAt);
      for (const bool isUnsigned : {true, false}) {
        SCOPED_TRACE(testing::Message() << "id bytes " << kSkip << ", stop byte " << stopAt
                                        << ", unsigned " << isUnsigned << ", trial " << trial);
        CheckField<false, kSkip>(bytes, isUnsigned);
        if (kestrel::HasFastBitExtract()) CheckField<true, kSkip>(bytes, isUnsigned);
      }
    }
  }
}

TEST(BitExtract, FieldsInAWordReadAsTheCursorReads) {
  std::mt19937 random(7);
  CheckEveryLength<0>(random);
  CheckEveryLength<1>(random);
  CheckEveryLength<2>(random);
}

// The shifts from the top of a word, worked out from field lengths.
TEST(BitExtract, FieldShifts) {
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(kestrel::kFieldShifts[n - 1], 64 - 7 * n) << n;
}

}  // namespace
