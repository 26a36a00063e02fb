// Lists of indicator ids written the way the protocol's tables write them:
// "1 2 8-10 31-50" (single ids and inclusive ranges, separated by spaces),
// read by the compiler into lookup tables.
#ifndef KESTREL_CODES_IDLIST_H
#define KESTREL_CODES_IDLIST_H

#include <array>
#include <cstddef>
#include <string_view>

namespace kestrel {

// Calls visit(id) for every id of the list.
template <typename Visit>
constexpr void ForEachListedId(std::string_view list, Visit visit) {
  size_t i = 0;
  auto number = [&]() {
    int n = 0;
    while (i < list.size() && list[i] >= '0' && list[i] <= '9') n = n * 10 + (list[i++] - '0');
    return n;
  };
  while (i < list.size()) {
    if (list[i] == ' ') {
      ++i;
      continue;
    }
    const int low = number();
    int high = low;
    if (i < list.size() && list[i] == '-') {
      ++i;
      high = number();
    }
    for (int id = low; id <= high; ++id) visit(id);
  }
}

// Membership of ids 0 .. N-1 in a list.
template <size_t N>
constexpr std::array<bool, N> IdSet(std::string_view list) {
  std::array<bool, N> set{};
  ForEachListedId(list, [&](int id) {
    if (id >= 0 && static_cast<size_t>(id) < N) set[static_cast<size_t>(id)] = true;
  });
  return set;
}

template <size_t N>
constexpr bool InIdSet(const std::array<bool, N>& set, int id) {
  return id >= 0 && static_cast<size_t>(id) < N && set[static_cast<size_t>(id)];
}

}  // namespace kestrel

#endif  // KESTREL_CODES_IDLIST_H
