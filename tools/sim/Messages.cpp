// Writers of the server's messages.
#include "sim/Messages.h"

#include <algorithm>
#include <cstddef>

namespace ksim {

using kwire::DateColumn;
using kwire::DateTimeColumns;
using kwire::DeltaColumn;
using kwire::FlagColumn;
using kwire::Form;
using kwire::PlainColumn;
using kwire::PriceColumns;
using kwire::TimeColumn;

namespace {

constexpr Form kU = Form::kUnsigned;
constexpr Form kS = Form::kSigned;

// Quote updates send these plain ids signed; others up to 128 unsigned.
bool SignedInQuoteUpdate(uint32_t id) {
  static constexpr uint32_t kSignedIds[] = {8, 9, 10, 59, 78, 80, 81, 82};
  return std::find(std::begin(kSignedIds), std::end(kSignedIds), id) != std::end(kSignedIds);
}

// The value of one entry in the messages whose plain values are all signed
// (masked data, simple indicators, symbols blocks).
void SignedValue(MessageBuilder& out, const Entry& entry) {
  switch (entry.kind) {
    case Entry::Kind::kText:
      out.Sized(entry.text);
      break;
    case Entry::Kind::kWritten:
      out.Raw(entry.written);
      break;
    case Entry::Kind::kPlain:
      out.Int(entry.value);
      break;
  }
}

// Security blocks of simple indicators and symbols: count, then code, entry
// count and (id, value) pairs.
void SignedBlocks(MessageBuilder& out, const std::vector<Block>& blocks) {
  out.UInt(blocks.size());
  for (const Block& block : blocks) {
    out.Raw(block.security->wire).UInt(block.entries.size());
    for (const Entry& entry : block.entries) {
      out.UInt(entry.id);
      SignedValue(out, entry);
    }
  }
}

template <typename Row, typename Field>
std::vector<int64_t> Column(const std::vector<Row>& rows, Field field) {
  std::vector<int64_t> column;
  for (const Row& row : rows) column.push_back(static_cast<int64_t>(row.*field));
  return column;
}
template <typename Row>
std::vector<int> Ints(const std::vector<Row>& rows, int Row::*field) {
  std::vector<int> column;
  for (const Row& row : rows) column.push_back(row.*field);
  return column;
}

// Deltas on an unsigned first value: prices and running counts.
void Running(MessageBuilder& out, const std::vector<int64_t>& values) {
  DeltaColumn(out, values, kU, kS);
}
// Deltas on a signed first value: volumes and amounts.
void SignedRunning(MessageBuilder& out, const std::vector<int64_t>& values) {
  DeltaColumn(out, values, kS, kS);
}

bool DatedSeries(Market market) {
  return market == Market::kGold || market == Market::kFx || market == Market::kOverseaFutures;
}

// The columns that every trend and deal part starts with: the row count,
// the time (with the date for dated markets), the price and the volume.
// False when there are no rows, and so no columns.
template <typename Row>
bool LeadingColumns(MessageBuilder& out, Market market, const std::vector<Row>& rows) {
  out.UInt(rows.size());
  if (rows.empty()) return false;
  if (DatedSeries(market)) {
    DateTimeColumns(out, Ints(rows, &Row::date), Ints(rows, &Row::time));
  } else {
    TimeColumn(out, Ints(rows, &Row::time));
  }
  Running(out, Column(rows, &Row::price));
  SignedRunning(out, Column(rows, &Row::volume));
  return true;
}

// Trend part of the formalized trend message, by market.
void TrendPart(MessageBuilder& out, Market market, const std::vector<Minute>& minutes) {
  if (!LeadingColumns(out, market, minutes)) return;
  if (market == Market::kShare || market == Market::kEtf) {
    Running(out, Column(minutes, &Minute::average));
  } else if (market == Market::kIndex) {
    SignedRunning(out, Column(minutes, &Minute::amount));
  }
}

// Deal part of the formalized trend and deal messages, by market.
void DealPart(MessageBuilder& out, Market market, const std::vector<Deal>& deals) {
  if (!LeadingColumns(out, market, deals)) return;
  switch (market) {
    case Market::kShare:
    case Market::kEtf:
      FlagColumn(out, Ints(deals, &Deal::flag));
      // The count of deals behind the flags says that the interest column
      // follows; the next number is not used by readers.
      out.UInt(deals.size()).UInt(0);
      Running(out, Column(deals, &Deal::interest));
      break;
    case Market::kHongKong:
      FlagColumn(out, Ints(deals, &Deal::flag));
      break;
    case Market::kFutures:
      PlainColumn(out, Column(deals, &Deal::interest), kS);
      FlagColumn(out, Ints(deals, &Deal::flag));
      break;
    default:
      break;
  }
}

void QueueLevels(MessageBuilder& out, const QueueLevel& level, bool update) {
  if (update) out.UInt(level.op);
  out.UInt(level.price).UInt(level.orders).UInt(level.volumes.size());
  if (!update) {
    for (const uint32_t volume : level.volumes) out.UInt(volume);
  } else if (level.op == 1 && !level.volumes.empty()) {
    std::vector<int64_t> volumes(level.volumes.begin(), level.volumes.end());
    Running(out, volumes);
  }
}

}  // namespace

Bytes Framed(MessageType type, const Bytes& body) { return kwire::Frame(WireType(type), body); }

bool StopBitTimes(Market market) { return DatedSeries(market); }

Entry Plain(uint32_t id, int64_t value) { return {id, Entry::Kind::kPlain, value, {}, {}}; }
Entry Text(uint32_t id, std::string text) {
  return {id, Entry::Kind::kText, 0, std::move(text), {}};
}
Entry Written(uint32_t id, Bytes value) {
  return {id, Entry::Kind::kWritten, 0, {}, std::move(value)};
}

Bytes CountedList(const std::vector<uint32_t>& values) {
  MessageBuilder out;
  out.UInt(values.size());
  for (const uint32_t value : values) out.UInt(value);
  return out.Bytes();
}

Bytes CorporateActions(const std::vector<CorporateAction>& actions) {
  MessageBuilder out;
  out.UInt(actions.size());
  for (const CorporateAction& action : actions) {
    out.UInt(action.days).UInt(action.amount).Sized(action.comment);
  }
  return out.Bytes();
}

Bytes Level2Series(const Columns& columns) {
  MessageBuilder out;
  out.UInt(columns.empty() ? 0 : columns[0].size());
  for (const auto& column : columns) Running(out, column);
  return out.Bytes();
}

Bytes OrderQueueValue(const OrderQueue& queue) {
  MessageBuilder out;
  out.UInt(queue.stamp).UInt(queue.side).UInt(queue.image).UInt(queue.levels.size());
  for (const QueueLevel& level : queue.levels) QueueLevels(out, level, queue.image == 2);
  return out.Bytes();
}

Bytes MarketEvents(const std::vector<MarketEvent>& events) {
  MessageBuilder out;
  out.UInt(events.size());
  for (const MarketEvent& event : events) {
    for (const uint32_t number : event.info) out.UInt(number);
    out.Sized(event.code).UInt(event.fields.size());
    for (const auto& [id, value] : event.fields) out.UInt(id).Int(value);
    out.Sized(event.text);
  }
  return out.Bytes();
}

Bytes QuoteUpdate(const std::vector<Block>& blocks) {
  MessageBuilder out;
  out.UInt(blocks.size());
  for (const Block& block : blocks) {
    out.Raw(block.security->wire).UInt(block.entries.size());
    for (const Entry& entry : block.entries) {
      out.UInt(entry.id);
      if (entry.kind != Entry::Kind::kPlain) {
        SignedValue(out, entry);
      } else if (entry.id == 2 || entry.id == 127) {
        const int t = static_cast<int>(entry.value);
        if (StopBitTimes(block.security->market)) {
          out.UInt(static_cast<uint64_t>(t));
        } else {
          out.PackedTime(t / 10000, t / 100 % 100, t % 100);
        }
      } else if (entry.id <= 128 && !SignedInQuoteUpdate(entry.id)) {
        out.UInt(static_cast<uint64_t>(entry.value));
      } else {
        out.Int(entry.value);
      }
    }
  }
  return Framed(MessageType::QuoteUpdate, out.Bytes());
}

Bytes QuoteError(uint32_t error) {
  return Framed(MessageType::QuoteUpdate, MessageBuilder().UInt(0).UInt(error).Bytes());
}

Bytes Masked(MessageType type, const std::vector<uint32_t>& ids, const std::vector<Block>& blocks) {
  MessageBuilder out;
  out.UInt(ids.size());
  for (const uint32_t id : ids) out.UInt(id);
  out.UInt(blocks.size());
  for (const Block& block : blocks) {
    // The mask selects the ids of the entries; the values follow in the
    // order of the id list.
    Bytes mask((ids.size() + 7) / 8, 0);
    std::vector<const Entry*> ordered;
    for (size_t p = 0; p < ids.size(); ++p) {
      for (const Entry& entry : block.entries) {
        if (entry.id != ids[p]) continue;
        mask[p / 8] |= static_cast<uint8_t>(0x80 >> (p % 8));
        ordered.push_back(&entry);
        break;
      }
    }
    out.Raw(block.security->wire).Raw(mask).UInt(ordered.size());
    for (const Entry* entry : ordered) SignedValue(out, *entry);
  }
  return Framed(type, out.Bytes());
}

Bytes SimpleIndicators(const std::vector<Block>& blocks) {
  MessageBuilder out;
  SignedBlocks(out, blocks);
  return Framed(MessageType::SimpleIndicators, out.Bytes());
}

Bytes LoginReply(const Login& login) {
  MessageBuilder out;
  out.Sized(login.userId).Int(login.clientType).Int(login.maxSubIndicators);
  for (int unused = 0; unused < 5; ++unused) out.Int(0);
  out.Sized(login.serverName).Sized(login.serverIp);
  return Framed(MessageType::Login, out.Bytes());
}

Bytes WatchList(const std::vector<std::pair<const Security*, std::vector<uint32_t>>>& items) {
  MessageBuilder out;
  out.UInt(0).UInt(items.size());
  for (const auto& [security, ids] : items) {
    out.Raw(security->wire).UInt(ids.size());
    for (const uint32_t id : ids) out.UInt(id);
  }
  return Framed(MessageType::ServerSubInfo, out.Bytes());
}

Bytes StatusReply(uint32_t v2, int64_t v3, int64_t v4, uint32_t v8, uint32_t v5, uint32_t v7) {
  return Framed(MessageType::StatusTest,
                MessageBuilder().UInt(v2).Int(v3).Int(v4).UInt(v8).UInt(v5).UInt(v7).Bytes());
}

Bytes Heartbeat() { return Framed(MessageType::HeartBeat, {}); }

Bytes RawData(const Bytes& payload) { return Framed(MessageType::RawData, payload); }

Bytes DayKLine(const Security& security, uint32_t status, const std::vector<Bar>& bars) {
  MessageBuilder out;
  out.Raw(security.wire).UInt(static_cast<uint32_t>(security.factor));
  if (security.factor != 0) out.UInt(status);
  out.UInt(bars.size());
  if (bars.empty()) return Framed(MessageType::DayKLine, out.Bytes());
  DateColumn(out, Ints(bars, &Bar::date));
  if (security.market == Market::kOpenFund) {
    // Net values only: one column of id 230.
    std::vector<int64_t> values;
    for (const Bar& bar : bars) values.push_back(bar.prices[2]);
    Running(out, values);
    return Framed(MessageType::DayKLine, out.Bytes());
  }
  std::vector<std::array<int64_t, 4>> prices;
  for (const Bar& bar : bars) prices.push_back(bar.prices);
  PriceColumns(out, prices);
  SignedRunning(out, Column(bars, &Bar::volume));
  SignedRunning(out, Column(bars, &Bar::amount));
  if (security.market == Market::kFutures || security.market == Market::kOverseaFutures) {
    std::vector<int64_t> settlement;
    for (const Bar& bar : bars) settlement.push_back(bar.prices[2]);
    Running(out, settlement);
    Running(out, Column(bars, &Bar::extra));
  }
  return Framed(MessageType::DayKLine, out.Bytes());
}

Bytes MinuteKLine(const Security& security, uint32_t barLength, const std::vector<Bar>& bars) {
  MessageBuilder out;
  out.Raw(security.wire).UInt(barLength).UInt(static_cast<uint32_t>(security.factor));
  out.UInt(bars.size());
  if (bars.empty()) return Framed(MessageType::MinuteKLine, out.Bytes());
  DateTimeColumns(out, Ints(bars, &Bar::date), Ints(bars, &Bar::time));
  std::vector<std::array<int64_t, 4>> prices;
  for (const Bar& bar : bars) prices.push_back(bar.prices);
  PriceColumns(out, prices);
  SignedRunning(out, Column(bars, &Bar::volume));
  SignedRunning(out, Column(bars, &Bar::amount));
  if (security.market == Market::kFutures) {
    std::vector<int64_t> settlement;
    for (const Bar& bar : bars) settlement.push_back(bar.prices[2]);
    Running(out, settlement);
    Running(out, Column(bars, &Bar::extra));
  }
  return Framed(MessageType::MinuteKLine, out.Bytes());
}

Bytes Level2History(const Security& security, uint32_t kind, const Columns& series,
                    uint32_t trailing, int64_t trailingLong) {
  MessageBuilder out;
  // Of the four head numbers only the last is read: 1, the series follows.
  out.UInt(kind).Raw(security.wire).UInt(1).UInt(0).UInt(0).UInt(1);
  out.Raw(Level2Series(series));
  if (kind == 1) out.UInt(trailing).Int(trailingLong);
  return Framed(MessageType::Level2TransactionsHistory, out.Bytes());
}

Bytes FormalizedTrend(const Security& security, const std::vector<Minute>& minutes,
                      const std::vector<Deal>& deals) {
  MessageBuilder out;
  out.UInt(1).Raw(security.wire);
  const Market market = security.market;
  if (market == Market::kOpenFund)
    return Framed(MessageType::FormalizedTrend, out.Bytes());  // no trend for open funds
  TrendPart(out, market, minutes);
  DealPart(out, market, deals);
  if (market == Market::kHongKong || market == Market::kFutures) {
    // The average price, one decimal more than the price.
    out.UInt(minutes.size());
    if (!minutes.empty()) Running(out, Column(minutes, &Minute::average));
  } else if (market == Market::kIndex) {
    // The amount of each deal.
    out.UInt(deals.size());
    if (!deals.empty()) SignedRunning(out, Column(deals, &Deal::amount));
  }
  return Framed(MessageType::FormalizedTrend, out.Bytes());
}

Bytes FormalizedDeal(const Security& security, const std::vector<Deal>& deals) {
  MessageBuilder out;
  out.UInt(1).Raw(security.wire);
  switch (security.market) {
    case Market::kOpenFund:
      break;  // no deals for open funds
    case Market::kOverseaFutures:
      // Overseas futures deals travel in the domestic futures layout here.
      DealPart(out, Market::kFutures, deals);
      break;
    default:
      DealPart(out, security.market, deals);
      break;
  }
  return Framed(MessageType::FormalizedDeal, out.Bytes());
}

Bytes HisTrend(const Security& security, const std::vector<Block>& symbols, const Bytes& nested) {
  MessageBuilder out;
  // Presence, the code, a head number, the marker 1 and the kind 6.
  out.UInt(1).Raw(security.wire).UInt(0).UInt(1).UInt(6);
  SignedBlocks(out, symbols);
  out.Raw(nested);
  return Framed(MessageType::HisTrend, out.Bytes());
}

Bytes QeData(const Security& security, uint32_t hisType, uint32_t periodCode,
             const std::vector<QeSeries>& series, const std::vector<QeParameter>& parameters) {
  size_t rows = 1;
  if (!series.empty()) rows = std::max(series[0].numbers.size(), series[0].texts.size());
  MessageBuilder out;
  out.UInt(0).Raw(security.wire).UInt(hisType).UInt(0).UInt(0).UInt(rows);
  out.UInt(periodCode).UInt(series.size());
  for (const QeSeries& one : series) {
    out.UInt(one.id).UInt(one.kind).UInt(one.factor);
    if (one.kind == 2) {
      std::vector<int> dates(one.numbers.begin(), one.numbers.end());
      DateColumn(out, dates);
    } else if (one.kind == 4) {
      for (const std::string& text : one.texts) out.Sized(text);
    } else {
      SignedRunning(out, one.numbers);
    }
  }
  out.UInt(parameters.size());
  for (const QeParameter& p : parameters) out.UInt(p.id).UInt(p.decimals).Int(p.value);
  return Framed(MessageType::QEDataPlus, out.Bytes());
}

Bytes QeQueues(const Security& security, const std::array<OrderQueue, 2>& sides) {
  MessageBuilder out;
  out.UInt(0).Raw(security.wire).UInt(11).UInt(0).UInt(0).UInt(1).UInt(0).UInt(0);
  for (const OrderQueue& queue : sides) {
    out.Int(queue.stamp).Int(queue.side).Int(queue.image).UInt(0).UInt(0).UInt(0);
    out.Int(static_cast<int64_t>(queue.levels.size()));
    for (const QueueLevel& level : queue.levels) {
      out.Int(level.price).Int(level.orders).UInt(level.volumes.size()).UInt(0).UInt(0).UInt(0);
      // Volumes after the first travel in hundreds.
      for (size_t k = 0; k < level.volumes.size(); ++k) {
        out.Int(k == 0 ? level.volumes[k] : level.volumes[k] / 100);
      }
    }
  }
  return Framed(MessageType::QEDataPlus, out.Bytes());
}

Bytes SectorCharts(uint32_t module, const std::string& name,
                   const std::vector<ChartSector>& sectors) {
  MessageBuilder out;
  out.UInt(module).UInt(name.size());
  out.Raw(Bytes(name.begin(), name.end()));
  const size_t entries = sectors.empty() ? 0 : sectors[0].entries.size();
  out.UInt(entries);
  if (entries == 0) return Framed(MessageType::SectorCharts, out.Bytes());
  for (const ChartSector& sector : sectors) {
    out.UInt(sector.indicator);
    for (const ChartEntry& entry : sector.entries) {
      out.Raw(entry.security->wire).Int(entry.price).Int(entry.previous).Int(entry.value);
    }
  }
  return Framed(MessageType::SectorCharts, out.Bytes());
}

Bytes SectorQuotesOrder(uint32_t module, const std::vector<const Security*>& codes) {
  MessageBuilder out;
  out.UInt(module).UInt(codes.size());
  for (const Security* security : codes) out.Raw(security->wire);
  return Framed(MessageType::SectorQuotesOrder, out.Bytes());
}

Bytes PagedRanking(uint32_t module, uint32_t total, uint32_t start,
                   const std::vector<std::pair<const Security*, std::string>>& entries) {
  MessageBuilder out;
  const uint32_t end = start + static_cast<uint32_t>(entries.size()) - 1;
  out.UInt(module).UInt(total).UInt(0).UInt(0).UInt(start).UInt(end);
  for (const auto& [security, value] : entries) out.Raw(security->wire).Sized(value);
  return Framed(MessageType::PagedRankingList, out.Bytes());
}

}  // namespace ksim
