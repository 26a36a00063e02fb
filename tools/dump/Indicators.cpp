// The column names of the history and level-2 series layouts.
#include "dump/Indicators.h"

#include <algorithm>

#include "KestrelNames.hpp"

namespace kdump {

std::string ColumnName(int id, const std::vector<int>& ids) {
  const bool bars = std::find(ids.begin(), ids.end(), kestrel::kLowId) != ids.end();
  const std::string_view name = kestrel::indicatorName(id, bars);
  return name.empty() ? std::to_string(id) : std::string(name);
}

}  // namespace kdump
