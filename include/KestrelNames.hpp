// The C++ face of KestrelUtils: names of the indicator ids that the series
// layouts use, for people and for column labels.
//
//   kestrel::columnName(7, true)   // "low"
//   kestrel::columnName(3, true)   // "close": the price of a bar
//   kestrel::columnName(3, false)  // "price"
#ifndef KESTREL_NAMES_HPP
#define KESTREL_NAMES_HPP

#include <string_view>

namespace kestrel {

struct IndicatorName {
  int id;
  const char* name;
};

// Ids of the series layouts: K-lines (date, four prices, volume, amount,
// settlement, open interest), trends and deals, open funds, level-2 deals
// and orders. Two ids may share a name (2 and 102 are both times of day).
inline constexpr IndicatorName kIndicatorNames[] = {
    {1, "date"},    {2, "time"},        {3, "price"},          {5, "open"},
    {6, "high"},    {7, "low"},         {8, "volume"},         {56, "side"},
    {59, "amount"}, {74, "settlement"}, {76, "open_interest"}, {79, "average"},
    {131, "name"},  {230, "net_value"}, {102, "time"},         {330, "sequence"},
    {331, "order"}, {332, "price"},     {333, "volume"},       {345, "side"},
};

// The price id, which a series of bars (one that has a low) calls "close".
inline constexpr int kPriceId = 3;
inline constexpr int kLowId = 7;
inline constexpr const char* kCloseName = "close";

// The name of indicator `id`; an empty view when the layouts do not name it.
// `bars`: the id belongs to a series of bars (K-lines), where the price is
// the close.
constexpr std::string_view indicatorName(int id, bool bars = false) {
  if (id == kPriceId && bars) return kCloseName;
  for (const IndicatorName& row : kIndicatorNames) {
    if (row.id == id) return row.name;
  }
  return {};
}

}  // namespace kestrel

#endif  // KESTREL_NAMES_HPP
