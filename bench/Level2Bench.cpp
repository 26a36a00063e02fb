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
  const auto column = [&](uint32_t first, auto delta) {
    b.UInt(first);
    for (int i = 1; i < kDeals; ++i) b.Int(delta());
  };
  column(93000000, [&] { return static_cast<int64_t>(random() % 3000); });          // 330
  column(1, [&] { return static_cast<int64_t>(random() % 3) - 1; });                // 102
  column(500000, [&] { return static_cast<int64_t>(random() % 100000) - 40000; });  // 331
  column(10250, [&] { return static_cast<int64_t>(random() % 21) - 10; });          // 332
  column(1, [&] { return int64_t{1}; });                                            // 333
  b.UInt(kDeals).Int(123456789);  // the trailing 32-bit and 64-bit numbers
  return Message(kt::Frame(kLevel2History, b.Bytes()), 5 * kDeals + 2);
}

}  // namespace

void RegisterLevel2Cases() { RegisterMessageCase("l2_deals", DealHistory); }

}  // namespace kbench
