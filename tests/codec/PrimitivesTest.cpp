// Stop-bit readers and writers, and the CCode output buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "codec/DecodeCode.h"
#include "codec/Writers.h"
#include "support/Cursor.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::FromHex;
using kt::Hex;

// A cursor over its own exact-size copy of the bytes, so any read past the
// end is caught by the address sanitizer.
using Cursor = kt::Cursor;

std::string Written(bool (*write)(CCode&, int64_t), int64_t value) {
  CCode code;
  write(code, value);
  return Hex(code.GetContent(), code.GetLength());
}
bool WriteU(CCode& code, int64_t v) { return WriteUInt32(code, static_cast<uint32_t>(v)); }
bool WriteS(CCode& code, int64_t v) { return WriteInt64(code, v); }

struct WorkedValue {
  int64_t value;
  const char* unsignedBytes;  // null where the unsigned form does not apply
  const char* signedBytes;    // null where the signed form does not apply
};

const WorkedValue kWorkedValues[] = {
    {0, "80", "80"},
    {1, "81", "81"},
    {63, "BF", "BF"},
    {64, "C0", "00 C0"},
    {127, "FF", "00 FF"},
    {128, "01 80", "01 80"},
    {300, "02 AC", "02 AC"},
    {16384, "01 00 80", "01 00 80"},
    {4294967295LL, "0F 7F 7F 7F FF", nullptr},
    {-1, nullptr, "FF"},
    {-64, nullptr, "C0"},
    {-65, nullptr, "7F BF"},
    {-8193, nullptr, "7F 3F FF"},
};

TEST(StopBitWriters, WorkedValuesWriteTheirBytesAndReadBack) {
  for (const WorkedValue& row : kWorkedValues) {
    SCOPED_TRACE(row.value);
    if (row.unsignedBytes != nullptr) {
      EXPECT_EQ(Written(WriteU, row.value), row.unsignedBytes);
      Cursor c(FromHex(row.unsignedBytes));
      EXPECT_EQ(ReadUInt32(c.code), static_cast<uint32_t>(row.value));
      EXPECT_EQ(c.code.Position(), c.code.Length());
    }
    if (row.signedBytes != nullptr) {
      EXPECT_EQ(Written(WriteS, row.value), row.signedBytes);
      Cursor c(FromHex(row.signedBytes));
      EXPECT_EQ(ReadInt64(c.code), row.value);
      EXPECT_EQ(c.code.Position(), c.code.Length());
    }
  }
  // Beyond 49 bits only the low bits survive: 2^48 reads back as -2^48.
  EXPECT_EQ(Written(WriteS, int64_t{1} << 48), "40 00 00 00 00 00 80");
  Cursor c(FromHex("40 00 00 00 00 00 80"));
  EXPECT_EQ(ReadInt64(c.code), -(int64_t{1} << 48));
}

// The library's writers and the test's independent builder agree on every
// value, and the readers invert them.
TEST(StopBitWriters, AgreeWithIndependentBuilderOverManyValues) {
  std::mt19937_64 random(12345);
  for (int i = 0; i < 20000; ++i) {
    const int bits = 1 + i % 49;  // values inside the 49-bit signed range
    const int64_t value = static_cast<int64_t>(random()) >> (64 - bits);
    const auto unsignedValue = static_cast<uint32_t>(random() >> (i % 32));
    CCode code;
    WriteInt64(code, value);
    WriteUInt32(code, unsignedValue);
    ASSERT_EQ(Int64Size(value) + UInt32Size(unsignedValue), code.GetLength());
    Bytes expected = kt::StopBitSigned(value);
    const Bytes u = kt::StopBitUnsigned(unsignedValue);
    expected.insert(expected.end(), u.begin(), u.end());
    ASSERT_EQ(Hex(code.GetContent(), code.GetLength()), Hex(expected)) << value;
    Cursor c(expected);
    ASSERT_EQ(ReadInt64(c.code), value);
    ASSERT_EQ(ReadUInt32(c.code), unsignedValue);
    ASSERT_FALSE(c.code.Exhausted());
  }
}

TEST(StopBitWriters, ByteValueAndSizedString) {
  CCode code;
  WriteByteValue(code, 200);
  WriteSizedString(code, "A\xF0");
  WriteSizedString(code, "");
  EXPECT_EQ(Hex(code.GetContent(), code.GetLength()), "01 C8 82 41 F0 80");
}

TEST(StopBitReaders, EndOfMessageBehaviour) {
  const struct {
    const char* bytes;
    const char* reads;  // u: ReadUInt32, s: ReadInt64
    std::vector<int64_t> values;
    int position;
    bool exhausted;
  } rows[] = {
      // five bytes without a stop bit: the value so far, position moves by 6
      {"7F 7F 7F 7F 7F 81", "u", {0xFFFFFFFF}, 6, false},
      // reads at the end return 0; unsigned ones move one byte each
      {"81", "uuus", {1, 0, 0, 0}, 3, true},
      // a truncated integer: what was shifted in, one past the last byte
      {"01 02", "u", {130}, 3, true},
      {"7F 3F", "s", {-65}, 3, true},  // a signed read without its stop byte
      {"81 FF", "us", {1, -1}, 2, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bytes);
    Cursor c(FromHex(row.bytes));
    std::vector<int64_t> values;
    for (const char* r = row.reads; *r != '\0'; ++r) {
      values.push_back(*r == 'u' ? ReadUInt32(c.code) : ReadInt64(c.code));
    }
    EXPECT_EQ(values, row.values);
    EXPECT_EQ(c.code.Position(), row.position);
    EXPECT_EQ(c.code.Exhausted(), row.exhausted);
  }
}

