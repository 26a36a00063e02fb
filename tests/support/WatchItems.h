// Subscription list items for encoder tests: the test owns the id arrays, so
// the records' destructor must not free them.
#ifndef KESTREL_TESTS_SUPPORT_WATCHITEMS_H
#define KESTREL_TESTS_SUPPORT_WATCHITEMS_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "KestrelUtils.h"

namespace kt {

struct Items {
  Items(std::initializer_list<std::pair<const char*, std::vector<uint16_t>>> rows) {
    for (const auto& row : rows) ids.push_back(row.second);
    items.resize(ids.size());
    size_t i = 0;
    for (const auto& row : rows) {
      std::memset(items[i].TernCode, 0, sizeof items[i].TernCode);
      std::strncpy(items[i].TernCode, row.first, sizeof items[i].TernCode - 1);
      items[i].IndIndex = ids[i].empty() ? nullptr : ids[i].data();
      items[i].IndIndexNum = static_cast<int>(ids[i].size());
      ++i;
    }
  }
  ~Items() {
    for (WatchListItem& item : items) item.IndIndex = nullptr;
  }
  Items(const Items&) = delete;
  Items& operator=(const Items&) = delete;
  WatchListItem* data() { return items.data(); }
  int size() const { return static_cast<int>(items.size()); }
  std::vector<std::vector<uint16_t>> ids;
  std::vector<WatchListItem> items;
};

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_WATCHITEMS_H
