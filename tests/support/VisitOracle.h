// The visitor's oracle: what kestrel::visitQuotes hands over and what
// DecodeOneMessage's records of the same message hold, written as the same
// transcript (doubles by their bits), so that the two can be compared value
// for value. Used by the oracle test and by the visitor's fuzz target.
#ifndef KESTREL_TESTS_SUPPORT_VISITORACLE_H
#define KESTREL_TESTS_SUPPORT_VISITORACLE_H

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "KestrelUtils.h"

namespace kt {

// Values joined into one comparable text.
class Transcript {
 public:
  Transcript& Int(int64_t v) {
    text_ += std::to_string(v);
    text_ += ' ';
    return *this;
  }
  Transcript& Bits(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return Int(static_cast<int64_t>(bits));
  }
  Transcript& Text(std::string_view v) {
    text_ += '"';
    text_.append(v.data(), v.size());
    text_ += "\" ";
    return *this;
  }
  Transcript& Text(const char* v) { return Text(v == nullptr ? std::string_view() : v); }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// One single value by its type code; a text comes as a view.
inline void SingleValue(Transcript& t, int type, const CIndexValue& v, std::string_view text) {
  t.Int(type);
  switch (static_cast<kestrel::ValueType>(type)) {
    case kestrel::ValueType::Char:
      t.Int(v.cValue);
      break;
    case kestrel::ValueType::Int:
      t.Int(v.nValue);
      break;
    case kestrel::ValueType::Int64:
      t.Int(v.llValue);
      break;
    case kestrel::ValueType::Double:
      t.Bits(v.dValue);
      break;
    case kestrel::ValueType::Text:
      t.Text(text);
      break;
    default:
      t.Int(v.llValue);  // whatever the cell holds
      break;
  }
}

// Columns of a series: id, type, count and every element.
inline void Columns(Transcript& t, int num, const int* ids, const int* types, const int* counts,
                    const CIndexValue* values) {
  if (ids == nullptr || types == nullptr || counts == nullptr || values == nullptr) num = 0;
  t.Int(num);
  for (int c = 0; c < num; ++c) {
    const kestrel::Column column(ids[c], static_cast<kestrel::ValueType>(types[c]), counts[c],
                                 &values[c]);
    t.Int(ids[c]).Int(types[c]).Int(counts[c]).Int(static_cast<int64_t>(column.size()));
    for (size_t row = 0; row < column.size(); ++row) {
      const kestrel::Value v = column[row];
      if (auto* d = std::get_if<double>(&v)) {
        t.Bits(*d);
      } else if (auto* i = std::get_if<int>(&v)) {
        t.Int(*i);
      } else if (auto* l = std::get_if<int64_t>(&v)) {
        t.Int(*l);
      } else if (auto* s = std::get_if<std::string_view>(&v)) {
        t.Text(*s);
      }
    }
  }
}

inline void Queue(Transcript& t, CKestrelL2OrderQueue& q) {
  t.Text(q.GetTernCode()).Int(q.GetDateTimeStamp()).Int(q.GetSide()).Int(q.GetImageStatus());
  t.Int(q.GetL2OrderQueuePriceLevelNum());
  for (CL2OrderQueuePriceLevel& level : kestrel::levels(q)) {
    t.Int(level.GetPriceLevelOperator()).Int(level.GetNumOfOrders()).Bits(kestrel::price(level));
    t.Int(level.GetL2OrderQueueItemNum());
    for (CL2OrderQueueItem& item : kestrel::orders(level)) {
      t.Int(item.Operator).Int(item.Position).Int(item.Volume);
    }
  }
}

inline void Events(Transcript& t, kestrel::Span<CKestrelMarketEventData> events) {
  t.Int(static_cast<int64_t>(events.size()));
  for (CKestrelMarketEventData& e : events) {
    for (int info : e.EventInfo) t.Int(info);
    t.Text(kestrel::text(e.TernCode)).Text(kestrel::text(e.EventText)).Int(e.FieldItemNum);
    for (CMarketEventFieldItem& field : kestrel::fields(e)) t.Int(field.IndIndex).Bits(field.Value);
  }
}

// What a message yields, in the records' order: error, quotes with their
// entries, series, queues and the market events that stay.
struct Yield {
  Transcript quotes;
  Transcript series;
  Transcript queues;
  Transcript events;
  int64_t error = CKestrelData().GetErrorCode();
  std::string str() const {
    return "error " + std::to_string(error) + "\nquotes " + quotes.str() + "\nseries " +
           series.str() + "\nqueues " + queues.str() + "\nevents " + events.str();
  }
};

inline void SeriesLabels(Transcript& t, std::string_view code, std::string_view type, int indicator,
                         int period, int hisType) {
  t.Text(code).Text(type).Int(indicator).Int(period).Int(hisType);
}

// The yield of a decoded CKestrelData.
inline Yield RecordYield(CKestrelData& data) {
  Yield y;
  y.error = data.GetErrorCode();
  for (CKestrelQuoteData& quote : kestrel::quotes(data)) {
    y.quotes.Text(quote.GetTernCode());
    for (const kestrel::Entry& e : kestrel::entries(quote)) {
      const auto* text = std::get_if<std::string_view>(&e.value);
      y.quotes.Int(e.id).Int(e.count);
      SingleValue(y.quotes, static_cast<int>(e.type), *e.raw,
                  text != nullptr ? *text : std::string_view());
    }
    y.quotes.Text("end");
  }
  for (CKestrelHisData& s : kestrel::series(data)) {
    SeriesLabels(y.series, s.GetTernCode(), s.GetSecurityType(), s.GetIndIndex(), s.GetPeriodType(),
                 s.GetHisType());
    CIndexToValue* v = s.GetIndexToValue();
    Columns(y.series, v->GetNum(), v->GetIndexId(), v->GetValueType(), v->GetOneIndexValueNum(),
            v->GetIndexValue());
  }
  for (CKestrelL2OrderQueue& q : kestrel::orderQueues(data)) Queue(y.queues, q);
  if (data.GetMarketEventListLen() > 0) Events(y.events, kestrel::marketEvents(data));
  return y;
}

// A visitor that writes the same yield.
struct YieldVisitor {
  Yield y;
  bool open = false;  // a security is open
  std::string faults;
  std::string events;

