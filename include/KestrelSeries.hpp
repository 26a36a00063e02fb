// The C++ face of KestrelUtils: a reusable set of history series.
//
//   kestrel::SeriesSet series;            // kept by the host, one per thread
//   if (series.decode(bytes, size)) {     // a whole series message
//     for (std::size_t i = 0; i < series.size(); ++i) {
//       kestrel::SeriesView one = series[i];
//       kestrel::Span<const double> close = one.column<double>(5);
//       ...
//     }
//   }
//
// A SeriesSet decodes day and minute K-lines (types 3 and 5), history trends
// (6), formalized trends and deals (17 and 18), QE data (21) and level-2
// transaction history (130) itself, straight into storage that it keeps from
// one message to the next: once warm, decoding a message of the same shape
// or smaller allocates nothing, also inside a compressed envelope (54), which
// is inflated into a buffer the thread keeps (a quote message nested in a
// history trend, rare, has its lists copied from records and allocates).
// What a set holds after a message is exactly what the message's history
// records hold (CKestrelData::GetKestrelHisData); the parts of a message
// that are no series (the quote record of A-share deals, QE parameters and
// order queues, the quote that trails level-2 deals, the symbols of history
// trends) are not kept.
//
// Every view (texts, spans, headers) points into the set and is valid until
// the set decodes its next message or is destroyed.
#ifndef KESTREL_SERIES_HPP
#define KESTREL_SERIES_HPP

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "KestrelExport.h"
#include "KestrelRecords.h"
#include "KestrelTypes.hpp"
#include "KestrelViews.hpp"

// The header fields of one series, as a history record holds them.
struct KestrelSeriesHeader {
  const char* TernCode;      // NUL-terminated, at most 29 characters
  const char* SecurityType;  // NUL-terminated; null when the series has none
  int PeriodType;            // a TPeriodType
  int HisType;               // a THisType
  int StatusNew;
  int StatusOld;
  int IndIndex;   // -1 when the series is no indicator series
  int ColumnNum;  // columns of the series
};

// One column of a series: its indicator id, value type code (12 int array,
// 13 double array, 14 64-bit int array, 21 text array; other codes hold no
// rows here) and its rows. Values points to Rows elements of the type, or
// is null when the column has no array (Rows may still be the count that
// the message announced, as in the records).
struct KestrelSeriesColumn {
  int IndexId;
  int ValueType;
  int Rows;
  const void* Values;
};

// The binary interface of the reusable series set. Every member catches
// every exception and reports failure by its return value; a set belongs to
// one thread at a time.
class KESTREL_API KestrelSeriesSet {
 public:
  KestrelSeriesSet();
  ~KestrelSeriesSet();
  KestrelSeriesSet(const KestrelSeriesSet&) = delete;
  KestrelSeriesSet& operator=(const KestrelSeriesSet&) = delete;

  // Decodes the one whole message (length prefix, type and body) that the
  // `size` bytes at `message` start with, replacing the series of the last
  // message. True when it is a series message (types 3, 5, 6, 17, 18, 21,
  // 130, or a compressed envelope holding one); false, with no series, for
  // any other type, for bytes that do not hold a whole message and when
  // decoding fails. `type` (may be null) receives the type, the inner type
  // for an envelope, or -1 when no type was read. `cut` (may be null)
  // receives true when the body ended before everything it announced was
  // read (reported for the types the set decodes itself; false otherwise).
  bool Decode(const char* message, long long size, int* type, bool* cut);

  // Series of the last message.
  int GetSeriesNum() const;
  // The header of series `series`; false when there is no such series.
  bool GetHeader(int series, KestrelSeriesHeader* header) const;
  // Column `column` of series `series`, in stored order; false when there
  // is no such column.
  bool GetColumn(int series, int column, KestrelSeriesColumn* out) const;
  // The index of the first column of series `series` with indicator `id`,
  // or -1.
  int FindColumn(int series, int id) const;

 private:
  struct State;
  State* state;
};

namespace kestrel {

// One column of a series in a SeriesSet.
class SeriesColumn {
 public:
  SeriesColumn() = default;
  explicit SeriesColumn(const KestrelSeriesColumn& column) : column_(column) {}

