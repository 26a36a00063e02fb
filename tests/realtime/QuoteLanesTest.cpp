// Long runs of plain quote entries, which the visitor walks in two lanes
// side by side: whatever a run holds (packed times, corrected numbers, ids
// of two bytes, numbers too long for a word, lists and texts), wherever the
// message is cut and whatever bytes are changed, the visitor hands over
// exactly what the records hold.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "codes/TernCode.h"
#include "support/MessageBuilder.h"
#include "support/VisitOracle.h"

namespace {

using kt::Bytes;

// What a run of entries may hold besides plain numbers, one row per kind.
struct RunShape {
  const char* name;
  int entries;       // per security
  int timeEvery;     // a time field every this many entries (0: first only)
  bool longNumbers;  // numbers of six and seven bytes among the short ones
  bool otherKinds;   // texts and ids beyond the table now and then
};

constexpr RunShape kShapes[] = {
    {"short numbers", 40, 0, false, false},
    {"long numbers", 40, 0, true, false},
    {"times inside the run", 40, 7, false, false},
    {"texts and unlisted ids", 40, 0, false, true},
    {"everything", 63, 5, true, true},
    {"just over the lane minimum", 10, 0, false, false},
};

// Codes of the markets whose blocks differ: plain, "HK", futures and gold
// (corrected numbers; gold sends its time as a stop-bit number).
const char* const kCodes[] = {"600000.SH", "000001.SZ", "0700.HK", "IF1107.CFE", "AU9995.SGE"};

// Ids of plain numbers (unsigned up to 128, signed above; 8 and 59 are the
// ones a correction concerns), and of two bytes.
constexpr int kPlainIds[] = {3, 4, 5, 6, 7, 8, 10, 11, 12, 17, 24, 59, 129, 300, 301, 306};

Bytes QuoteUpdate(const RunShape& shape, uint32_t seed) {
  std::mt19937 random(seed);
  kt::MessageBuilder b;
  constexpr int kSecurities = 12;
  b.UInt(kSecurities);
  for (int s = 0; s < kSecurities; ++s) {
    const std::string code = kCodes[random() % std::size(kCodes)];
    CCode wire;
    WriteTernCode(wire, code.c_str());
    b.Raw(Bytes(wire.GetContent(), wire.GetContent() + wire.GetLength())).UInt(shape.entries);
    const bool stopBitTime = code.find(".SGE") != std::string::npos;
    for (int e = 0; e < shape.entries; ++e) {
      if (e == 0 || (shape.timeEvery > 0 && e % shape.timeEvery == 0)) {
        b.UInt(2);
        if (stopBitTime) {
          b.UInt(93000 + random() % 60000);
        } else {
          b.PackedTime(static_cast<int>(random() % 24), static_cast<int>(random() % 60),
                       static_cast<int>(random() % 60));
        }
        continue;
      }
      if (shape.otherKinds && random() % 9 == 0) {
        if (random() % 2 == 0) {
          b.UInt(130).Sized("text");  // a sized text
        } else {
          b.UInt(600 + random() % 100)
              .Int(static_cast<int64_t>(random() % 1000));  // beyond the table
        }
        continue;
      }
      const int id = kPlainIds[random() % std::size(kPlainIds)];
      b.UInt(static_cast<uint32_t>(id));
      const bool isUnsigned = id <= 128;
      const int bits = shape.longNumbers && random() % 5 == 0 ? 40 : 20;
      const uint64_t magnitude = random() % (uint64_t{1} << bits);
      if (isUnsigned) {
        b.UInt(magnitude);
      } else {
        b.Int(random() % 2 == 0 ? static_cast<int64_t>(magnitude)
                                : -static_cast<int64_t>(magnitude));
      }
    }
  }
  return kt::Frame(64, b.Bytes());
}

std::string Compare(const Bytes& message) {
  const std::vector<char> copy(message.begin(), message.end());
  return kt::CompareVisitWithRecords(copy.data(), copy.size());
}

TEST(QuoteLanes, RunsMatchTheRecords) {
  for (const RunShape& shape : kShapes) {
    SCOPED_TRACE(shape.name);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      const Bytes message = QuoteUpdate(shape, seed);
      ASSERT_EQ(Compare(message), "") << "seed " << seed;
      ASSERT_EQ(Compare(kt::Compressed(message)), "") << "enveloped, seed " << seed;
    }
  }
}

// Cuts put the end inside the lanes' reach, and changed bytes make the
// second lane start in the middle of an entry or cross into another kind.
TEST(QuoteLanes, CutsAndChangedBytesMatchTheRecords) {
  std::mt19937 random(7);
  for (const RunShape& shape : kShapes) {
    SCOPED_TRACE(shape.name);
    const Bytes message = QuoteUpdate(shape, 99);
    for (size_t n = message.size() / 2; n < message.size(); n += 3) {
      const Bytes cut(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(n));
      ASSERT_EQ(Compare(cut), "") << "cut at " << n;
    }
    for (int trial = 0; trial < 300; ++trial) {
      Bytes changed = message;
      for (int k = 0; k < 3; ++k) {
        const size_t at = 4 + random() % (changed.size() - 4);
        changed[at] = static_cast<uint8_t>(changed[at] ^ (1u << (random() % 8)));
      }
      ASSERT_EQ(Compare(changed), "") << "trial " << trial;
    }
  }
}

}  // namespace
