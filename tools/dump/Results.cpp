// Every exported result record as a value tree.
#include "dump/Results.h"

#include <string>

#include "KestrelUtils.h"

namespace kdump {

namespace {

struct TypeRow {
  int type;
  const char* name;
};

// The received message types.
constexpr TypeRow kTypes[] = {
    {3, "day K-lines"},
    {5, "minute K-lines"},
    {6, "history trend"},
    {9, "sector charts"},
    {17, "formalized trend"},
    {18, "formalized deals"},
    {21, "QE data"},
    {24, "masked indicators"},
    {25, "masked data"},
    {26, "subscription list"},
    {33, "simple indicators"},
    {34, "sector quotes order"},
    {40, "paged ranking"},
    {48, "raw data"},
    {54, "compressed envelope"},
    {58, "heartbeat"},
    {59, "status test"},
    {63, "heartbeat"},
    {64, "quote update"},
    {80, "login"},
    {130, "level-2 transaction history"},
};

const char* ValueTypeName(int code) {
  switch (code) {
    case 1:
      return "char";
    case 2:
      return "int";
    case 3:
      return "double";
    case 4:
      return "int64";
    case 11:
      return "text";
    case 12:
      return "int[]";
    case 13:
      return "double[]";
    case 14:
      return "int64[]";
    case 21:
      return "text[]";
    default:
      return "none";
  }
}

// The elements of an array (records or values), each made a tree by `make`.
template <typename Record, typename Make>
Node ListOf(Record* records, int count, Make make) {
  Node list = Node::List();
  for (int k = 0; records != nullptr && k < count; ++k) list.Add(make(records[k]));
  return list;
}

// Entry i of a container: id, type name, and its value (single types) or
// values (array types).
Node EntryNode(CIndexToValue& values, int i) {
  const int code = values.GetValueType() ? values.GetValueType()[i] : 0;
  const int count = values.GetOneIndexValueNum() ? values.GetOneIndexValueNum()[i] : 0;
  const CIndexValue* value = values.GetIndexValue() ? &values.GetIndexValue()[i] : nullptr;
  Node entry = Node::Fields();
  entry.Add("id", Node::Int(values.GetIndexId() ? values.GetIndexId()[i] : 0));
  entry.Add("type", Node::Text(ValueTypeName(code)));
  if (value == nullptr) return entry.Add("value", Node::Null());
  switch (code) {
    case 1:
      return entry.Add("value", Node::Int(value->cValue));
    case 2:
      return entry.Add("value", Node::Int(value->nValue));
    case 3:
      return entry.Add("value", Node::Double(value->dValue));
    case 4:
      return entry.Add("value", Node::Int(value->llValue));
    case 11:
      return entry.Add("value", Node::Text(value->pcValue));
    case 12:
      return entry.Add("values", ListOf(value->pnValue, count, Node::Int));
    case 13:
      return entry.Add("values", ListOf(value->pdValue, count, Node::Double));
    case 14:
      return entry.Add("values", ListOf(value->pllValue, count, Node::Int));
    case 21:
      return entry.Add("values",
                       ListOf(value->ppcValue, count, [](char* text) { return Node::Text(text); }));
    default:
      return entry.Add("value", Node::Null());
  }
}

Node Entries(CIndexToValue* values) {
  Node list = Node::List();
  for (int i = 0; values != nullptr && i < values->GetNum(); ++i) list.Add(EntryNode(*values, i));
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
  CIndexToValue* price = level.GetPrice();
  const bool hasPrice = price->GetNum() > 0 && price->GetIndexValue() && price->GetValueType() &&
                        price->GetValueType()[0] == 3;
  Node node = Node::Fields();
  node.Add("operator", Node::Int(level.GetPriceLevelOperator()));
  node.Add("price", hasPrice ? Node::Double(price->GetIndexValue()[0].dValue) : Node::Null());
  node.Add("orders", Node::Int(level.GetNumOfOrders()));
  auto item = [](CL2OrderQueueItem& one) {
    return Node::Fields()
        .Add("operator", Node::Int(one.Operator))
        .Add("position", Node::Int(one.Position))
        .Add("volume", Node::Int(one.Volume));
  };
  return node.Add("items",
                  ListOf(level.GetL2OrderQueueItem(), level.GetL2OrderQueueItemNum(), item));
}

Node QueueNode(CKestrelL2OrderQueue& queue) {
  Node node = Node::Fields();
  node.Add("code", Node::Text(queue.GetTernCode()));
  node.Add("time", Node::Int(queue.GetDateTimeStamp()));
  node.Add("side", Node::Int(queue.GetSide()));
  node.Add("image", Node::Int(queue.GetImageStatus()));
  return node.Add("levels", ListOf(queue.GetL2OrderQueuePriceLevel(),
                                   queue.GetL2OrderQueuePriceLevelNum(), LevelNode));
}

Node EventNode(CKestrelMarketEventData& event) {
  Node info = Node::List();
  for (const int number : event.EventInfo) info.Add(Node::Int(number));
  Node fields = Node::List();
  for (int k = 0; event.FieldItem != nullptr && k < event.FieldItemNum; ++k) {
    fields.Add(Node::Fields()
                   .Add("id", Node::Int(event.FieldItem[k].IndIndex))
                   .Add("value", Node::Double(event.FieldItem[k].Value)));
  }
  Node node = Node::Fields();
  node.Add("code", Node::Text(event.TernCode));
  node.Add("info", std::move(info));
  node.Add("fields", std::move(fields));
  return node.Add("text", Node::Text(event.EventText));
}

Node DataNode(CKestrelData& data) {
  Node node = Node::Fields();
  node.Add("error", Node::Int(data.GetErrorCode()));
  node.Add("series", ListOf(data.GetKestrelHisData(), data.GetHisDataNum(), SeriesNode));
  node.Add("quotes", ListOf(data.GetKestrelQuoteData(), data.GetQuoteDataNum(), QuoteNode));
  node.Add("queues", ListOf(data.GetKestrelL2OrderQueue(), data.GetL2OrderQueueNum(), QueueNode));
  return node.Add("events",
                  ListOf(data.GetMarketEventList(), data.GetMarketEventListLen(), EventNode));
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
    Node ids = Node::List();
    for (int k = 0; one.IndIndex != nullptr && k < one.IndIndexNum; ++k) {
      ids.Add(Node::Int(one.IndIndex[k]));
    }
    return Node::Fields().Add("code", Node::Text(one.TernCode)).Add("ids", std::move(ids));
  };
  return Node::Fields().Add("items",
                            ListOf(list.GetWatchListItem(), list.GetWatchListItemNum(), item));
}

Node StatusNode(const KestrelInfoReceive& info) {
  const int64_t values[] = {info.ReceiveValue1, info.ReceiveValue2, info.ReceiveValue3,
                            info.ReceiveValue4, info.ReceiveValue5, info.ReceiveValue6,
                            info.ReceiveValue7, info.ReceiveValue8};
  Node node = Node::Fields();
  for (int k = 0; k < 8; ++k) node.Add("value" + std::to_string(k + 1), Node::Int(values[k]));
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
        .Add("entries", ListOf(one.GetChartItem(), one.GetChartItemNum(), entry));
  };
  Node node = Node::Fields();
  node.Add("module", Node::Int(charts.GetModuleId()));
  node.Add("name", Node::Text(charts.GetSectorName()));
  return node.Add("sectors",
                  ListOf(charts.GetSectorChartItem(), charts.GetSectorChartItemNum(), sector));
}

