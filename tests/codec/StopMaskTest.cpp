// Where the n-th stop-bit field from a byte on ends, found from stop masks,
// is where reading the fields one by one ends them; a code's expected
// length is where its second field ends; and a count the message's budget
// grants whole is granted whole, with the budget spent as by the division.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "codec/StopMask.h"
#include "codec/WireCounts.h"
#include "decode/realtime/SecurityBlocks.h"
#include "support/Cursor.h"

namespace {

// The index of the byte that ends the n-th field, byte by byte; -1 when
// fewer than n end within `reach` bytes.
int NthStopByByte(const std::vector<char>& bytes, int n, int reach) {
  for (int i = 0; i < reach; ++i) {
    if ((static_cast<uint8_t>(bytes[static_cast<size_t>(i)]) & kStopBit) != 0 && --n == 0) {
      return i;
    }
  }
  return -1;
}

TEST(StopMask, NthStopIsWhereTheFieldsEnd) {
  if (!kestrel::kStopMasksBuilt || !kestrel::HasFastBitExtract()) {
    GTEST_SKIP() << "stop masks are used only with fast bit extraction";
  }
  std::mt19937 random(5);
  // How often a byte ends a field: from every byte to almost none, so that
  // the n-th stop falls in the first mask, the second, or beyond both.
  const int stopPercents[] = {100, 50, 25, 10, 2};
  for (const int percent : stopPercents) {
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<char> bytes(kestrel::kNthStopReach);
      for (char& byte : bytes) {
        const bool stop = static_cast<int>(random() % 100) < percent;
        byte = static_cast<char>((random() & kGroupMask) | (stop ? kStopBit : 0));
      }
      for (int n = 1; n <= 130; n += 1 + static_cast<int>(random() % 7)) {
        ASSERT_EQ(kestrel::NthStopByte(bytes.data(), n),
                  NthStopByByte(bytes, n, kestrel::kNthStopReach))
            << percent << "% stops, trial " << trial << ", n " << n;
      }
    }
  }
}

TEST(StopMask, ExpectedCodeBytesEndAtTheSecondField) {
  struct Row {
    std::vector<uint8_t> bytes;  // the first word
    int expected;
  };
  const Row rows[] = {
      {{0x81, 0x82, 0, 0, 0, 0, 0, 0}, 2},                    // two one-byte numbers
      {{0x3c, 0x81, 0x05, 0x86, 0x90, 0, 0, 0}, 4},           // two two-byte numbers
      {{0x80, 0x41, 0x42, 0xc3, 0x85, 0, 0, 0}, 4},           // a text code: marker, then text
      {{0x81, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x87}, 8},  // the second ends the word
      {{0x81, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, 0},  // one field only
      {{0, 0, 0, 0, 0, 0, 0, 0}, 0},                          // no field ends
  };
  for (const Row& row : rows) {
    uint64_t word = 0;
    for (size_t i = 0; i < row.bytes.size(); ++i) word |= uint64_t{row.bytes[i]} << (8 * i);
    EXPECT_EQ(kestrel::ExpectedCodeBytes(word), row.expected) << row.expected;
  }
}

TEST(WireCounts, AGrantedCountSpendsWhatTheDivisionWould) {
  struct Row {
    int64_t wire;
    int64_t each;
  };
  const Row rows[] = {{1, 20},
                      {30, 20},
                      {5000, 20},
                      {100000, 20},
                      {1, 1},
                      {(int64_t{1} << 32) - 1, 1},
                      {(int64_t{1} << 32) - 1, 4096},
                      {7, 0}};
  for (const Row& row : rows) {
    for (const int bytes : {16, 4096, 1 << 20}) {
      std::vector<char> message(static_cast<size_t>(bytes));
      CDecodeCode code(message.data());
      code.Frame(0, bytes);
      const int64_t budget = code.CountBudget();
      const int64_t each = std::max<int64_t>(row.each, 1);
      const auto expected = static_cast<int>(std::min(row.wire, budget / each));
      EXPECT_EQ(kestrel::HonouredCount(row.wire, row.each, code), expected)
          << row.wire << " x " << row.each << " in " << bytes;
      EXPECT_EQ(code.CountBudget(), budget - std::min<int64_t>(budget, int64_t{expected} * each));
    }
  }
}

}  // namespace
