// The C++ face of KestrelUtils: visiting the values of a real-time quote
// message without building result records.
//
//   struct Prices {
//     void onSecurity(const kestrel::Security& s) { code = s.code; }
//     void onEntry(const kestrel::Entry& e) {
//       if (auto* d = std::get_if<double>(&e.value)) ... use code, e.id, *d ...
//     }
//     std::string_view code;
//   } prices;
//   kestrel::Visited visited = kestrel::visitQuotes(bytes, size, prices);
//
// Quote updates (type 64), masked subscription data (24, 25) and simple
// indicators (33) are visited, also inside a compressed envelope (54). The
// visitor sees, value for value and bit for bit, what DecodeOneMessage's
// records of the message hold, in the same order: per security its code,
// then its entries, then the extra entries (327, 328, 329, 350), series and
// order queues that the records append after them.
//
// Every view (codes, texts, series columns, queues, events) is valid only
// during the call that hands it over: copy what you keep.
//
// A visitor defines any of these members; a missing one is not called:
//   void onMessage(kestrel::MessageType type)       the message's (inner) type
//   void onError(int code)                           the server's error code
//   void onSecurity(const kestrel::Security&)        a security begins
//   void onEntry(const kestrel::Entry&)              one value
//   void onSeries(const kestrel::SeriesEntry&)       a list of 57, 58, 89, 90,
//                                                    93, 150, 152 or 156
//   void onOrderQueue(CKestrelL2OrderQueue&)         the order queue of 91
//   void onMarketEvents(kestrel::Span<CKestrelMarketEventData>)   of 155
//   void onEndSecurity()                             the security is complete
//
// Visiting a message allocates nothing once the thread is warm, except for
// the records of lists, queues and market events (built with the result
// memory, as DecodeOneMessage builds them) and texts of corporate actions.
#ifndef KESTREL_VISIT_HPP
#define KESTREL_VISIT_HPP

#include <cstddef>
#include <string_view>
#include <type_traits>
#include <utility>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "KestrelResult.hpp"
#include "KestrelTypes.hpp"
#include "KestrelViews.hpp"

// ---- The binary interface: plain structs, function pointers, a context ----

extern "C" {

// A security as its block begins.
struct KestrelVisitSecurity {
  const char* code;          // NUL-terminated
  const char* securityType;  // NUL-terminated
  int priceFactor;
  int entryCount;  // entries that follow before the extra ones
};

// One entry: the indicator, the type code of its value (kValueInt ...), the
// value count (1) and the value as a record's entry holds it; a text entry
// (kValueText) has its text in text/textSize instead (value is zero).
struct KestrelVisitEntry {
  int id;
  int type;
  int count;
  CIndexValue value;
  const char* text;
  int textSize;
};

// A list entry's series: labelled as the series record of the list is, with
// its columns (ids, series type codes, row counts and arrays).
struct KestrelVisitSeries {
  const char* code;
  const char* securityType;
  int indicator;
  int period;
  int hisType;
  int columnCount;
  const int* ids;
  const int* types;
  const int* counts;
  const CIndexValue* values;
};

// The functions a visit calls; any may be null. `context` is passed back.
struct KestrelQuoteVisitor {
  void (*message)(void* context, int type);
  void (*error)(void* context, int code);
  void (*security)(void* context, const KestrelVisitSecurity* security);
  // The entries of a security, in order, handed over `count` at a time:
  // one call for many entries keeps the cost of a call off each value.
  void (*entries)(void* context, const KestrelVisitEntry* entries, int count);
  void (*series)(void* context, const KestrelVisitSeries* series);
  void (*orderQueue)(void* context, CKestrelL2OrderQueue* queue);
  void (*marketEvents)(void* context, CKestrelMarketEventData* events, int count);
  void (*endSecurity)(void* context);
};

// What CKestrelCode::VisitQuoteMessage returns.
enum KestrelVisitStatus {
  kVisitNotQuotes = 0,  // not a whole message of a visited type: nothing was visited
  kVisitDecoded = 1,    // visited; the records would hold what was visited
  kVisitNoResult = 2,   // DecodeOneMessage would give no result: drop what was visited
  kVisitEmptied = 3,    // a code could not be read: the records would be empty, so drop
                        // what was visited
};

}  // extern "C"

// ---- The face: any object with the members it wants --------------------

namespace kestrel {

// A security as its block begins: views valid during the call.
struct Security {
  std::string_view code;
  std::string_view type;  // the security type the library classified
  int priceFactor;
  int entries;
};

// A list entry's series: the labels and columns of the series record.
struct SeriesEntry {
  std::string_view code;
  std::string_view securityType;
  int indicator;
  int period;
  int hisType;
  const KestrelVisitSeries* raw;

