// Decimal places of indicator values: most take the security's price unit
// factor; the table lists the ids with places of their own.
#ifndef KESTREL_CODES_INDICATORDECIMALS_H
#define KESTREL_CODES_INDICATORDECIMALS_H

#include <array>
#include <cstddef>
#include <string_view>

#include "codes/IdList.h"

namespace kestrel {

// Decimal places of indicators; ids not listed take the price unit factor.
inline constexpr int kPriceFactor = -1;
inline constexpr int kPriceFactorPlusOne = -2;
struct DecimalsRow {
  int decimals;
  std::string_view ids;
};
inline constexpr DecimalsRow kIndicatorDecimals[] = {
    {0,
     "1 2 8-10 31-50 54-56 59 61-72 76-78 83 88 92 98-102 112 113 136 138-143 154 168-172 "
     "178 185 186 198 199 202 210 213-215 217-219 245 296 298 301 303-305 327-348 350-376 "
     "389 390 392 394 395 397 398 400 401 403 427 478 479 481 483 484 488-490"},
    {2, "224 225 273 456-459 461"},
    {3, "175 377 378 447-450"},
    {4,
     "81 82 174 176 180 182 187-197 205-208 230-243 249 252 281 285 300 349 387 391 393 396 "
     "399 402 460 471 472 474 476 477 482 485 486"},
    {5, "151"},
    {kPriceFactorPlusOne, "79"},
};
inline constexpr size_t kDecimalsTableSize = 491;  // one past the highest listed id

constexpr std::array<int, kDecimalsTableSize> BuildDecimalsById() {
  std::array<int, kDecimalsTableSize> byId{};
  for (int& decimals : byId) decimals = kPriceFactor;
  for (const DecimalsRow& row : kIndicatorDecimals) {
    ForEachListedId(row.ids, [&](int id) { byId[static_cast<size_t>(id)] = row.decimals; });
  }
  return byId;
}
inline constexpr std::array<int, kDecimalsTableSize> kDecimalsById = BuildDecimalsById();

// The decimal places of indicator `id`'s values in a security of price unit
// factor `priceFactor`.
constexpr int IndicatorDecimals(int priceFactor, int id) {
  if (id < 0 || static_cast<size_t>(id) >= kDecimalsTableSize) return priceFactor;
  const int decimals = kDecimalsById[static_cast<size_t>(id)];
  if (decimals == kPriceFactor) return priceFactor;
  if (decimals == kPriceFactorPlusOne) return priceFactor + 1;
  return decimals;
}

}  // namespace kestrel

#endif  // KESTREL_CODES_INDICATORDECIMALS_H