TEST(StopBitReaders, AsciiTexts) {
  const std::tuple<const char*, int, const char*, int> rows[] = {
      // bytes, max, text, position
      {"80", 24, "", 1},          // the usual empty text
      {"C1", 24, "", 1},          // a one-byte text reads as empty
      {"41 C2", 24, "AB", 2},     // every character stays
      {"41 42 43", 3, "AB", 4},   // no stop byte within max: one fewer
      {"41 42 C3", 3, "ABC", 3},  // exactly max characters
      {"41 42", 24, "A", 3},      // end of message without a stop byte
      {"C1 C2", 0, "", 1},        // no room: empty, moves by one
      {"", 5, "", 1},             // nothing to read
      {"C1 80 80 80", 1, "", 1},  // max 1
  };
  for (const auto& [bytes, max, text, position] : rows) {
    SCOPED_TRACE(bytes);
    Cursor c(FromHex(bytes));
    char dest[32];
    std::memset(dest, 'z', sizeof dest);
    ReadAscii(c.code, dest, max);
    EXPECT_STREQ(dest, text);
    EXPECT_EQ(c.code.Position(), position);
    // Nothing written past the max + 1 bytes the caller provided.
    EXPECT_EQ(dest[max + 1], 'z');
  }
}

TEST(StopBitReaders, PackedTimes) {
  const std::tuple<const char*, int, int> rows[] = {
      // bytes, time, position
      {"10 00", 90000, 2}, {"71 3B", 150459, 2}, {"F0 00", 70000, 2},
      {"00 00", 80000, 2}, {"10", -1, 0},        {"", -1, 0},
  };
  for (const auto& [bytes, time, position] : rows) {
    Cursor c(FromHex(bytes));
    EXPECT_EQ(ReadPackedTime(c.code), time) << bytes;
    EXPECT_EQ(c.code.Position(), position) << bytes;
  }
  // The builder's packed form reads back for every hour the format carries.
  for (int hour = 0; hour < 16; ++hour) {
    Cursor c(kt::MessageBuilder().PackedTime(hour, 59, 7).Bytes());
    EXPECT_EQ(ReadPackedTime(c.code), hour * 10000 + 5907);
  }
}

TEST(StopBitReaders, RawBytesAndGroups) {
  {
    Cursor c(FromHex("41 42 43"));
    char dest[6];
    std::memset(dest, 'z', sizeof dest);
    ReadBytes(c.code, dest, 5);  // only three remain: the rest is zeroed
    EXPECT_EQ(Hex(dest, 6), "41 42 43 00 00 7A");
    EXPECT_EQ(c.code.Position(), 3);
    EXPECT_TRUE(c.code.Exhausted());
    ReadBytes(c.code, nullptr, 3);
    ReadBytes(c.code, dest, 0);
    EXPECT_EQ(c.code.Position(), 3);
  }
  {
    Cursor c(FromHex("05 01 02 FF"));
    EXPECT_EQ(ReadGroups(c.code, 1), 5);
    EXPECT_EQ(ReadGroups(c.code, 2), 130);
    EXPECT_EQ(c.code.Position(), 3);
    EXPECT_EQ(ReadGroups(c.code, 1), -1);  // bit 7 set fills the high bits
    EXPECT_EQ(ReadGroups(c.code, 4), 0);   // nothing left: nothing moves
    EXPECT_EQ(c.code.Position(), 4);
  }
}

TEST(StopBitReaders, SizedStringsNeverOutgrowTheirBuffers) {
  {  // an over-long text is cut to the buffer and the rest skipped
    Cursor c(kt::MessageBuilder().Sized("ABCDEFGHIJ").UInt(9).Bytes());
    char dest[5];
    ReadSizedString(c.code, dest);
    EXPECT_STREQ(dest, "ABCD");
    EXPECT_EQ(ReadUInt32(c.code), 9u);
    EXPECT_FALSE(c.code.Exhausted());
  }
  {  // a length the message cannot hold: what is there, and exhausted
    Cursor c(kt::MessageBuilder().UInt(1000000).Raw({'x', 'y'}).Bytes());
    char* text = ReadNewSizedString(c.code);
    EXPECT_STREQ(text, "xy");
    delete[] text;
    EXPECT_TRUE(c.code.Exhausted());
  }
}

