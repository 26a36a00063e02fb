// Decoded results as Python objects: the Message type, series with numpy
// columns over the records' own arrays, and the other records as dicts.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Module.h"

namespace kpy {

namespace {

// Names of the value type codes, as kestrel-dump prints them.
struct TypeName {
  kestrel::ValueType type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {kestrel::ValueType::Char, "char"},
    {kestrel::ValueType::Int, "int"},
    {kestrel::ValueType::Double, "double"},
    {kestrel::ValueType::Int64, "int64"},
    {kestrel::ValueType::Text, "text"},
    {kestrel::ValueType::IntArray, "int[]"},
    {kestrel::ValueType::DoubleArray, "double[]"},
    {kestrel::ValueType::Int64Array, "int64[]"},
    {kestrel::ValueType::TextArray, "text[]"},
};

const char* typeName(kestrel::ValueType type) {
  for (const TypeName& row : kTypeNames) {
    if (row.type == type) return row.name;
  }
  return "none";
}

// A read-only numpy array over `rows` inside the result; the array's base
// holds the result, which lives until the last array and message are gone.
template <class T>
py::array viewOf(const SharedResult& owner, kestrel::Span<T> rows) {
  if (rows.empty()) return py::array_t<T>(0);
  py::capsule base(new SharedResult(owner),
                   [](void* held) { delete static_cast<SharedResult*>(held); });
  py::array_t<T> array({rows.size()}, {sizeof(T)}, rows.data(), base);
  py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return std::move(array);
}

// A series column: a numpy array for numbers (no copy), a list of str or
// None for texts (copied).
py::object columnOf(const SharedResult& owner, const kestrel::Column& column) {
  switch (column.type()) {
    case kestrel::ValueType::IntArray:
      return viewOf(owner, column.as<int>());
    case kestrel::ValueType::DoubleArray:
      return viewOf(owner, column.as<double>());
    case kestrel::ValueType::Int64Array:
      return viewOf(owner, column.as<std::int64_t>());
    case kestrel::ValueType::TextArray: {
      py::list texts;
      for (char* text : column.as<char*>()) texts.append(textOf(text));
      return std::move(texts);
    }
    default:
      return py::none();
  }
}

// The value of one entry: a number or text for single values, a column for
// the series forms.
py::object valueOf(const SharedResult& owner, const kestrel::Entry& entry) {
  struct Convert {
    py::object operator()(std::monostate) const { return py::none(); }
    py::object operator()(int v) const { return py::int_(v); }
    py::object operator()(std::int64_t v) const { return py::int_(v); }
    py::object operator()(double v) const { return py::float_(v); }
    py::object operator()(std::string_view v) const { return textOf(v.data(), v.size()); }
  };
  if (static_cast<int>(entry.type) >= static_cast<int>(kestrel::ValueType::Text) &&
      entry.type != kestrel::ValueType::Text) {
    return columnOf(owner, kestrel::Column(entry.id, entry.type, entry.count, entry.raw));
  }
  return std::visit(Convert{}, entry.value);
}

// Every entry as (id, type name, value), in stored order.
py::list entriesOf(const SharedResult& owner, CIndexToValue* values) {
  py::list list;
  if (values == nullptr) return list;
  for (const kestrel::Entry& entry : kestrel::entries(*values)) {
    list.append(py::make_tuple(entry.id, typeName(entry.type), valueOf(owner, entry)));
  }
  return list;
}

// One history series of a result.
struct Series {
  SharedResult owner;
  CKestrelHisData* his;
};

py::dict columnsOf(const Series& s) {
  py::dict columns;
  for (const kestrel::Entry& entry : kestrel::entries(*s.his)) {
    py::int_ id(entry.id);
    if (columns.contains(id)) continue;  // ids may repeat: the first one counts
    columns[id] = columnOf(s.owner, kestrel::Column(entry.id, entry.type, entry.count, entry.raw));
  }
  return columns;
}

py::dict namesOf(const Series& s) {
  const kestrel::Span<const int> ids = kestrel::columnIds(*s.his);
  bool bars = false;
  for (int id : ids) bars = bars || id == kestrel::kLowId;
  py::dict names;
  for (int id : ids) {
    const std::string_view name = kestrel::indicatorName(id, bars);
    names[py::int_(id)] =
        name.empty() ? py::str(std::to_string(id)) : py::str(name.data(), name.size());
  }
  return names;
}

template <class Record, class Make>
py::list listOf(kestrel::Span<Record> records, Make make) {
  py::list list;
  for (Record& record : records) list.append(make(record));
  return list;
}

py::dict queueOf(CKestrelL2OrderQueue& queue) {
  auto order = [](CL2OrderQueueItem& item) {
    return py::dict(py::arg("operator") = item.Operator, py::arg("position") = item.Position,
                    py::arg("volume") = item.Volume);
  };
  auto level = [&order](CL2OrderQueuePriceLevel& one) {
    CIndexToValue* price = one.GetPrice();
    const bool hasPrice = !kestrel::entries(*price).empty() &&
                          kestrel::entries(*price)[0].type == kestrel::ValueType::Double;
    return py::dict(py::arg("operator") = one.GetPriceLevelOperator(),
                    py::arg("price") = hasPrice ? py::object(py::float_(kestrel::price(one)))
                                                : py::object(py::none()),
                    py::arg("orders") = one.GetNumOfOrders(),
                    py::arg("items") = listOf(kestrel::orders(one), order));
  };
  return py::dict(py::arg("code") = textOf(queue.GetTernCode()),
                  py::arg("time") = queue.GetDateTimeStamp(), py::arg("side") = queue.GetSide(),
                  py::arg("image") = queue.GetImageStatus(),
                  py::arg("levels") = listOf(kestrel::levels(queue), level));
}

py::dict eventOf(CKestrelMarketEventData& event) {
  py::list info;
  for (const int number : event.EventInfo) info.append(number);
  auto field = [](CMarketEventFieldItem& item) {
    return py::dict(py::arg("id") = item.IndIndex, py::arg("value") = item.Value);
  };
  return py::dict(py::arg("code") = textOf(kestrel::text(event.TernCode).data(),
                                           kestrel::text(event.TernCode).size()),
                  py::arg("info") = info, py::arg("fields") = listOf(kestrel::fields(event), field),
                  py::arg("text") = textOf(kestrel::text(event.EventText).data(),
                                           kestrel::text(event.EventText).size()));
}

py::object codeOf(const char (&code)[kKestrelTernCodeSize]) {
  const std::string_view text = kestrel::text(code);
  return textOf(text.data(), text.size());
}

// Market data: series as Series objects, quotes as (code, entries) pairs
// that the Python side makes into Quote mappings, queues and events as dicts.
py::dict dataOf(const SharedResult& owner, CKestrelData& data) {
  py::list series;
  for (CKestrelHisData& his : kestrel::series(data)) series.append(Series{owner, &his});
  py::list quotes;
  for (CKestrelQuoteData& quote : kestrel::quotes(data)) {
    quotes.append(
        py::make_tuple(textOf(quote.GetTernCode()), entriesOf(owner, quote.GetIndexToValue())));
  }
  return py::dict(py::arg("error") = data.GetErrorCode(), py::arg("series") = series,
                  py::arg("quotes") = quotes,
                  py::arg("queues") = listOf(kestrel::orderQueues(data), queueOf),
                  py::arg("events") = listOf(kestrel::marketEvents(data), eventOf));
}

py::dict sectorChartsOf(CTop8Info& charts) {
  auto entry = [](CChartItem& item) {
    return py::dict(py::arg("code") = codeOf(item.TernCode), py::arg("price") = item.Price,
                    py::arg("change") = item.Change, py::arg("value") = item.IndValue);
  };
  auto sector = [&entry](CSectorChartItem& one) {
    return py::dict(py::arg("indicator") = one.GetIndIndex(),
                    py::arg("entries") = listOf(kestrel::chartItems(one), entry));
  };
  return py::dict(py::arg("module") = charts.GetModuleId(),
                  py::arg("name") = textOf(charts.GetSectorName()),
                  py::arg("sectors") = listOf(kestrel::sectors(charts), sector));
}

py::list codesOf(kestrel::Span<char*> codes) {
  py::list list;
  for (char* code : codes) list.append(textOf(code));
  return list;
}

py::dict rankingOf(CPagedRankList& ranking) {
  py::list entries;
  if (ranking.Codes != nullptr && ranking.Values != nullptr) {
    for (int k = 0; k < ranking.CodeNum; ++k) {
      entries.append(py::dict(py::arg("code") = textOf(ranking.Codes[k]),
                              py::arg("value") = textOf(ranking.Values[k])));
    }
  }
  return py::dict(py::arg("module") = ranking.ModuleId, py::arg("total") = ranking.TotalNum,
                  py::arg("header1") = ranking.HeaderValue1,
                  py::arg("header2") = ranking.HeaderValue2, py::arg("start") = ranking.StartIndex,
                  py::arg("end") = ranking.EndIndex, py::arg("entries") = entries);
}

py::dict statusOf(const KestrelInfoReceive& info) {
  const std::int64_t values[] = {info.ReceiveValue1, info.ReceiveValue2, info.ReceiveValue3,
                                 info.ReceiveValue4, info.ReceiveValue5, info.ReceiveValue6,
                                 info.ReceiveValue7, info.ReceiveValue8};
  py::dict dict;
  for (std::size_t k = 0; k < std::size(values); ++k) {
    dict[py::str("value" + std::to_string(k + 1))] = values[k];
  }
  return dict;
}

// The record of a message as Python values; None when there is none.
py::object recordOf(const SharedResult& owner) {
  const kestrel::Result& r = *owner;
  switch (r.kind()) {
    case kestrel::ResultKind::Data:
      return dataOf(owner, *r.as<CKestrelData>());
    case kestrel::ResultKind::SectorCharts:
      return sectorChartsOf(*r.as<CTop8Info>());
    case kestrel::ResultKind::WatchList: {
      auto item = [](WatchListItem& one) {
        py::list ids;
        for (std::uint16_t id : kestrel::ids(one)) ids.append(id);
        return py::dict(py::arg("code") = codeOf(one.TernCode), py::arg("ids") = ids);
      };
      return py::dict(py::arg("items") = listOf(kestrel::items(*r.as<CWatchList>()), item));
    }
    case kestrel::ResultKind::SectorQuotesOrder: {
      CSectorQuotesOrder& order = *r.as<CSectorQuotesOrder>();
      return py::dict(py::arg("module") = order.ModuleId,
                      py::arg("codes") = codesOf(kestrel::codes(order)));
    }
    case kestrel::ResultKind::PagedRankList:
      return rankingOf(*r.as<CPagedRankList>());
    case kestrel::ResultKind::RawData:
      // The payload and a terminating zero: the text up to the first zero.
      return py::dict(py::arg("text") = textOf(r.as<char>()));
    case kestrel::ResultKind::StatusTest:
      return statusOf(*r.as<KestrelInfoReceive>());
    case kestrel::ResultKind::Login: {
      CLoginInfo& login = *r.as<CLoginInfo>();
      return py::dict(py::arg("user_id") = textOf(login.GetUserId()),
                      py::arg("client_type") = login.GetClientType(),
                      py::arg("max_sub_indicators") = login.GetMaxSubIndicator(),
                      py::arg("server_name") = textOf(login.GetServerName()),
                      py::arg("server_ip") = textOf(login.GetServerIP()));
    }
    case kestrel::ResultKind::None:
      break;
  }
  return py::none();
}

py::object timeOf(const Origin& origin) {
  return std::isnan(origin.time) ? py::object(py::none()) : py::object(py::float_(origin.time));
}

}  // namespace

void bindResults(py::module_& m) {
  py::class_<Series>(m, "Series",
                     "One history series of a message: a security's columns by indicator id. "
                     "Number columns are read-only numpy arrays over the decoded record (no "
                     "copy); they keep the record alive. Text columns are lists.")
      .def_property_readonly("code", [](const Series& s) { return textOf(s.his->GetTernCode()); })
      .def_property_readonly("security_type",
                             [](const Series& s) { return textOf(s.his->GetSecurityType()); })
      .def_property_readonly(
          "period", [](const Series& s) { return static_cast<int>(s.his->GetPeriodType()); })
      .def_property_readonly("his_type",
                             [](const Series& s) { return static_cast<int>(s.his->GetHisType()); })
      .def_property_readonly("status_new", [](const Series& s) { return s.his->GetStatusNew(); })
      .def_property_readonly("status_old", [](const Series& s) { return s.his->GetStatusOld(); })
      .def_property_readonly("indicator", [](const Series& s) { return s.his->GetIndIndex(); })
      .def_property_readonly("columns", &columnsOf,
                             "dict of indicator id to column (the first entry of each id)")
      .def_property_readonly("names", &namesOf,
                             "dict of indicator id to column name (the id as text when the "
                             "layouts do not name it)")
      .def_property_readonly(
          "entries", [](const Series& s) { return entriesOf(s.owner, s.his->GetIndexToValue()); },
          "every column as (id, type name, values), in stored order")
      .def("__repr__", [](const Series& s) {
        return "<kestrel.Series " + std::string(kestrel::text(s.his->GetTernCode())) + ", " +
               std::to_string(kestrel::columnIds(*s.his).size()) + " columns>";
      });

  py::class_<Message>(m, "Message", "One decoded message and where it was found.")
      .def_property_readonly(
          "type", [](const Message& msg) { return msg.result->typeNumber(); },
          "the reported type (the inner type for a compressed envelope)")
      .def_property_readonly("type_name",
                             [](const Message& msg) { return kestrel::nameOf(msg.result->type()); })
      .def_property_readonly("wire_type", [](const Message& msg) { return msg.origin.wireType; })
      .def_property_readonly("compressed",
                             [](const Message& msg) {
                               return msg.origin.wireType ==
                                      static_cast<int>(kestrel::MessageType::Compressed);
                             })
      .def_property_readonly(
          "offset", [](const Message& msg) { return msg.origin.offset; },
          "offset of the message's first byte in its stream")
      .def_property_readonly("size", [](const Message& msg) { return msg.origin.size; })
      .def_property_readonly(
          "connection", [](const Message& msg) { return msg.origin.connection; },
          "packet captures: index of the TCP connection; -1 otherwise")
      .def_property_readonly("peer", [](const Message& msg) { return msg.origin.peer; })
      .def_property_readonly(
          "time", [](const Message& msg) { return timeOf(msg.origin); },
          "packet captures: capture time in seconds; None otherwise")
      .def_property_readonly(
          "ok", [](const Message& msg) { return !decodeFailed(*msg.result); },
          "False when the message's type has a record but it did not decode")
      .def_property_readonly(
          "record", [](const Message& msg) { return recordOf(msg.result); },
          "the record as Python values; None for heartbeats and unknown types")
      .def("__repr__", [](const Message& msg) {
        return "<kestrel.Message " + std::to_string(msg.result->typeNumber()) + " " +
               kestrel::nameOf(msg.result->type()) + " @" + std::to_string(msg.origin.offset) + ">";
      });
}

}  // namespace kpy
