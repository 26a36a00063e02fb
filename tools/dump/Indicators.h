// Names of the indicators that series columns carry, for the table format.
#ifndef KESTREL_DUMP_INDICATORS_H
#define KESTREL_DUMP_INDICATORS_H

#include <string>
#include <vector>

namespace kdump {

// The name of indicator `id` among the columns `ids` of one series, or the
// id as text when it has none. Id 3 is the close of a bar series (one with
// low, high and open columns) and the price of any other.
std::string ColumnName(int id, const std::vector<int>& ids);

}  // namespace kdump

#endif  // KESTREL_DUMP_INDICATORS_H
