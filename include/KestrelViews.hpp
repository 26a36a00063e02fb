// The C++ face of KestrelUtils: views that read the result records without
// changing them.
//
//   for (CKestrelQuoteData& quote : kestrel::quotes(*data)) {
//     for (kestrel::Entry entry : kestrel::entries(quote)) {
//       if (auto* price = std::get_if<double>(&entry.value)) ...
//     }
//   }
//   kestrel::Column close = kestrel::column(series, 7);
//   for (double v : close.as<double>()) ...
//
// A view points into a record and stays valid as long as the record does
// (for a decoded result: until its kestrel::Result frees it).
#ifndef KESTREL_VIEWS_HPP
#define KESTREL_VIEWS_HPP

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <variant>

#include "KestrelTypes.hpp"

namespace kestrel {

// A run of `size()` elements in a record's array: range-for, indexing, size.
// A null array or a count below 1 is an empty run.
template <class T>
class Span {
 public:
  constexpr Span() noexcept = default;
  constexpr Span(T* data, int count) noexcept
      : data_(count > 0 ? data : nullptr),
        size_(data != nullptr && count > 0 ? static_cast<std::size_t>(count) : 0) {}

  constexpr T* begin() const noexcept { return data_; }
  constexpr T* end() const noexcept { return data_ + size_; }
  constexpr T* data() const noexcept { return data_; }
  constexpr std::size_t size() const noexcept { return size_; }
  constexpr bool empty() const noexcept { return size_ == 0; }
  constexpr T& operator[](std::size_t i) const noexcept { return data_[i]; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

// A text of a record: empty when the pointer is null.
inline std::string_view text(const char* p) noexcept {
  return p == nullptr ? std::string_view() : std::string_view(p);
}
// A fixed code buffer of a record, read no further than its size.
template <std::size_t N>
std::string_view text(const char (&buffer)[N]) noexcept {
  std::size_t n = 0;
  while (n < N && buffer[n] != '\0') ++n;
  return std::string_view(buffer, n);
}

// One value of a quote: nothing (series forms, which column() reads), an
// int, a 64-bit int, a double or a text.
using Value = std::variant<std::monostate, int, std::int64_t, double, std::string_view>;

// The single value of one entry, by its type code.
inline Value valueOf(ValueType type, const CIndexValue& v) noexcept {
  switch (type) {
    case ValueType::Char:
      return static_cast<int>(v.cValue);
    case ValueType::Int:
      return v.nValue;
    case ValueType::Int64:
      return static_cast<std::int64_t>(v.llValue);
    case ValueType::Double:
      return v.dValue;
    case ValueType::Text:
      return text(v.pcValue);
    default:
      return std::monostate();
  }
}

// One entry of a CIndexToValue: indicator id, type code, value count and the
// value (for single values; see column() for series).
struct Entry {
  int id;
  ValueType type;
  int count;
  Value value;
  const CIndexValue* raw;  // the value as the record holds it
};

// The entries of a CIndexToValue, in stored order, as Entry values.
class Entries {
 public:
  class iterator {
   public:
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    iterator(CIndexToValue* values, int index) : values_(values), index_(index) {}
    Entry operator*() const {
      const auto type = static_cast<ValueType>(values_->GetValueType()[index_]);
      const CIndexValue& v = values_->GetIndexValue()[index_];
      return Entry{values_->GetIndexId()[index_], type, values_->GetOneIndexValueNum()[index_],
                   valueOf(type, v), &v};
    }
    iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }
    bool operator!=(const iterator& other) const { return index_ != other.index_; }

   private:
    CIndexToValue* values_;
    int index_;
  };

  explicit Entries(CIndexToValue* values) : values_(values), size_(sizeOf(values)) {}
  iterator begin() const { return iterator(values_, 0); }
  iterator end() const { return iterator(values_, size_); }
  std::size_t size() const { return static_cast<std::size_t>(size_); }
  bool empty() const { return size_ == 0; }
  Entry operator[](std::size_t i) const { return *iterator(values_, static_cast<int>(i)); }

 private:
  // Entries are readable only when every column exists.
  static int sizeOf(CIndexToValue* v) {
    if (v == nullptr || v->GetNum() < 1 || v->GetIndexId() == nullptr ||
        v->GetValueType() == nullptr || v->GetOneIndexValueNum() == nullptr ||
        v->GetIndexValue() == nullptr) {
      return 0;
    }
    return v->GetNum();
  }
  CIndexToValue* values_;
  int size_;
};

inline Entries entries(CIndexToValue& values) { return Entries(&values); }
inline Entries entries(CKestrelQuoteData& quote) { return Entries(quote.GetIndexToValue()); }
inline Entries entries(CKestrelHisData& series) { return Entries(series.GetIndexToValue()); }

// The single value of the first entry with indicator `id`; nothing when the
// id is absent or holds a series.
inline Value find(CIndexToValue& values, int id) {
  for (const Entry& entry : entries(values)) {
    if (entry.id == id) return entry.value;
  }
  return std::monostate();
}
inline Value find(CKestrelQuoteData& quote, int id) { return find(*quote.GetIndexToValue(), id); }

// The element type of each series type code.
template <class T>
struct SeriesType;
template <>
struct SeriesType<int> {
  static constexpr ValueType value = ValueType::IntArray;
};
template <>
struct SeriesType<double> {
  static constexpr ValueType value = ValueType::DoubleArray;
};
template <>
struct SeriesType<std::int64_t> {
  static constexpr ValueType value = ValueType::Int64Array;
};
template <>
struct SeriesType<char*> {
  static constexpr ValueType value = ValueType::TextArray;
};

// One column of a history series: the entry of one indicator id, with its
// rows. as<T>() gives the rows as a Span of int, double, std::int64_t or
// char* (texts, each may be null) when the column holds that type, else an
// empty Span; operator[] gives any row as a Value.
class Column {
 public:
  Column() = default;
  // A column without an array of its type has no rows, whatever its count.
  Column(int id, ValueType type, int rows, const CIndexValue* value)
      : id_(id), type_(type), rows_(rows > 0 && hasArray(type, value) ? rows : 0), value_(value) {}

