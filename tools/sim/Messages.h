// Writers of every message the quote server sends, on top of the message
// writer (kwire). Each returns a whole message: length prefix, type, body.
//
// The writers take the values as they travel: prices and amounts are the
// scaled integers of the wire, series are written with the column writers.
// The layout of a series is the server's choice by the kind of security; the
// Market of a Security tells the writers which layout to use.
#ifndef KESTREL_SIM_MESSAGES_H
#define KESTREL_SIM_MESSAGES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "wire/Columns.h"
#include "wire/MessageBuilder.h"

namespace ksim {

using kestrel::MessageType;
using kwire::Bytes;
using kwire::MessageBuilder;

// The number a message type travels as, and a whole message of that type
// around `body`.
constexpr uint32_t WireType(MessageType type) { return static_cast<uint32_t>(type); }
Bytes Framed(MessageType type, const Bytes& body);

// The kinds of security whose messages differ on the wire.
enum class Market {
  kShare,           // A shares: packed times, level-2 data, 8 in lots
  kIndex,           // exchange indices
  kEtf,             // exchange-traded funds (not indicative values)
  kHongKong,        // Hong Kong: counted lists of 57 and 58
  kFutures,         // domestic futures
  kOverseaFutures,  // overseas futures
  kGold,            // gold exchange contracts
  kFx,              // foreign exchange
  kOpenFund,        // open funds: net values only
};

struct Security {
  std::string code;  // TernCode text
  Bytes wire;        // its compact form
  Market market;
  int factor;     // decimal places of its prices
  int64_t price;  // reference price, scaled by factor
};

// Times of day in quote updates travel as stop-bit integers for these
// markets and as two-byte packed times for the others.
bool StopBitTimes(Market market);

// One indicator of a security block.
struct Entry {
  enum class Kind { kPlain, kText, kWritten };
  uint32_t id;
  Kind kind;
  int64_t value;     // kPlain: the wire integer (hhmmss for times)
  std::string text;  // kText
  Bytes written;     // kWritten: the value as it travels (lists, level-2 blocks)
};
Entry Plain(uint32_t id, int64_t value);
Entry Text(uint32_t id, std::string text);
Entry Written(uint32_t id, Bytes value);

struct Block {
  const Security* security;
  std::vector<Entry> entries;
};

// Values of the indicators that carry more than one number.
// 57 and 58 of Hong Kong securities: a counted list.
Bytes CountedList(const std::vector<uint32_t>& values);
// 150: corporate actions (days after 1990-01-01, amount with five decimals,
// coded comment).
struct CorporateAction {
  uint32_t days;
  uint32_t amount;
  std::string comment;
};
Bytes CorporateActions(const std::vector<CorporateAction>& actions);
// A level-2 series: columns in wire order, each with one value per row.
using Columns = std::vector<std::vector<int64_t>>;
Bytes Level2Series(const Columns& columns);
// 91: an order queue, full image (status 1) or update (status 2; level
// operator 1 updates the volumes, other operators carry no items).
struct QueueLevel {
  uint32_t op;
  uint32_t price;  // three decimals
  uint32_t orders;
  std::vector<uint32_t> volumes;
};
struct OrderQueue {
  uint32_t stamp;
  uint32_t side;
  uint32_t image;
  std::vector<QueueLevel> levels;
};
Bytes OrderQueueValue(const OrderQueue& queue);
// 155: market events.
struct MarketEvent {
  std::array<uint32_t, 4> info;
  std::string code;
  std::vector<std::pair<uint32_t, int64_t>> fields;  // id, wire value
  std::string text;
};
Bytes MarketEvents(const std::vector<MarketEvent>& events);

// Real-time messages. Masked writes MaskedIndicators or MaskedData.
Bytes QuoteUpdate(const std::vector<Block>& blocks);
// A quote update without securities: an error code.
Bytes QuoteError(uint32_t error);
Bytes Masked(MessageType type, const std::vector<uint32_t>& ids, const std::vector<Block>& blocks);
Bytes SimpleIndicators(const std::vector<Block>& blocks);

// Service messages.
struct Login {
  std::string userId;
  int64_t clientType;
  int64_t maxSubIndicators;
  std::string serverName;
  std::string serverIp;
};
Bytes LoginReply(const Login& login);
Bytes WatchList(const std::vector<std::pair<const Security*, std::vector<uint32_t>>>& items);
Bytes StatusReply(uint32_t v2, int64_t v3, int64_t v4, uint32_t v8, uint32_t v5, uint32_t v7);
Bytes Heartbeat();
// The host's own bytes.
Bytes RawData(const Bytes& payload);

// A bar of a K-line series.
struct Bar {
  int date;
  int time;                       // minute bars only
  std::array<int64_t, 4> prices;  // low, high, close, open
  int64_t volume;
  int64_t amount;
  int64_t extra;  // futures: 74 (settlement price) and 76 (open interest)
};
Bytes DayKLine(const Security& security, uint32_t status, const std::vector<Bar>& bars);
Bytes MinuteKLine(const Security& security, uint32_t barLength, const std::vector<Bar>& bars);

// Level-2 transaction history: kind 1 deals (with the two trailing
// numbers), kind 2 reverted deals.
Bytes Level2History(const Security& security, uint32_t kind, const Columns& series,
                    uint32_t trailing, int64_t trailingLong);

// A minute of the intraday trend, and a deal.
struct Minute {
  int date;
  int time;
  int64_t price;
  int64_t volume;
  int64_t average;  // one decimal more than the price
  int64_t amount;
};
struct Deal {
  int date;
  int time;
  int64_t price;
  int64_t volume;
  int64_t amount;
  int flag;          // 0 buy, 1 sell
  int64_t interest;  // open interest of futures; a running number of A shares
};
Bytes FormalizedTrend(const Security& security, const std::vector<Minute>& minutes,
                      const std::vector<Deal>& deals);
Bytes FormalizedDeal(const Security& security, const std::vector<Deal>& deals);
// A symbols block and a nested whole message.
Bytes HisTrend(const Security& security, const std::vector<Block>& symbols, const Bytes& nested);

// QE data: series of one security, then parameters (id, decimals, value).
struct QeSeries {
  uint32_t id;
  uint32_t kind;  // 0 doubles, 2 dates, 4 texts
  uint32_t factor;
  std::vector<int64_t> numbers;  // kinds 0 and 2 (dates yyyymmdd)
  std::vector<std::string> texts;
};
struct QeParameter {
  uint32_t id;
  uint32_t decimals;
  int64_t value;
};
Bytes QeData(const Security& security, uint32_t hisType, uint32_t periodCode,
             const std::vector<QeSeries>& series, const std::vector<QeParameter>& parameters);
// QE data of history type 11: both sides of the level-2 order queue.
Bytes QeQueues(const Security& security, const std::array<OrderQueue, 2>& sides);

// Rankings.
struct ChartEntry {
  const Security* security;
  int64_t price;
  int64_t previous;
  int64_t value;
};
struct ChartSector {
  uint32_t indicator;
  std::vector<ChartEntry> entries;
};
// Nine sectors of equal sizes.
Bytes SectorCharts(uint32_t module, const std::string& name,
                   const std::vector<ChartSector>& sectors);
Bytes SectorQuotesOrder(uint32_t module, const std::vector<const Security*>& codes);
Bytes PagedRanking(uint32_t module, uint32_t total, uint32_t start,
                   const std::vector<std::pair<const Security*, std::string>>& entries);

}  // namespace ksim

#endif  // KESTREL_SIM_MESSAGES_H
