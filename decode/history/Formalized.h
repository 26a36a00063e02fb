// Column layouts of formalized trends (type 17) and formalized deals (type
// 18), side by side: each market's trend part and deal part is one table
// below, and the named trend and deal operations only pick a table.
//
// Ids: 1 date and 2 time; 3 price; 8 volume; 59 amount; 79 average price,
// which carries one decimal more than the price; 56 the buy/sell flag of a
// deal; 78 and 92 further deal columns of futures and of A shares and bonds.
// Prices use the series' price unit factor. Int64 columns give their
// multiplier and divisor.
#ifndef KESTREL_DECODE_HISTORY_FORMALIZED_H
#define KESTREL_DECODE_HISTORY_FORMALIZED_H

#include <string_view>

#include "KestrelCode.h"
#include "decode/series/ColumnLayout.h"

namespace kestrel::formalized {

// Time of day: first minute or deal, then signed seconds deltas.
inline constexpr ColumnSpec kTime = {ColumnCodec::kTime, {2}};
// Date and time from one instant, then seconds deltas.
inline constexpr ColumnSpec kDateAndTime = {ColumnCodec::kDateAndTime, {1, 2}};
inline constexpr ColumnSpec kPrice = {ColumnCodec::kDoubleU32, {3}};
inline constexpr ColumnSpec kVolume = {ColumnCodec::kInt64Scaled, {8}, 1, 1};
// Futures and gold exchange volumes are sent a hundredfold.
inline constexpr ColumnSpec kVolumeOf100 = {ColumnCodec::kInt64Scaled, {8}, 1, 100};
inline constexpr ColumnSpec kAmount = {ColumnCodec::kInt64Scaled, {59}, 1, 1};
inline constexpr ColumnSpec kAveragePrice = {
    ColumnCodec::kDoubleU32, {79}, 1, 1, SeriesFactorPlus(1)};
inline constexpr ColumnSpec kBuySell = {ColumnCodec::kBuySell, {56}};

// Trend parts (history record 0).
inline constexpr ColumnSpec kTrendA[] = {kTime, kPrice, kVolume, kAveragePrice};
// HK, TW and overseas stocks.
inline constexpr ColumnSpec kTrendHK[] = {kTime, kPrice, kVolume};
inline constexpr ColumnSpec kTrendFutures[] = {kTime, kPrice, kVolumeOf100};
// Indexes and bonds.
inline constexpr ColumnSpec kTrendIndex[] = {kTime, kPrice, kVolume, kAmount};
inline constexpr ColumnSpec kTrendIopv[] = {kTime, kPrice};

// Deal parts (history record 1, or the one record of type 18).
// A shares, ETF/LOF and bonds (each followed by two numbers and the id-92
// column, kDealTail), HK, TW and overseas stocks.
inline constexpr ColumnSpec kDealFlagged[] = {kTime, kPrice, kVolume, kBuySell};
inline constexpr ColumnSpec kDealTail[] = {{ColumnCodec::kInt64U32, {92}, 1, 1}};
inline constexpr ColumnSpec kDealFutures[] = {
    kTime, kPrice, kVolumeOf100, {ColumnCodec::kInt64Plain, {78}}, kBuySell};
inline constexpr ColumnSpec kDealIndex[] = {kTime, kPrice, kVolume};
// Codes of ".HI" indexes carry the amount in place of the volume.
inline constexpr ColumnSpec kDealHI[] = {kTime, kPrice, kAmount};

// Both parts alike.
// Gold exchange contracts.
inline constexpr ColumnSpec kDatedGold[] = {kDateAndTime, kPrice, kVolumeOf100};
// Foreign exchange and overseas futures.
inline constexpr ColumnSpec kDated[] = {kDateAndTime, kPrice, kVolume};

// Columns that extra operations append with a count of their own.
inline constexpr ColumnSpec kExtraAveragePrice[] = {kAveragePrice};
inline constexpr ColumnSpec kExtraAmount[] = {kAmount};

// True when the code classifies as `type`.
inline bool HasSecurityType(char* code, std::string_view type) {
  return CKestrelCode::GetSecurityType(code) == type;
}

// Both parts of gold exchange contracts, foreign exchange and overseas
// futures: gold exchange volumes are sent a hundredfold.
inline ColumnLayout DatedLayout(char* code) {
  return HasSecurityType(code, "SGE") ? ColumnLayout(kDatedGold) : kDated;
}

}  // namespace kestrel::formalized

#endif  // KESTREL_DECODE_HISTORY_FORMALIZED_H