Node CodesNode(char** codes, int count) {
  Node list = Node::List();
  for (int k = 0; codes != nullptr && k < count; ++k) list.Add(Node::Text(codes[k]));
  return list;
}

Node QuotesOrderNode(CSectorQuotesOrder& order) {
  return Node::Fields()
      .Add("module", Node::Int(order.ModuleId))
      .Add("codes", CodesNode(order.Codes, order.CodeNum));
}

Node RankingNode(CPagedRankList& ranking) {
  Node entries = Node::List();
  for (int k = 0; ranking.Codes != nullptr && ranking.Values != nullptr && k < ranking.CodeNum;
       ++k) {
    entries.Add(Node::Fields()
                    .Add("code", Node::Text(ranking.Codes[k]))
                    .Add("value", Node::Text(ranking.Values[k])));
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

template <typename Record>
Record& As(char* result) {
  return *reinterpret_cast<Record*>(result);
}

}  // namespace

const char* TypeName(int type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == type) return row.name;
  }
  return "unknown type";
}

Node ResultNode(char* result, int type) {
  if (result == nullptr) return Node::Null();
  switch (type) {
    case 3:
    case 5:
    case 6:
    case 17:
    case 18:
    case 21:
    case 24:
    case 25:
    case 33:
    case 64:
    case 130:
      return DataNode(As<CKestrelData>(result));
    case 9:
      return SectorChartsNode(As<CTop8Info>(result));
    case 26:
      return WatchListNode(As<CWatchList>(result));
    case 34:
      return QuotesOrderNode(As<CSectorQuotesOrder>(result));
    case 40:
      return RankingNode(As<CPagedRankList>(result));
    case 48:
      // The payload and a terminating zero: the text up to the first zero.
      return Node::Fields().Add("text", Node::Text(result));
    case 59:
      return StatusNode(As<KestrelInfoReceive>(result));
    case 80:
      return LoginNode(As<CLoginInfo>(result));
    default:
      return Node::Null();
  }
}

}  // namespace kdump
