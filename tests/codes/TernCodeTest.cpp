// Compact security codes: the segment table, the suffix list, and the
// written and read forms of codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "codec/DecodeCode.h"
#include "codes/CodeTables.h"
#include "codes/TernCode.h"
#include "support/Cursor.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::FromHex;
using kt::Hex;

std::string WriteCode(const char* text) {
  CCode code;
  EXPECT_TRUE(WriteTernCode(code, text));
  return Hex(code.GetContent(), code.GetLength());
}

// Reads one code from its own exact-size copy of the bytes into a 30-byte
// record field.
std::string ReadCode(const Bytes& bytes, int* consumed = nullptr) {
  kt::Cursor c(bytes);
  char dest[kTernCodeSize] = {};
  ReadTernCode(c.code, dest);
  if (consumed != nullptr) *consumed = c.code.Position();
  return dest;
}

// Each row: a code, its wire bytes, and the text it reads back as.
struct CodeRow {
  const char* text;
  const char* wire;
  const char* readBack;
};

const CodeRow kCodeRows[] = {
    {"600000.SH", "BC 80", "600000.SH"},        // id 60, offset 0
    {"600036.SH", "BC A4", "600036.SH"},        // id 60, offset 36
    {"601988.SH", "B1 D8", "601988.SH"},        // id 49, offset 88
    {"000001.sz", "9E 81", "000001.SZ"},        // id 30, not 121: lowest id wins
    {"002594.SZ", "82 04 D2", "002594.SZ"},     // id 2, offset 594
    {"300001.SZ", "F9 12 27 E1", "300001.SZ"},  // only id 121 holds it
    {"580950.SH", "BA 07 B6", "580950.SH"},     // id 58, never 59
    {"0700.HK", "CD 80", "0700.HK"},            // id 77
    {"0001.HK", "C6 81", "0001.HK"},            // id 70, not 100
    {"2001.HK", "E4 0F D1", "2001.HK"},         // id 100, offset 2001
    {"000001.OF", "9D 81", "000001.OF"},        // id 29
    {"801001.SI", "EF 07 E9", "801001.SI"},     // id 111
    {"AU0.SHF", "FF 18 41 55 B0", "AU0.SHF"},   // listed suffix 24
    {"IF1107.CFE", "80 49 46 31 31 30 37 2E 43 46 C5", "IF1107.CFE"},  // text form
    {"A.SH", "FF 00 C1", ".SH"},  // a one-character text reads as empty
    {"600000", "80 36 30 30 30 30 30 2E 58 D8", "600000.XX"},  // no point
    {".SH", "80 59 59 2E 58 D8", "YY.XX"},                     // point first
    {"SH.", "80 59 59 2E 58 D8", "YY.XX"},                     // point last
    {"999999.SH", "FA 3D 04 BF", "999999.SH"},                 // id 122 holds the rest of SH
};

TEST(TernCode, WrittenBytesAndTextsReadBack) {
  for (const CodeRow& row : kCodeRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(WriteCode(row.text), row.wire);
    int consumed = 0;
    const Bytes wire = FromHex(row.wire);
    EXPECT_EQ(ReadCode(wire, &consumed), row.readBack);
    EXPECT_EQ(consumed, static_cast<int>(wire.size()));
  }
}

TEST(TernCode, WireOnlyForms) {
  using kt::MessageBuilder;
  const std::pair<Bytes, std::string> rows[] = {
      {MessageBuilder().Code(123, 5).Bytes(), "000005NV.OF"},
      {MessageBuilder().Code(1, 42).Bytes(), "000042."},   // unassigned id
      {MessageBuilder().Code(200, 7).Bytes(), "000007."},  // id beyond the table
      // numbers are printed as "%0*d" prints them: wider than the padding,
      // and negative where the offset wraps a 32-bit number
      {MessageBuilder().Code(1, 1234567).Bytes(), "1234567."},
      {MessageBuilder().Code(1, 0xFFFFFFFF).Bytes(), "-00001."},
      {MessageBuilder().Code(123, 0x80000000).Bytes(), "-2147483648NV.OF"},
      {MessageBuilder().ListedCode(29, "123").Bytes(), "123."},  // index beyond the list
      {MessageBuilder().ListedCode(2, "0700").Bytes(), "0700.HK"},
      {MessageBuilder().TextCode("IF1107.CFE").Bytes(), "IF1107.CFE"},
      // the whole-text form holds at most 24 characters
      {MessageBuilder().TextCode(std::string(40, 'A')).Bytes(), std::string(23, 'A')},
      // a 30-character number with a listed suffix makes 34 characters: the
      // 30-byte field keeps 29 and its terminator
      {MessageBuilder().ListedCode(22, std::string(30, '7') + "x").Bytes(), std::string(29, '7')},
  };
  for (const auto& [wire, text] : rows) EXPECT_EQ(ReadCode(wire), text) << Hex(wire);
}

