// The level-2 transaction history (type 130) of 100,000 deals of one
// security: five columns and the two trailing numbers.
#include <cstdint>
#include <random>

#include "BenchSupport.h"

namespace kbench {
namespace {

constexpr int kDeals = 100000;
constexpr uint32_t kLevel2History = 130;
constexpr uint32_t kDealsKind = 1;

// Plausible columns: rising 64-bit columns, a small signed 32-bit column and
// prices that move a few ticks at a time.
CaseData DealHistory() {
  std::mt19937 random(11);
  kt::MessageBuilder b;
  b.UInt(kDealsKind).Raw(CompactCode("600000.SH"));
  for (const uint32_t header : {0u, 0u, 0u, 1u}) b.UInt(header);
  b.UInt(kDeals);
  // Each column: the first row whole, then the differences.
  SignedRun(b.UInt(93000000), kDeals - 1, 0, 2999, random);      // 330
  SignedRun(b.UInt(1), kDeals - 1, -1, 1, random);               // 102
  SignedRun(b.UInt(500000), kDeals - 1, -40000, 59999, random);  // 331
  SignedRun(b.UInt(10250), kDeals - 1, -10, 10, random);         // 332
  SignedRun(b.UInt(1), kDeals - 1, 1, 1, random);                // 333
  b.UInt(kDeals).Int(123456789);  // the trailing 32-bit and 64-bit numbers
  return Message(kt::Frame(kLevel2History, b.Bytes()), 5 * kDeals + 2);
}

}  // namespace

void RegisterLevel2Cases() {
  RegisterCase(
      "l2_deals", DealHistory,
      {{"decode", DecodeSubject()}, {"host", HostLoopSubject()}, {"series", SeriesSubject()}});
}

}  // namespace kbench
