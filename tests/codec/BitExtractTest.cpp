// A field read from a word, by the shifts or by one bit extraction, is what
// the cursor's readers read from the same bytes, for every length a field
// may have and for bytes that carry no stop bit in reach.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "codec/BitExtract.h"
#include "support/Cursor.h"

namespace {

// Sixteen bytes: a field whose stop byte is byte `stopAt` (none when
// stopAt is past the word), the other bytes random groups, and random
// bytes after the field.
kt::Bytes FieldBytes(std::mt19937& random, int stopAt) {
  kt::Bytes bytes(16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(random());
    const bool inField = static_cast<int>(i) <= stopAt;
    bytes[i] = inField ? static_cast<uint8_t>(byte & 0x7f) : byte;
  }
  if (stopAt < 16) bytes[static_cast<size_t>(stopAt)] |= 0x80;
  return bytes;
}

template <bool kExtract>
void CheckReads(const kt::Bytes& bytes, bool isUnsigned) {
  kt::Cursor cursor(bytes);
  const uint64_t word = CDecodeCode::WordAt(cursor.storage.data());
  size_t bytesRead = 99;
  const int64_t value = kestrel::FieldOfWord<kExtract>(word, isUnsigned, bytesRead);
  const int64_t expected =
      isUnsigned ? int64_t{ReadUInt32(cursor.code)} : ReadInt64(cursor.code);
  const int longest = isUnsigned ? kMaxUInt32Bytes : kMaxInt64Bytes;
  if (cursor.code.Position() > longest) {
    // No stop byte in reach: left to the careful readers.
    EXPECT_EQ(bytesRead, 0u);
    return;
  }
  EXPECT_EQ(bytesRead, static_cast<size_t>(cursor.code.Position()));
  EXPECT_EQ(value, expected);
}

TEST(BitExtract, FieldsOfEveryLengthReadAsTheCursorReads) {
  std::mt19937 random(7);
  for (int stopAt = 0; stopAt <= 9; ++stopAt) {
    for (int trial = 0; trial < 500; ++trial) {
      const kt::Bytes bytes = FieldBytes(random, stopAt);
      for (const bool isUnsigned : {true, false}) {
        SCOPED_TRACE(testing::Message() << "stop byte " << stopAt << ", unsigned " << isUnsigned
                                        << ", trial " << trial);
        CheckReads<false>(bytes, isUnsigned);
        if (kestrel::HasFastBitExtract()) CheckReads<true>(bytes, isUnsigned);
      }
    }
  }
}

// The shifts from the top of a word, worked out from field lengths.
TEST(BitExtract, FieldShifts) {
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(kestrel::kFieldShifts[n - 1], 64 - 7 * n) << n;
}

}  // namespace