  int id() const noexcept { return id_; }
  ValueType type() const noexcept { return type_; }
  // Number of rows; 0 when the id was not found or holds no series.
  std::size_t size() const noexcept { return static_cast<std::size_t>(rows_); }
  bool empty() const noexcept { return rows_ == 0; }

  template <class T>
  Span<T> as() const noexcept {
    if (rows_ == 0 || type_ != SeriesType<T>::value) return Span<T>();
    if constexpr (std::is_same_v<T, int>) {
      return Span<T>(value_->pnValue, rows_);
    } else if constexpr (std::is_same_v<T, double>) {
      return Span<T>(value_->pdValue, rows_);
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
      return Span<T>(value_->pllValue, rows_);
    } else {
      return Span<T>(value_->ppcValue, rows_);
    }
  }

  // Row `row` as a Value; nothing outside 0 .. size()-1.
  Value operator[](std::size_t row) const noexcept {
    if (row >= size()) return std::monostate();
    switch (type_) {
      case ValueType::IntArray:
        return value_->pnValue[row];
      case ValueType::DoubleArray:
        return value_->pdValue[row];
      case ValueType::Int64Array:
        return static_cast<std::int64_t>(value_->pllValue[row]);
      case ValueType::TextArray:
        return text(value_->ppcValue[row]);
      default:
        return std::monostate();
    }
  }

 private:
  static bool hasArray(ValueType type, const CIndexValue* v) noexcept {
    if (v == nullptr) return false;
    switch (type) {
      case ValueType::IntArray:
        return v->pnValue != nullptr;
      case ValueType::DoubleArray:
        return v->pdValue != nullptr;
      case ValueType::Int64Array:
        return v->pllValue != nullptr;
      case ValueType::TextArray:
        return v->ppcValue != nullptr;
      default:
        return false;
    }
  }

