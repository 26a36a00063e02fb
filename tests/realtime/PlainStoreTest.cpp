// The quick ways a plain quote number reaches its entry give exactly what
// the general rule gives: the number corrected for futures and gold, scaled
// by the indicator's decimals for the security's price factor, and stored
// by the entry's type. Checked bit for bit over every id of the tables, the
// price factors a code may have, and numbers at the edges of each type.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "decode/realtime/SecurityWalk.h"

namespace {

using kestrel::Handler;
using kestrel::IdFacts;
using kestrel::SecurityBlock;

// A table like the quote update's: signed rows among unsigned low ids and
// an "HK"-only row that reads a list.
constexpr kestrel::SpecialId kRows[] = {
    {8, 10, false, Handler::kSigned},
    {57, 57, true, Handler::kList57},
    {2, 2, false, Handler::kTimeField},
};
constexpr kestrel::MessageShape kShape = kestrel::MakeShape(kRows, Handler::kUnsignedOrSigned);

// Numbers a stop-bit field can carry: an unsigned 32-bit one, or a signed one
// of up to 49 bits.
constexpr int64_t kNumbers[] = {0,
                                1,
                                -1,
                                12345,
                                -987654321,
                                std::numeric_limits<int>::max(),
                                int64_t{std::numeric_limits<int>::max()} + 1,
                                std::numeric_limits<int>::min(),
                                int64_t{std::numeric_limits<int>::min()} - 1,
                                int64_t{std::numeric_limits<uint32_t>::max()},
                                (int64_t{1} << 48) - 1,
                                -(int64_t{1} << 48)};

uint64_t Bits(const CIndexValue& cell) {
  uint64_t bits;
  std::memcpy(&bits, &cell, sizeof bits);
  return bits;
}

// A block as ReadSecurityCode leaves it, for a code and a price factor.
SecurityBlock BlockOf(const char* code, int factor) {
  SecurityBlock block;
  std::strncpy(block.code, code, sizeof block.code - 1);
  block.SetFactor(factor);
  return block;
}

TEST(PlainStore, QuickStoresMatchTheGeneralRule) {
  // A stock, a futures contract and a gold contract: the last two correct
  // some ids. Factors 0 to 5 name a scale; 7 names none (values read 0).
  const char* codes[] = {"600000.SH", "IF1107.CFE", "AU9995.SGE"};
  const int factors[] = {0, 2, 3, 4, 5, 7};
  int checked = 0;
  for (const char* code : codes) {
    for (const int factor : factors) {
      for (int id = 0; id < kestrel::kSpecialIdLimit; ++id) {
        const IdFacts& facts = kShape.facts[id];
        // A time is stored as a plain number of its id is.
        if (!kestrel::IsPlainNumber(facts.handler) && facts.handler != Handler::kTimeField) {
          continue;
        }
        // The type of the records' entry.
        ASSERT_EQ(facts.type, IndicatorValueType(id, false)) << id;
        for (const int64_t raw : kNumbers) {
          SecurityBlock quick = BlockOf(code, factor);
          SecurityBlock general = BlockOf(code, factor);
          const CIndexValue want = kestrel::NumberCell(IndicatorValueType(id, false),
                                                       kestrel::ScaledValue(general, id, raw));
          ASSERT_EQ(Bits(kestrel::PlainCell(quick, facts, id, raw)), Bits(want))
              << code << ", factor " << factor << ", id " << id << ", number " << raw;
          // The quickest way, where the block lets the id take it.
          // PlainBits stores what no correction concerns and its facts allow;
          // every id the block's mask lets through is such.
          const bool quickStore =
              (!facts.fixed || quick.FixNone()) && kestrel::StoredQuickly(quick, facts);
          if ((facts.plainIn & quick.PlainMask()) != 0) {
            ASSERT_TRUE(quickStore) << code << ", " << factor << ", " << id;
          }
          if (quickStore) {
            ASSERT_EQ(kestrel::PlainBits(quick, facts, raw), Bits(want))
                << code << ", factor " << factor << ", id " << id << ", number " << raw;
          }
          // The ids the block's mask finds among the doubles are read by the
          // signedness their handler reads, and stored as doubles.
          const uint8_t mask = quick.PlainMask();
          if (((facts.unsignedDoubleIn | facts.signedDoubleIn) & mask) != 0) {
            ASSERT_EQ((facts.unsignedDoubleIn & mask) != 0, facts.unsignedValue) << id;
            ASSERT_EQ(kestrel::DoubleBits(quick, facts, raw), Bits(want))
                << code << ", factor " << factor << ", id " << id << ", number " << raw;
          }
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

// What the facts say of a few ids, worked out by hand from the table above
// and the decimals of the indicators.
TEST(PlainStore, FactsOfTheTable) {
  struct Row {
    int id;
    bool unsignedValue;
    bool plainInOther;
    bool plainInHK;
    bool corrected;  // a futures or gold correction concerns it
  };
  const Row rows[] = {
      {3, true, true, true, false},     // a price: unsigned, plain everywhere
      {8, false, true, true, true},     // volume: a signed row, corrected
      {2, false, false, false, false},  // time field: read by its own rule
      {57, true, false, false, false},  // a list in "HK" blocks; elsewhere an int scaled
                                        // by the price factor: the general rule's
      {59, true, true, true, true},     // amount: unsigned here, corrected
      {128, true, true, true, false},   // the last unsigned id
      {129, false, true, true, false},  // above 128: signed
  };
  for (const Row& row : rows) {
    const IdFacts& facts = kShape.facts[row.id];
    SCOPED_TRACE(row.id);
    EXPECT_EQ(facts.unsignedValue, row.unsignedValue);
    EXPECT_EQ((facts.plainIn & kestrel::kPlainInOther) != 0, row.plainInOther);
    EXPECT_EQ((facts.plainIn & kestrel::kPlainInHK) != 0, row.plainInHK);
    EXPECT_EQ(facts.fixed, row.corrected);
    // Blocks with a correction take the quick way only for ids it spares.
    const uint8_t corrected = kestrel::kPlainInOther << kestrel::kPlainInFixedShift;
    EXPECT_EQ((facts.plainIn & corrected) != 0, row.plainInOther && !row.corrected);
  }
}

}  // namespace