  std::size_t size() const noexcept {
    return raw->columnCount > 0 ? static_cast<std::size_t>(raw->columnCount) : 0;
  }
  // Column i, in stored order.
  Column column(std::size_t i) const noexcept {
    return Column(raw->ids[i], static_cast<ValueType>(raw->types[i]), raw->counts[i],
                  &raw->values[i]);
  }
  // The column of indicator `id`; an empty Column when there is none.
  Column columnOf(int id) const noexcept {
    for (std::size_t i = 0; i < size(); ++i) {
      if (raw->ids[i] == id) return column(i);
    }
    return Column();
  }
};

enum class VisitStatus {
  NotQuotes = kVisitNotQuotes,
  Decoded = kVisitDecoded,
  NoResult = kVisitNoResult,
  Emptied = kVisitEmptied,
};

// The outcome of a visit: true when the message was visited and holds what
// was handed over.
struct Visited {
  VisitStatus status = VisitStatus::NotQuotes;
  MessageType type = MessageType::None;
  bool cut = false;  // the message ended before all it announced
  explicit operator bool() const noexcept { return status == VisitStatus::Decoded; }
};

namespace visit_detail {

template <class V, class = void>
struct HasMessage : std::false_type {};
template <class V>
struct HasMessage<V, std::void_t<decltype(std::declval<V&>().onMessage(MessageType::None))>>
    : std::true_type {};
template <class V, class = void>
struct HasError : std::false_type {};
template <class V>
struct HasError<V, std::void_t<decltype(std::declval<V&>().onError(0))>> : std::true_type {};
template <class V, class = void>
struct HasSecurity : std::false_type {};
template <class V>
struct HasSecurity<
    V, std::void_t<decltype(std::declval<V&>().onSecurity(std::declval<const Security&>()))>>
    : std::true_type {};
template <class V, class = void>
struct HasEntry : std::false_type {};
template <class V>
struct HasEntry<V, std::void_t<decltype(std::declval<V&>().onEntry(std::declval<const Entry&>()))>>
    : std::true_type {};
template <class V, class = void>
struct HasSeries : std::false_type {};
template <class V>
struct HasSeries<
    V, std::void_t<decltype(std::declval<V&>().onSeries(std::declval<const SeriesEntry&>()))>>
    : std::true_type {};
template <class V, class = void>
struct HasQueue : std::false_type {};
template <class V>
struct HasQueue<V, std::void_t<decltype(std::declval<V&>().onOrderQueue(
                       std::declval<CKestrelL2OrderQueue&>()))>> : std::true_type {};
template <class V, class = void>
struct HasEvents : std::false_type {};
template <class V>
struct HasEvents<V, std::void_t<decltype(std::declval<V&>().onMarketEvents(
                        std::declval<Span<CKestrelMarketEventData>>()))>> : std::true_type {};
template <class V, class = void>
struct HasEndSecurity : std::false_type {};
template <class V>
struct HasEndSecurity<V, std::void_t<decltype(std::declval<V&>().onEndSecurity())>>
    : std::true_type {};

// The entry as the face shows it: the value a record's entry would give,
// with texts as views of the message.
inline Entry entryOf(const KestrelVisitEntry& e) noexcept {
  const auto type = static_cast<ValueType>(e.type);
  Value value = type == ValueType::Text
                    ? Value(std::string_view(e.text, static_cast<std::size_t>(e.textSize)))
                    : valueOf(type, e.value);
  return Entry{e.id, type, e.count, value, &e.value};
}

// The table of V: one static function per member V has, null for the rest.
template <class V>
struct Table {
  static V& self(void* c) { return *static_cast<V*>(c); }
  static constexpr KestrelQuoteVisitor make() {
    KestrelQuoteVisitor t{};
    if constexpr (HasMessage<V>::value) {
      t.message = [](void* c, int type) { self(c).onMessage(static_cast<MessageType>(type)); };
    }
    if constexpr (HasError<V>::value) {
      t.error = [](void* c, int code) { self(c).onError(code); };
    }
    if constexpr (HasSecurity<V>::value) {
      t.security = [](void* c, const KestrelVisitSecurity* s) {
        self(c).onSecurity(Security{s->code, s->securityType, s->priceFactor, s->entryCount});
      };
    }
    if constexpr (HasEntry<V>::value) {
      t.entries = [](void* c, const KestrelVisitEntry* e, int count) {
        V& visitor = self(c);
        for (int i = 0; i < count; ++i) visitor.onEntry(entryOf(e[i]));
      };
    }
    if constexpr (HasSeries<V>::value) {
      t.series = [](void* c, const KestrelVisitSeries* s) {
        self(c).onSeries(
            SeriesEntry{s->code, s->securityType, s->indicator, s->period, s->hisType, s});
      };
    }
    if constexpr (HasQueue<V>::value) {
      t.orderQueue = [](void* c, CKestrelL2OrderQueue* q) { self(c).onOrderQueue(*q); };
    }
    if constexpr (HasEvents<V>::value) {
      t.marketEvents = [](void* c, CKestrelMarketEventData* events, int count) {
        self(c).onMarketEvents(Span<CKestrelMarketEventData>(events, count));
      };
    }
    if constexpr (HasEndSecurity<V>::value) {
      t.endSecurity = [](void* c) { self(c).onEndSecurity(); };
    }
    return t;
  }
  static constexpr KestrelQuoteVisitor kTable = make();
};

}  // namespace visit_detail

// Visits the one whole message at the start of `message` (`size` bytes may
// hold more behind it) with `visitor`. Returns what became of it; a result
// of status NotQuotes visited nothing (another type, or not a whole message).
template <class Visitor>
Visited visitQuotes(const char* message, std::size_t size, Visitor& visitor) {
  Visited visited;
  const std::size_t whole = message != nullptr ? wholeMessageSize(message, size) : 0;
  if (whole == 0) return visited;
  int type = static_cast<int>(MessageType::None);
  int cut = 0;
  const int status = CKestrelCode::VisitQuoteMessage(
      message, whole, &visit_detail::Table<Visitor>::kTable, &visitor, &type, &cut);
  visited.status = static_cast<VisitStatus>(status);
  visited.type = static_cast<MessageType>(type);
  visited.cut = cut != 0;
  return visited;
}
template <class Visitor>
Visited visitQuotes(const unsigned char* message, std::size_t size, Visitor& visitor) {
  return visitQuotes(reinterpret_cast<const char*>(message), size, visitor);
}

}  // namespace kestrel

#endif  // KESTREL_VISIT_HPP
