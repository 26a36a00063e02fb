// Ranking replies: a page of 1,000 ranked codes with their value texts
// (paged ranking list, type 40) and the sector charts of nine sectors of 200
// entries each (type 9). Both classify every code they read.
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "ServiceRecords.h"

namespace kbench {
namespace {

constexpr int kPageEntries = 1000;
constexpr int kSectors = 9;
constexpr int kChartEntries = 200;
constexpr uint32_t kPagedRankingList = 40;
constexpr uint32_t kSectorCharts = 9;

// A ranked A share of Shanghai or Shenzhen, by rank.
std::string RankedCode(int rank) {
  char text[16];
  std::snprintf(text, sizeof text, rank % 2 ? "%06d.SH" : "%06d.SZ",
                rank % 2 ? 600000 + rank : 1 + rank);
  return text;
}

// The page of ranks 1 to kPageEntries: each code and its value as text.
CaseData RankingPage() {
  std::mt19937 random(40);
  kt::MessageBuilder b;
  b.UInt(5).UInt(4800).UInt(1).UInt(2).UInt(1).UInt(kPageEntries);
  for (int rank = 1; rank <= kPageEntries; ++rank) {
    char value[16];
    std::snprintf(value, sizeof value, "%d.%02d", static_cast<int>(random() % 100),
                  static_cast<int>(random() % 100));
    b.Raw(CompactCode(RankedCode(rank).c_str())).Sized(value);
  }
  return Message(kt::Frame(kPagedRankingList, b.Bytes()), 2 * kPageEntries);
}

// A code and a value text for each entry.
int64_t CountPageValues(char* result, int type) {
  auto* list = reinterpret_cast<CPagedRankList*>(result);
  if (type != 40 || list->Codes == nullptr || list->Values == nullptr) return -1;
  return 2 * static_cast<int64_t>(list->CodeNum);
}

// Nine sectors ranked by a few indicators, each entry a code, its price, its
// previous price and the indicator's value.
CaseData SectorCharts() {
  std::mt19937 random(9);
  kt::MessageBuilder b;
  b.UInt(7).Sized("Sectors").UInt(kChartEntries);
  const uint32_t indicators[] = {188, 81, 187, 59, 189, 82, 190, 188, 81};
  for (int s = 0; s < kSectors; ++s) {
    b.UInt(indicators[s]);
    for (int e = 0; e < kChartEntries; ++e) {
      const int64_t price = 500 + static_cast<int64_t>(random() % 50000);
      b.Raw(CompactCode(RankedCode(s * kChartEntries + e).c_str()));
      b.Int(price).Int(price - 100 + static_cast<int64_t>(random() % 200));
      b.Int(static_cast<int64_t>(random() % 2000000) - 1000000);
    }
  }
  return Message(kt::Frame(kSectorCharts, b.Bytes()), 4 * kSectors * kChartEntries);
}

// A code, a price, a change and a value for each entry.
int64_t CountChartValues(char* result, int type) {
  auto* info = reinterpret_cast<CTop8Info*>(result);
  if (type != 9 || info->GetSectorChartItem() == nullptr) return -1;
  int64_t entries = 0;
  for (int s = 0; s < info->GetSectorChartItemNum(); ++s) {
    entries += info->GetSectorChartItem()[s].GetChartItemNum();
  }
  return 4 * entries;
}

}  // namespace

void RegisterRankingCases() {
  RegisterMessageCase("ranking_page", RankingPage, CountPageValues);
  RegisterMessageCase("sector_charts", SectorCharts, CountChartValues);
}

}  // namespace kbench
