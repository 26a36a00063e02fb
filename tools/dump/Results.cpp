// Every exported result record as a value tree.
#include "dump/Results.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <type_traits>
#include <variant>

#include "KestrelUtils.h"

namespace kdump {

namespace {

using kestrel::MessageType;
using kestrel::ValueType;

struct TypeRow {
  MessageType type;
  const char* name;
};

// The received message types, named as the dump has always printed them.
constexpr TypeRow kTypes[] = {
    {MessageType::DayKLine, "day K-lines"},
    {MessageType::MinuteKLine, "minute K-lines"},
    {MessageType::HisTrend, "history trend"},
    {MessageType::SectorCharts, "sector charts"},
    {MessageType::FormalizedTrend, "formalized trend"},
    {MessageType::FormalizedDeal, "formalized deals"},
    {MessageType::QEDataPlus, "QE data"},
    {MessageType::MaskedIndicators, "masked indicators"},
    {MessageType::MaskedData, "masked data"},
    {MessageType::ServerSubInfo, "subscription list"},
    {MessageType::SimpleIndicators, "simple indicators"},
    {MessageType::SectorQuotesOrder, "sector quotes order"},
    {MessageType::PagedRankingList, "paged ranking"},
    {MessageType::RawData, "raw data"},
    {MessageType::Compressed, "compressed envelope"},
    {MessageType::HeartBeat, "heartbeat"},
    {MessageType::StatusTest, "status test"},
    {MessageType::HeartBeatAlt, "heartbeat"},
    {MessageType::QuoteUpdate, "quote update"},
    {MessageType::Login, "login"},
    {MessageType::Level2TransactionsHistory, "level-2 transaction history"},
};

const char* ValueTypeName(ValueType type) {
  switch (type) {
    case ValueType::Char:
      return "char";
    case ValueType::Int:
      return "int";
    case ValueType::Double:
      return "double";
    case ValueType::Int64:
      return "int64";
    case ValueType::Text:
      return "text";
    case ValueType::IntArray:
      return "int[]";
    case ValueType::DoubleArray:
      return "double[]";
    case ValueType::Int64Array:
      return "int64[]";
    case ValueType::TextArray:
      return "text[]";
  }
  return "none";
}

// The elements of a record's array, each made a tree by `make`.
template <typename T, typename Make>
Node ListOf(kestrel::Span<T> elements, Make make) {
  Node list = Node::List();
  for (T& element : elements) list.Add(make(element));
  return list;
}

Node TextOf(const char* text) { return Node::Text(text); }

// A single value as a tree. A null text stays null rather than empty.
Node ValueNode(const kestrel::Entry& entry) {
  if (entry.type == ValueType::Text) return TextOf(entry.raw->pcValue);
  return std::visit(
      [](auto value) {
        using T = decltype(value);
        if constexpr (std::is_same_v<T, double>) {
          return Node::Double(value);
        } else if constexpr (std::is_integral_v<T>) {
          return Node::Int(value);
        } else {
          return Node::Null();
        }
      },
      entry.value);
}

// The rows of a series entry.
Node RowsNode(const kestrel::Entry& entry) {
  const kestrel::Column rows(entry.id, entry.type, entry.count, entry.raw);
  switch (entry.type) {
    case ValueType::IntArray:
      return ListOf(rows.as<int>(), Node::Int);
    case ValueType::DoubleArray:
      return ListOf(rows.as<double>(), Node::Double);
    case ValueType::Int64Array:
      return ListOf(rows.as<std::int64_t>(), Node::Int);
    default:
      return ListOf(rows.as<char*>(), TextOf);
  }
}

bool IsSeries(ValueType type) {
  return type == ValueType::IntArray || type == ValueType::DoubleArray ||
         type == ValueType::Int64Array || type == ValueType::TextArray;
}

// One entry of a container: id, type name, and its value (single types) or
// values (series types).
Node EntryNode(const kestrel::Entry& entry) {
  Node node = Node::Fields();
  node.Add("id", Node::Int(entry.id));
  node.Add("type", Node::Text(ValueTypeName(entry.type)));
  if (IsSeries(entry.type)) return node.Add("values", RowsNode(entry));
  return node.Add("value", ValueNode(entry));
}

Node Entries(CIndexToValue* values) {
  Node list = Node::List();
  if (values == nullptr) return list;
  for (const kestrel::Entry& entry : kestrel::entries(*values)) list.Add(EntryNode(entry));
  return list;
}

Node SeriesNode(CKestrelHisData& his) {
  Node node = Node::Fields();
  node.Add("code", Node::Text(his.GetTernCode()));
  node.Add("security_type", Node::Text(his.GetSecurityType()));
  node.Add("period", Node::Int(his.GetPeriodType()));
  node.Add("his_type", Node::Int(his.GetHisType()));
  node.Add("status_new", Node::Int(his.GetStatusNew()));
  node.Add("status_old", Node::Int(his.GetStatusOld()));
  node.Add("indicator", Node::Int(his.GetIndIndex()));
  return node.Add("columns", Entries(his.GetIndexToValue()));
}

Node QuoteNode(CKestrelQuoteData& quote) {
  Node node = Node::Fields();
  node.Add("code", Node::Text(quote.GetTernCode()));
  return node.Add("values", Entries(quote.GetIndexToValue()));
}

Node LevelNode(CL2OrderQueuePriceLevel& level) {
  // The price is the first entry of the level's container, when it is a double.
  const kestrel::Entries prices = kestrel::entries(*level.GetPrice());
  const bool hasPrice = !prices.empty() && prices[0].type == ValueType::Double;
  Node node = Node::Fields();
  node.Add("operator", Node::Int(level.GetPriceLevelOperator()));
  node.Add("price", hasPrice ? ValueNode(prices[0]) : Node::Null());
  node.Add("orders", Node::Int(level.GetNumOfOrders()));
  auto item = [](CL2OrderQueueItem& one) {
    return Node::Fields()
        .Add("operator", Node::Int(one.Operator))
        .Add("position", Node::Int(one.Position))
        .Add("volume", Node::Int(one.Volume));
  };
  return node.Add("items", ListOf(kestrel::orders(level), item));
}

Node QueueNode(CKestrelL2OrderQueue& queue) {
  Node node = Node::Fields();
  node.Add("code", Node::Text(queue.GetTernCode()));
  node.Add("time", Node::Int(queue.GetDateTimeStamp()));
  node.Add("side", Node::Int(queue.GetSide()));
  node.Add("image", Node::Int(queue.GetImageStatus()));
  return node.Add("levels", ListOf(kestrel::levels(queue), LevelNode));
}

Node EventNode(CKestrelMarketEventData& event) {
  Node info = Node::List();
  for (const int number : event.EventInfo) info.Add(Node::Int(number));
  auto field = [](CMarketEventFieldItem& one) {
    return Node::Fields().Add("id", Node::Int(one.IndIndex)).Add("value", Node::Double(one.Value));
  };
  Node node = Node::Fields();
  node.Add("code", Node::Text(event.TernCode));
  node.Add("info", std::move(info));
  node.Add("fields", ListOf(kestrel::fields(event), field));
  return node.Add("text", Node::Text(event.EventText));
}

Node DataNode(CKestrelData& data) {
  Node node = Node::Fields();
  node.Add("error", Node::Int(data.GetErrorCode()));
  node.Add("series", ListOf(kestrel::series(data), SeriesNode));
  node.Add("quotes", ListOf(kestrel::quotes(data), QuoteNode));
  node.Add("queues", ListOf(kestrel::orderQueues(data), QueueNode));
  return node.Add("events", ListOf(kestrel::marketEvents(data), EventNode));
}

Node LoginNode(CLoginInfo& login) {
  Node node = Node::Fields();
  node.Add("user_id", Node::Text(login.GetUserId()));
  node.Add("client_type", Node::Int(login.GetClientType()));
  node.Add("max_sub_indicators", Node::Int(login.GetMaxSubIndicator()));
  node.Add("server_name", Node::Text(login.GetServerName()));
  return node.Add("server_ip", Node::Text(login.GetServerIP()));
}

Node WatchListNode(CWatchList& list) {
  auto item = [](WatchListItem& one) {
    auto id = [](std::uint16_t number) { return Node::Int(number); };
    return Node::Fields()
        .Add("code", Node::Text(one.TernCode))
        .Add("ids", ListOf(kestrel::ids(one), id));
  };
  return Node::Fields().Add("items", ListOf(kestrel::items(list), item));
}

Node StatusNode(const KestrelInfoReceive& info) {
  const int64_t values[] = {info.ReceiveValue1, info.ReceiveValue2, info.ReceiveValue3,
                            info.ReceiveValue4, info.ReceiveValue5, info.ReceiveValue6,
                            info.ReceiveValue7, info.ReceiveValue8};
  Node node = Node::Fields();
  for (size_t k = 0; k < std::size(values); ++k) {
    node.Add("value" + std::to_string(k + 1), Node::Int(values[k]));
  }
  return node;
}

Node SectorChartsNode(CTop8Info& charts) {
  auto entry = [](CChartItem& item) {
    return Node::Fields()
        .Add("code", Node::Text(item.TernCode))
        .Add("price", Node::Double(item.Price))
        .Add("change", Node::Double(item.Change))
        .Add("value", Node::Double(item.IndValue));
  };
  auto sector = [&entry](CSectorChartItem& one) {
    return Node::Fields()
        .Add("indicator", Node::Int(one.GetIndIndex()))
        .Add("entries", ListOf(kestrel::chartItems(one), entry));
  };
  Node node = Node::Fields();
  node.Add("module", Node::Int(charts.GetModuleId()));
  node.Add("name", Node::Text(charts.GetSectorName()));
  return node.Add("sectors", ListOf(kestrel::sectors(charts), sector));
}

Node QuotesOrderNode(CSectorQuotesOrder& order) {
  return Node::Fields()
      .Add("module", Node::Int(order.ModuleId))
      .Add("codes", ListOf(kestrel::codes(order), TextOf));
}

Node RankingNode(CPagedRankList& ranking) {
  // Codes and values are parallel arrays of CodeNum texts; without both
  // there are no entries.
  const kestrel::Span<char*> codes(ranking.Codes, ranking.CodeNum);
  const kestrel::Span<char*> values = kestrel::values(ranking);
  Node entries = Node::List();
  for (size_t k = 0; !codes.empty() && k < values.size(); ++k) {
    entries.Add(
        Node::Fields().Add("code", Node::Text(codes[k])).Add("value", Node::Text(values[k])));
  }
  Node node = Node::Fields();
  node.Add("module", Node::Int(ranking.ModuleId));
  node.Add("total", Node::Int(ranking.TotalNum));
  node.Add("header1", Node::Int(ranking.HeaderValue1));
  node.Add("header2", Node::Int(ranking.HeaderValue2));
  node.Add("start", Node::Int(ranking.StartIndex));
  node.Add("end", Node::Int(ranking.EndIndex));
  return node.Add("entries", std::move(entries));
}

}  // namespace

const char* TypeName(MessageType type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == type) return row.name;
  }
  return "unknown type";
}

Node ResultNode(const kestrel::Result& result) {
  if (auto* data = result.as<CKestrelData>()) return DataNode(*data);
  if (auto* charts = result.as<CTop8Info>()) return SectorChartsNode(*charts);
  if (auto* list = result.as<CWatchList>()) return WatchListNode(*list);
  if (auto* order = result.as<CSectorQuotesOrder>()) return QuotesOrderNode(*order);
  if (auto* ranking = result.as<CPagedRankList>()) return RankingNode(*ranking);
  // Raw data: the payload and a terminating zero, shown up to the first zero.
  if (auto* raw = result.as<char>()) return Node::Fields().Add("text", Node::Text(raw));
  if (auto* status = result.as<KestrelInfoReceive>()) return StatusNode(*status);
  if (auto* login = result.as<CLoginInfo>()) return LoginNode(*login);
  return Node::Null();
}

}  // namespace kdump
