// The column names of the history and level-2 series layouts.
#include "dump/Indicators.h"

#include <algorithm>

namespace kdump {

namespace {

struct Named {
  int id;
  const char* name;
};

constexpr int kPrice = 3;
constexpr int kLow = 7;

// Ids of the series layouts: K-lines (date, four prices, volume, amount,
// settlement, open interest), trends and deals, open funds, level-2 deals
// and orders.
constexpr Named kNames[] = {
    {1, "date"},    {2, "time"},        {kPrice, "price"},     {5, "open"},
    {6, "high"},    {kLow, "low"},      {8, "volume"},         {56, "side"},
    {59, "amount"}, {74, "settlement"}, {76, "open_interest"}, {79, "average"},
    {131, "name"},  {230, "net_value"}, {102, "time"},         {330, "sequence"},
    {331, "order"}, {332, "price"},     {333, "volume"},       {345, "side"},
};

}  // namespace

std::string ColumnName(int id, const std::vector<int>& ids) {
  const bool bars = std::find(ids.begin(), ids.end(), kLow) != ids.end();
  if (id == kPrice && bars) return "close";
  for (const Named& row : kNames) {
    if (row.id == id) return row.name;
  }
  return std::to_string(id);
}

}  // namespace kdump