  int id_ = -1;
  ValueType type_ = ValueType::IntArray;
  int rows_ = 0;
  const CIndexValue* value_ = nullptr;
};

// The column of the first entry with indicator `id`; an empty Column when
// there is none.
inline Column column(CIndexToValue& values, int id) {
  for (const Entry& entry : entries(values)) {
    if (entry.id == id) return Column(entry.id, entry.type, entry.count, entry.raw);
  }
  return Column();
}
inline Column column(CKestrelHisData& series, int id) {
  return column(*series.GetIndexToValue(), id);
}
// Every column of a series, in stored order.
inline Span<const int> columnIds(CKestrelHisData& series) {
  CIndexToValue* v = series.GetIndexToValue();
  return Span<const int>(v->GetIndexId(), v->GetNum());
}

// The lists of a market-data result.
inline Span<CKestrelQuoteData> quotes(CKestrelData& data) {
  return Span<CKestrelQuoteData>(data.GetKestrelQuoteData(), data.GetQuoteDataNum());
}
inline Span<CKestrelHisData> series(CKestrelData& data) {
  return Span<CKestrelHisData>(data.GetKestrelHisData(), data.GetHisDataNum());
}
inline Span<CKestrelL2OrderQueue> orderQueues(CKestrelData& data) {
  return Span<CKestrelL2OrderQueue>(data.GetKestrelL2OrderQueue(), data.GetL2OrderQueueNum());
}
inline Span<CKestrelMarketEventData> marketEvents(CKestrelData& data) {
  return Span<CKestrelMarketEventData>(data.GetMarketEventList(), data.GetMarketEventListLen());
}

// Order queues: the price levels of a queue, the orders of a level, and the
// price of a level (its price entry's double; 0 when it has none).
inline Span<CL2OrderQueuePriceLevel> levels(CKestrelL2OrderQueue& queue) {
  return Span<CL2OrderQueuePriceLevel>(queue.GetL2OrderQueuePriceLevel(),
                                       queue.GetL2OrderQueuePriceLevelNum());
}
inline Span<CL2OrderQueueItem> orders(CL2OrderQueuePriceLevel& level) {
  return Span<CL2OrderQueueItem>(level.GetL2OrderQueueItem(), level.GetL2OrderQueueItemNum());
}
inline double price(CL2OrderQueuePriceLevel& level) {
  Entries prices = entries(*level.GetPrice());
  if (prices.empty() || prices[0].type != ValueType::Double) return 0;
  return std::get<double>(prices[0].value);
}

// The fields of a market event.
inline Span<CMarketEventFieldItem> fields(CKestrelMarketEventData& event) {
  return Span<CMarketEventFieldItem>(event.FieldItem, event.FieldItemNum);
}

// Service replies: the items of a subscription list and their ids, the
// sectors of a sector chart and their entries, and the codes and values of a
// ranking.
inline Span<WatchListItem> items(CWatchList& list) {
  return Span<WatchListItem>(list.GetWatchListItem(), list.GetWatchListItemNum());
}
inline Span<std::uint16_t> ids(WatchListItem& item) {
  return Span<std::uint16_t>(item.IndIndex, item.IndIndexNum);
}
inline Span<CSectorChartItem> sectors(CTop8Info& charts) {
  return Span<CSectorChartItem>(charts.GetSectorChartItem(), charts.GetSectorChartItemNum());
}
inline Span<CChartItem> chartItems(CSectorChartItem& sector) {
  return Span<CChartItem>(sector.GetChartItem(), sector.GetChartItemNum());
}
inline Span<char*> codes(CSectorQuotesOrder& order) {
  return Span<char*>(order.Codes, order.CodeNum);
}
inline Span<char*> values(CPagedRankList& list) { return Span<char*>(list.Values, list.CodeNum); }

}  // namespace kestrel

#endif  // KESTREL_VIEWS_HPP