// A destination shorter than the code keeps its first size - 1 characters,
// and the code is read to its end whatever the destination's size.
TEST(TernCode, ShortDestinationsKeepTheStartOfTheCode) {
  const Bytes forms[] = {FromHex("BC A4"), FromHex("F9 12 27 E1"), FromHex("FF 18 41 55 B0"),
                         kt::MessageBuilder().TextCode("IF1107.CFE").Bytes()};
  for (const Bytes& wire : forms) {
    int wholeLength = 0;
    const std::string whole = ReadCode(wire, &wholeLength);
    for (size_t size = 1; size <= whole.size() + 1; ++size) {
      kt::Cursor c(wire);
      char dest[kTernCodeSize];
      std::fill(std::begin(dest), std::end(dest), '#');
      ReadTernCode(c.code, dest, size);
      EXPECT_EQ(std::string(dest), whole.substr(0, size - 1)) << Hex(wire) << ", size " << size;
      EXPECT_EQ(c.code.Position(), wholeLength) << Hex(wire) << ", size " << size;
    }
    kt::Cursor c(wire);
    ReadTernCode(c.code, nullptr, 0);
    EXPECT_EQ(c.code.Position(), wholeLength) << Hex(wire) << ", no destination";
  }
}

TEST(TernCode, TooFewBytesLeaveTheDestinationAlone) {
  kt::Cursor c(FromHex("BC"));
  char dest[kTernCodeSize] = "KEEP";
  ReadTernCode(c.code, dest);
  EXPECT_STREQ(dest, "KEEP");
  EXPECT_EQ(c.code.Position(), 0);
  EXPECT_TRUE(c.code.Exhausted());
}

TEST(TernCode, EveryTableCodeRoundTrips) {
  // The first, last and a middle number of every assigned segment either
  // come back unchanged or are claimed by a lower id of the same suffix.
  for (const CodeSegment& segment : CodeSegmentTable()) {
    if (segment.suffix[0] == '\0') continue;
    for (const int32_t n : {segment.low, (segment.low + segment.high) / 2, segment.high}) {
      char text[32];
      std::snprintf(text, sizeof text, "%0*d.%s", segment.digits, n, segment.suffix);
      CCode code;
      WriteTernCode(code, text);
      const Bytes wire(code.GetContent(), code.GetContent() + code.GetLength());
      EXPECT_EQ(ReadCode(wire), text);
      EXPECT_LE(static_cast<uint32_t>(wire[0] & 0x7f), static_cast<uint32_t>(segment.id)) << text;
    }
  }
}

// A code's text, and how far it is read, follow from the bytes it is read
// over alone: the memo of quote blocks keys codes by those bytes.
TEST(TernCode, TextAndLengthFollowFromTheCodesBytesAlone) {
  std::vector<Bytes> forms = {
      FromHex("00 80 41 42 2E 53 C8"),     // id 0 in two bytes: still a text
      FromHex("81 00 00 00 00 00 00 85"),  // an offset without a stop byte in five
      FromHex("00 00 00 00 00 00 81 85"),  // an id without a stop byte in five
      kt::MessageBuilder().TextCode(std::string(40, 'A')).Bytes()};  // no stop byte in 24
  for (const CodeRow& row : kCodeRows) forms.push_back(FromHex(row.wire));
  for (const Bytes& form : forms) {
    int taken = 0;
    const std::string text = ReadCode(form, &taken);
    for (const uint8_t filler : {0x00, 0x41, 0x80, 0xFF}) {
      Bytes bytes = form;
      bytes.insert(bytes.end(), 32, filler);
      int read = 0;
      EXPECT_EQ(ReadCode(bytes, &read), text) << Hex(bytes);
      EXPECT_EQ(read, taken) << Hex(bytes);
    }
  }
}

// The table's shape: which ids are assigned, and that each id's segment
// names itself. The rows' contents are checked through the worked codes and
// the round trips above.
TEST(CodeTables, AssignedSegments) {
  // Ids 2-29: 11 rows; six runs of ten (30, 40, 60, 70, 80, 90); 50, 51,
  // 58, 59; 100; 111-115; 121, 122.
  int assigned = 0;
  for (const CodeSegment& segment : CodeSegmentTable()) {
    if (segment.suffix[0] == '\0') continue;
    ++assigned;
    EXPECT_EQ(&FindCodeSegment(static_cast<uint32_t>(segment.id)), &segment);
    EXPECT_LE(segment.low, segment.high) << segment.id;
  }
  EXPECT_EQ(assigned, 11 + 60 + 4 + 1 + 5 + 2);
  for (const int unassigned : {0, 1, 8, 21, 52, 101, 110, 116, 123, 127}) {
    EXPECT_STREQ(FindCodeSegment(unassigned).suffix, "") << unassigned;
  }
}

TEST(CodeTables, MarketSuffixList) {
  for (int k = 0; k < kMarketSuffixCount; ++k) EXPECT_EQ(FindMarketSuffix(MarketSuffix(k)), k);
  EXPECT_EQ(FindMarketSuffix("SHF"), 24);  // as in AU0.SHF's wire form
  EXPECT_EQ(MarketSuffix(-1), "");
  EXPECT_EQ(MarketSuffix(kMarketSuffixCount), "");
  EXPECT_EQ(FindMarketSuffix("CFE"), -1);
}

}  // namespace
