// The formalized trend (type 17) of one A share over a full trading day: 241
// minutes of trend and 5,000 last deals.
#include <cstdint>
#include <random>

#include "BenchSupport.h"

namespace kbench {
namespace {

constexpr int kMinutes = 241;  // 09:30 to 11:30, then 13:01 to 15:00
constexpr int kMorningMinutes = 121;
constexpr int kLunchBreakSeconds = 91 * 60;
constexpr int kDeals = 5000;
constexpr int kDealsAnnouncingId92 = kDeals;  // the field after the flags
constexpr uint32_t kFormalizedTrend = 17;

// count - 1 signed deltas of at most `spread`, after a first value.
void Deltas(kt::MessageBuilder& b, int count, int spread, std::mt19937& random) {
  for (int i = 1; i < count; ++i) {
    b.Int(static_cast<int64_t>(random() % (2 * spread + 1)) - spread);
  }
}

CaseData FullDayTrend() {
  std::mt19937 random(17);
  kt::MessageBuilder b;
  b.UInt(1).TextCode("600000.SH");
  // Trend: time, price, volume, average price.
  b.UInt(kMinutes).UInt(93000);
  for (int i = 1; i < kMinutes; ++i) b.Int(i == kMorningMinutes ? kLunchBreakSeconds : 60);
  Deltas(b.UInt(1025), kMinutes, 3, random);
  Deltas(b.Int(250000), kMinutes, 90000, random);
  Deltas(b.UInt(10250), kMinutes, 20, random);
  // Deals: time, price, volume, flags, the two numbers, id 92.
  b.UInt(kDeals).UInt(92500);
  for (int i = 1; i < kDeals; ++i) b.Int(static_cast<int64_t>(random() % 6));
  Deltas(b.UInt(1025), kDeals, 2, random);
  Deltas(b.Int(300), kDeals, 200, random);
  for (int i = 0; i < (kDeals + 7) / 8; ++i) b.Raw({static_cast<uint8_t>(random())});
  b.UInt(kDealsAnnouncingId92).UInt(0);
  Deltas(b.UInt(30000), kDeals, 20000, random);
  // Four trend columns, five deal columns and the quote record's one entry.
  return Message(kt::Frame(kFormalizedTrend, b.Bytes()), 4 * kMinutes + 5 * kDeals + 1);
}

}  // namespace

void RegisterTrendCases() { RegisterMessageCase("trend_day", FullDayTrend); }

}  // namespace kbench
