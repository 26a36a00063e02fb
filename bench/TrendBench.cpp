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

CaseData FullDayTrend() {
  std::mt19937 random(17);
  kt::MessageBuilder b;
  b.UInt(1).TextCode("600000.SH");
  // Trend: time, price, volume, average price.
  b.UInt(kMinutes).UInt(93000);
  for (int i = 1; i < kMinutes; ++i) b.Int(i == kMorningMinutes ? kLunchBreakSeconds : 60);
  SignedRun(b.UInt(1025), kMinutes - 1, -3, 3, random);
  SignedRun(b.Int(250000), kMinutes - 1, -90000, 90000, random);
  SignedRun(b.UInt(10250), kMinutes - 1, -20, 20, random);
  // Deals: time, price, volume, flags, the two numbers, id 92.
  b.UInt(kDeals).UInt(92500);
  SignedRun(b, kDeals - 1, 0, 5, random);
  SignedRun(b.UInt(1025), kDeals - 1, -2, 2, random);
  SignedRun(b.Int(300), kDeals - 1, -200, 200, random);
  for (int i = 0; i < (kDeals + 7) / 8; ++i) b.Raw({static_cast<uint8_t>(random())});
  b.UInt(kDealsAnnouncingId92).UInt(0);
  SignedRun(b.UInt(30000), kDeals - 1, -20000, 20000, random);
  // Four trend columns, five deal columns and the quote record's one entry.
  return Message(kt::Frame(kFormalizedTrend, b.Bytes()), 4 * kMinutes + 5 * kDeals + 1);
}

}  // namespace

void RegisterTrendCases() {
  RegisterCase("trend_day", FullDayTrend,
               {{"decode", DecodeSubject()}, {"series", SeriesSubject()}});
}

}  // namespace kbench