TEST(StopBitReaders, LengthPrefix) {
  const std::tuple<const char*, uint32_t, int> rows[] = {
      // bytes, value, count
      {"81 B0", 1, 1},
      {"01 80 00", 128, 2},
      {"0F 7F 7F 7F FF", 0xFFFFFFFF, 5},
      {"01 01 01 01 01 01", 0x10204081, 6},
  };
  for (const auto& [hex, value, count] : rows) {
    const Bytes bytes = FromHex(hex);
    int read = 0;
    EXPECT_EQ(ReadLengthPrefix(reinterpret_cast<const char*>(bytes.data()), &read), value) << hex;
    EXPECT_EQ(read, count) << hex;
  }
}

// Every truncation of a message of mixed fields: no read outside the bytes,
// and the cursor reports exhaustion exactly when the message was cut.
TEST(StopBitReaders, EveryTruncationIsSafeAndReported) {
  kt::MessageBuilder b;
  b.UInt(300).Int(-8193).Ascii("ABC").Sized("text").PackedTime(9, 30, 0).Raw({1, 2, 3});
  const Bytes whole = b.UInt(0xFFFFFFFF).Bytes();
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    Cursor c(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    char ascii[8], sized[8], raw[3];
    ReadUInt32(c.code);
    ReadInt64(c.code);
    ReadAscii(c.code, ascii, 7);
    ReadSizedString(c.code, sized);
    ReadPackedTime(c.code);
    ReadBytes(c.code, raw, 3);
    ReadUInt32(c.code);
    EXPECT_EQ(c.code.Exhausted(), cut < whole.size()) << cut;
  }
}

TEST(OutputBuffer, GrowsToNeedPlusSlackAndKeepsItsBytes) {
  CCode code;
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(code.SetContent(static_cast<char>(i)));
  EXPECT_TRUE(code.SetContent(char{7}));
  EXPECT_EQ(code.GetLength(), 1025);
  // The capacity is now 1025 + 1024: index 2048 is writable, 2049 is not.
  EXPECT_TRUE(code.SetContent('x', 2048));
  EXPECT_FALSE(code.SetContent('x', 2049));
  EXPECT_FALSE(code.SetContent('x', -1));
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(code.GetContent()[i], static_cast<char>(i));
  EXPECT_EQ(code.GetContent()[1024], 7);
}

TEST(OutputBuffer, RefusalsLeaveItConsistent) {
  CCode code(8);
  EXPECT_FALSE(code.AddLength(-1));
  EXPECT_FALSE(code.AddLength(INT_MAX));
  EXPECT_EQ(code.GetLength(), 0);
  EXPECT_TRUE(code.SetContent('x', 7));
  EXPECT_FALSE(code.SetContent('x', 8));
  code.Clear();
  EXPECT_EQ(code.GetContent(), nullptr);
  EXPECT_EQ(code.GetLength(), 0);
  EXPECT_FALSE(code.SetContent('x'));
  EXPECT_FALSE(code.SetContent('x', 0));
  EXPECT_FALSE(WriteGroups(code, 1, 0));
}

}  // namespace

// The readers' rules written byte at a time, as a model for the word-at-a-
// time fast path: at most `width` bytes examined, the position one past the
// stop byte or one past the last byte examined.
struct ModelRead {
  int64_t value;
  int position;
  bool exhausted;
};
ModelRead ModelReader(const Bytes& bytes, int pos, bool isSigned) {
  const int end = static_cast<int>(bytes.size());
  if (isSigned && pos >= end) return {0, pos, true};
  const int width = isSigned ? 7 : 5;
  uint64_t value = isSigned && (bytes[static_cast<size_t>(pos)] & 0x40) ? ~uint64_t{0} : 0;
  int i = pos;
  for (; i < std::min(end, pos + width); ++i) {
    const uint8_t byte = bytes[static_cast<size_t>(i)];
    value = (value << 7) | (byte & 0x7f);
    if (byte & 0x80) break;
  }
  const bool stopped = i < std::min(end, pos + width);
  if (!isSigned) value = static_cast<uint32_t>(value);
  return {static_cast<int64_t>(value), i + 1, !stopped && i >= end};
}

// Random bytes with stop bits dense and sparse, read as random sequences of
// unsigned and signed integers from every start: fast and careful paths give
// what the model gives, near the end and far from it.
TEST(StopBitReaders, AgreeWithByteAtATimeModel) {
  std::mt19937 random(2024);
  for (int round = 0; round < 3000; ++round) {
    const int stopOneIn = 1 + round % 9;
    Bytes bytes(static_cast<size_t>(random() % 40));
    for (uint8_t& byte : bytes) {
      byte = static_cast<uint8_t>((random() & 0x7f) | (random() % stopOneIn == 0 ? 0x80 : 0));
    }
    Cursor c(bytes);
    int position = 0;
    bool exhausted = false;
    for (int read = 0; read < 12; ++read) {
      const bool isSigned = random() & 1;
      const ModelRead want = ModelReader(bytes, position, isSigned);
      const int64_t got = isSigned ? ReadInt64(c.code) : ReadUInt32(c.code);
      ASSERT_EQ(got, want.value) << round << " read " << read;
      ASSERT_EQ(c.code.Position(), want.position) << round << " read " << read;
      exhausted = exhausted || want.exhausted;
      ASSERT_EQ(c.code.Exhausted(), exhausted) << round << " read " << read;
      position = want.position;
    }
  }
}