  void onError(int code) { y.error = code; }
  void onSecurity(const kestrel::Security& s) {
    if (open) faults += "security inside a security; ";
    open = true;
    y.quotes.Text(s.code);
  }
  void onEntry(const kestrel::Entry& e) {
    if (!open) faults += "entry outside a security; ";
    const auto* text = std::get_if<std::string_view>(&e.value);
    y.quotes.Int(e.id).Int(e.count);
    SingleValue(y.quotes, static_cast<int>(e.type), *e.raw,
                text != nullptr ? *text : std::string_view());
  }
  void onSeries(const kestrel::SeriesEntry& s) {
    SeriesLabels(y.series, s.code, s.securityType, s.indicator, s.period, s.hisType);
    const KestrelVisitSeries& r = *s.raw;
    Columns(y.series, r.columnCount, r.ids, r.types, r.counts, r.values);
  }
  void onOrderQueue(CKestrelL2OrderQueue& q) { Queue(y.queues, q); }
  // The records keep the last list read.
  void onMarketEvents(kestrel::Span<CKestrelMarketEventData> list) {
    y.events = Transcript();
    Events(y.events, list);
  }
  void onEndSecurity() {
    if (!open) faults += "end without a security; ";
    open = false;
    y.quotes.Text("end");
  }
};

// The message types a visit reads.
inline bool Visitable(int type) { return type == 64 || type == 24 || type == 25 || type == 33; }

// Visits the message and decodes it, and returns what differs (empty when
// the visit matches the records).
inline std::string CompareVisitWithRecords(const char* message, size_t size) {
  YieldVisitor visitor;
  const kestrel::Visited visited = kestrel::visitQuotes(message, size, visitor);
  const kestrel::Result result = kestrel::decode(message, size);
  const int type = result.typeNumber();
  std::string out = visitor.faults;
  if (visitor.open) out += "a security was left open; ";
  if (visited.status == kestrel::VisitStatus::NotQuotes) {
    // Not visited: only another type (or no whole message) may be refused.
    if (Visitable(type) && result.HasRecord()) out += "a quote message was not visited; ";
    return out;
  }
  if (static_cast<int>(visited.type) != type) out += "types differ; ";
  auto* data = result.as<CKestrelData>();
  switch (visited.status) {
    case kestrel::VisitStatus::NoResult:
      if (data != nullptr) out += "no result visited, but the records have one; ";
      break;
    case kestrel::VisitStatus::Emptied:
      if (data == nullptr || data->GetQuoteDataNum() != 0 || data->GetHisDataNum() != 0) {
        out += "emptied visit, but the records are not empty; ";
      }
      break;
    default:
      if (data == nullptr) {
        out += "visited, but the records have no result; ";
      } else {
        const std::string records = RecordYield(*data).str();
        const std::string visits = visitor.y.str();
        if (records != visits) out += "records:\n" + records + "\nvisited:\n" + visits + "\n";
      }
      break;
  }
  return out;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_VISITORACLE_H
