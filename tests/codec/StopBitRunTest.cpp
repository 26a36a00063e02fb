// A column run reads what the cursor's readers read: the same values, the
// same position after each, and the same careful reads near the end of the
// message, whatever the widths and wherever the message is cut.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "codec/StopBitRun.h"
#include "support/Cursor.h"

namespace {

// kMixedShort reads with MixedShortInt64, which must match ReadInt64 too.
// The kWidthN fields try SameWidthFields: four fields of one byte, or as
// many of N bytes as fill a word. When it takes them, each field's groups
// read as a signed value are what ReadInt64 reads; when not, nothing moves.
enum class Field {
  kUnsigned,
  kSigned,
  kMixedShort,
  kFourOfWidth1,
  kWidth1,
  kWidth2,
  kWidth3,
  kWidth4,
};

// One try of SameWidthFields<kWidth, kCount> against the cursor's reads.
template <int kWidth, int kCount = 8 / kWidth>
void SameWidthRead(StopBitRun& run, CDecodeCode& expected) {
  const int before = run.Position();
  uint64_t word = 0;
  if (run.SameWidthFields<kWidth, kCount>(word)) {
    for (int k = 0; k < kCount; ++k) {
      const int64_t value = stopbit::SignedGroups(stopbit::FieldGroups<kWidth>(word, k), kWidth);
      ASSERT_EQ(value, ReadInt64(expected)) << "field " << k;
    }
  } else {
    ASSERT_EQ(run.Position(), before);
  }
}

struct Case {
  const char* name;
  std::vector<Field> reads;  // read in turn, again and again
  kt::Bytes bytes;
};

kt::Bytes Mixed() {
  kt::MessageBuilder b;
  // Every width of both kinds, signs, and the edges of the two-byte test.
  for (int64_t v : {0LL, 63LL, -64LL, 64LL, -65LL, 8191LL, -8192LL, 8192LL, -8193LL, 1LL << 20,
                    -(1LL << 27), 1LL << 34, -(1LL << 41), (1LL << 47) - 1}) {
    b.Int(v);
  }
  for (uint32_t v : {0u, 127u, 128u, 16383u, 16384u, 1u << 21, 1u << 28, 0xffffffffu}) b.UInt(v);
  return b.Bytes();
}

// Runs of one long width, changing now and then, so a run's guess of the
// last long width is right, wrong by one byte either way, and learnt from
// values of the other kind (a signed 6 or 7 bytes, which no unsigned value
// ends in).
kt::Bytes LongRuns() {
  kt::MessageBuilder b;
  for (int64_t v : {1LL << 15, 1LL << 16, -(1LL << 17), 1LL << 22, 1LL << 23, 1LL << 16, 1LL << 30,
                    -(1LL << 33), 1LL << 36, 1LL << 37, 1LL << 42, -(1LL << 44), 1LL << 45,
                    1LL << 40, 1LL << 16, 5LL, 1LL << 17}) {
    b.Int(v).Int(v + 1).Int(-v);
  }
  for (uint32_t v : {1u << 14, 1u << 15, 1u << 22, 1u << 25, 1u << 29, 1u << 31, 1u << 16}) {
    b.UInt(v).UInt(v + 1).UInt(v - 1);
  }
  return b.Bytes();
}

// Small values of either sign, one or two bytes at random.
kt::Bytes ShortMix() {
  kt::MessageBuilder b;
  uint32_t state = 7;
  for (int i = 0; i < 64; ++i) {
    state = state * 1103515245u + 12345u;
    b.Int(static_cast<int>(state >> 16) % 201 - 100);
  }
  return b.Bytes();
}

// Rows of small values, now and then one of two bytes or more somewhere in
// a row.
kt::Bytes SmallRows() {
  kt::MessageBuilder b;
  uint32_t state = 11;
  for (int i = 0; i < 96; ++i) {
    state = state * 1103515245u + 12345u;
    const uint32_t pick = (state >> 16) % 16;
    b.UInt(pick == 0 ? 128 + (state >> 8) % 20000 : pick == 1 ? 127 : (state >> 20) % 100);
  }
  return b.Bytes();
}

// Runs of signed values of one width (one to five bytes, both signs, the
// edges of each width among them), a run's width changing at random.
kt::Bytes WidthBlocks() {
  kt::MessageBuilder b;
  uint32_t state = 5;
  int width = 2;
  for (int i = 0; i < 160; ++i) {
    state = state * 1103515245u + 12345u;
    if ((state >> 16) % 8 == 0) width = 1 + static_cast<int>((state >> 20) % 5);
    const int64_t top = int64_t{1} << (7 * width - 1);  // the first value too wide
    const uint32_t pick = (state >> 8) % 8;
    const int64_t value = pick == 0   ? top - 1
                          : pick == 1 ? -top
                          : pick == 2 ? top / 2
                                      : static_cast<int64_t>(state >> 4) % top;
    b.Int(pick == 3 ? -value : value);
  }
  return b.Bytes();
}

// Bytes without a stop bit in reach, and stop bytes alone.
kt::Bytes Malformed() {
  kt::MessageBuilder b;
  b.Raw(kt::Bytes(12, 0x01)).Raw({0x80, 0x7f, 0x80, 0xff, 0x00, 0x00});
  return b.Bytes();
}

std::vector<Case> Cases() {
  return {
      {"unsigned", {Field::kUnsigned}, Mixed()},
      {"signed", {Field::kSigned}, Mixed()},
      {"alternating", {Field::kSigned, Field::kUnsigned, Field::kUnsigned}, Mixed()},
      {"malformed unsigned", {Field::kUnsigned}, Malformed()},
      {"malformed signed", {Field::kSigned}, Malformed()},
      {"long runs, unsigned", {Field::kUnsigned}, LongRuns()},
      {"long runs, signed", {Field::kSigned}, LongRuns()},
      {"long runs, both", {Field::kSigned, Field::kUnsigned}, LongRuns()},
      {"short mix", {Field::kMixedShort}, ShortMix()},
      {"mixed short, every width", {Field::kMixedShort}, Mixed()},
      {"mixed short, long runs", {Field::kMixedShort, Field::kSigned}, LongRuns()},
      {"mixed short, malformed", {Field::kMixedShort}, Malformed()},
      {"rows of four", {Field::kFourOfWidth1}, SmallRows()},
      {"rows of four, then a field", {Field::kFourOfWidth1, Field::kUnsigned}, SmallRows()},
      {"rows of four, every width", {Field::kFourOfWidth1, Field::kSigned}, Mixed()},
      {"rows of four, malformed", {Field::kFourOfWidth1}, Malformed()},
      {"one-byte words", {Field::kWidth1}, SmallRows()},
      {"one-byte words, then a field", {Field::kWidth1, Field::kSigned}, SmallRows()},
      {"one-byte words, every width", {Field::kWidth1, Field::kUnsigned}, Mixed()},
      {"two-byte words", {Field::kWidth2}, WidthBlocks()},
      {"three-byte words", {Field::kWidth3}, WidthBlocks()},
      {"four-byte words", {Field::kWidth4}, WidthBlocks()},
      {"words of each width in turn",
       {Field::kWidth1, Field::kWidth2, Field::kWidth3, Field::kWidth4, Field::kSigned},
       WidthBlocks()},
      {"wide words, every width", {Field::kWidth3, Field::kWidth2, Field::kWidth4}, Mixed()},
      {"wide words, malformed", {Field::kWidth2, Field::kWidth3, Field::kWidth4}, Malformed()},
  };
}

TEST(StopBitRun, ReadsWhatTheCursorReads) {
  for (const Case& c : Cases()) {
    for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      const kt::Bytes bytes(c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
      kt::Cursor expected(bytes);
      kt::Cursor actual(bytes);
      // Past the end too: the careful readers' rules must hold there.
      const size_t reads = bytes.size() + 3;
      {
        StopBitRun run(actual.code);
        for (size_t i = 0; i < reads; ++i) {
          const Field field = c.reads[i % c.reads.size()];
          SCOPED_TRACE(testing::Message() << c.name << ", cut at " << cut << ", read " << i);
          if (field == Field::kUnsigned) {
            ASSERT_EQ(run.UInt32(), ReadUInt32(expected.code));
          } else if (field == Field::kMixedShort) {
            ASSERT_EQ(run.MixedShortInt64(), ReadInt64(expected.code));
          } else if (field == Field::kFourOfWidth1) {
            ASSERT_NO_FATAL_FAILURE((SameWidthRead<1, 4>(run, expected.code)));
          } else if (field == Field::kWidth1) {
            ASSERT_NO_FATAL_FAILURE(SameWidthRead<1>(run, expected.code));
          } else if (field == Field::kWidth2) {
            ASSERT_NO_FATAL_FAILURE(SameWidthRead<2>(run, expected.code));
          } else if (field == Field::kWidth3) {
            ASSERT_NO_FATAL_FAILURE(SameWidthRead<3>(run, expected.code));
          } else if (field == Field::kWidth4) {
            ASSERT_NO_FATAL_FAILURE(SameWidthRead<4>(run, expected.code));
          } else {
            ASSERT_EQ(run.Int64(), ReadInt64(expected.code));
          }
        }
      }
      EXPECT_EQ(actual.code.Position(), expected.code.Position()) << c.name << ", cut " << cut;
      EXPECT_EQ(actual.code.Exhausted(), expected.code.Exhausted()) << c.name << ", cut " << cut;
    }
  }
}

// The position reaches the cursor when the run ends, so a reader after it
// goes on from the right byte.
TEST(StopBitRun, HandsThePositionBack) {
  kt::MessageBuilder b;
  for (int i = 0; i < 20; ++i) b.Int(300 * i);
  b.UInt(77);
  kt::Cursor cursor(b.Bytes());
  {
    StopBitRun run(cursor.code);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(run.Int64(), 300 * i);
  }
  EXPECT_EQ(ReadUInt32(cursor.code), 77u);
  EXPECT_EQ(cursor.code.Remaining(), 0);
}

}  // namespace