  int id() const noexcept { return column_.IndexId; }
  ValueType type() const noexcept { return static_cast<ValueType>(column_.ValueType); }
  // Rows of the column's array; 0 when it has none.
  std::size_t size() const noexcept {
    return column_.Values != nullptr && column_.Rows > 0 ? static_cast<std::size_t>(column_.Rows)
                                                         : 0;
  }
  // The rows as int, double, std::int64_t or char* (texts, each may be
  // null) when the column holds that type; else an empty Span.
  template <class T>
  Span<const T> as() const noexcept {
    if (size() == 0 || type() != SeriesType<T>::value) return Span<const T>();
    return Span<const T>(static_cast<const T*>(column_.Values), column_.Rows);
  }

 private:
  KestrelSeriesColumn column_{-1, 0, 0, nullptr};
};

// One series of a SeriesSet.
class SeriesView {
 public:
  SeriesView(const KestrelSeriesSet* set, int index) : set_(set), index_(index) {
    if (set_ == nullptr || !set_->GetHeader(index_, &header_)) header_ = KestrelSeriesHeader{};
  }

  std::string_view code() const noexcept { return text(header_.TernCode); }
  // The security type, such as "stock_a"; empty when there is none.
  std::string_view securityType() const noexcept { return text(header_.SecurityType); }
  bool hasSecurityType() const noexcept { return header_.SecurityType != nullptr; }
  TPeriodType period() const noexcept { return static_cast<TPeriodType>(header_.PeriodType); }
  THisType hisType() const noexcept { return static_cast<THisType>(header_.HisType); }
  int statusNew() const noexcept { return header_.StatusNew; }
  int statusOld() const noexcept { return header_.StatusOld; }
  int indIndex() const noexcept { return header_.IndIndex; }
  std::size_t columnCount() const noexcept {
    return header_.ColumnNum > 0 ? static_cast<std::size_t>(header_.ColumnNum) : 0;
  }

  // Column `i` in stored order; an empty column when there is none.
  SeriesColumn columnAt(std::size_t i) const {
    KestrelSeriesColumn out{};
    if (set_ == nullptr || i >= columnCount() ||
        !set_->GetColumn(index_, static_cast<int>(i), &out)) {
      return SeriesColumn();
    }
    return SeriesColumn(out);
  }
  // The first column with indicator `id`; an empty column when there is none.
  SeriesColumn find(int id) const {
    const int at = set_ != nullptr ? set_->FindColumn(index_, id) : -1;
    return at < 0 ? SeriesColumn() : columnAt(static_cast<std::size_t>(at));
  }
  // The rows of indicator `id` as T (int, double, std::int64_t or char*);
  // empty when there is no such column or it holds another type.
  template <class T>
  Span<const T> column(int id) const {
    return find(id).as<T>();
  }

 private:
  const KestrelSeriesSet* set_;
  int index_;
  KestrelSeriesHeader header_{};
};

// A reusable set of series: keep one and decode message after message into
// it.
class SeriesSet {
 public:
  struct Decoded {
    bool series = false;                   // a series message: the set holds its series
    bool cut = false;                      // the body ended before all it announced
    MessageType type = MessageType::None;  // the inner type of an envelope
    explicit operator bool() const noexcept { return series; }
  };

  // Decodes the whole message at the start of `data`; see
  // KestrelSeriesSet::Decode. The bytes stay the caller's.
  Decoded decode(const char* data, std::size_t size) {
    Decoded decoded;
    int type = static_cast<int>(MessageType::None);
    const auto bounded = static_cast<long long>(size > kMostBytes ? kMostBytes : size);
    decoded.series = set_.Decode(data, bounded, &type, &decoded.cut);
    decoded.type = static_cast<MessageType>(type);
    return decoded;
  }
  Decoded decode(const unsigned char* data, std::size_t size) {
    return decode(reinterpret_cast<const char*>(data), size);
  }

  std::size_t size() const {
    const int n = set_.GetSeriesNum();
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  bool empty() const { return size() == 0; }
  SeriesView operator[](std::size_t i) const { return SeriesView(&set_, static_cast<int>(i)); }

  // The binary interface underneath.
  const KestrelSeriesSet& raw() const noexcept { return set_; }

 private:
  // A message never takes more bytes than a long long counts.
  static constexpr std::size_t kMostBytes = static_cast<std::size_t>(INT64_MAX);
  KestrelSeriesSet set_;
};

}  // namespace kestrel

#endif  // KESTREL_SERIES_HPP
