// The reusable series sink: series whose storage outlives one message.
//
// A SeriesStore holds the series of the last message decoded into it. Its
// series, their columns, the columns' arrays and the texts they point to are
// kept when the next message starts, and only grow: once the store has held a
// message of a given shape, decoding another of that shape or smaller
// allocates nothing.
#ifndef KESTREL_DECODE_SERIES_SERIESSTORE_H
#define KESTREL_DECODE_SERIES_SERIESSTORE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "KestrelSizes.h"
#include "decode/series/SeriesSink.h"

class CKestrelData;

namespace kestrel {

// One column: its id, type code and rows, and the arrays that its value
// (kept beside those of the other columns, see StoredSeries) points into.
struct StoredColumn {
  int id = 0;
  int type = 0;
  int rows = 0;
  std::vector<int> ints;
  std::vector<double> doubles;
  std::vector<int64_t> int64s;
  std::vector<char*> texts;
};

// One series: the header fields of a history record and its columns (the
// first `columnCount` of `columns`; the rest keep their storage for later).
// The columns' values lie side by side in `values`, as in a record, since
// the codecs of a layout write through consecutive values.
struct StoredSeries {
  char code[kKestrelTernCodeSize] = {};
  TPeriodType period = kPeriodDay;
  THisType hisType = kHisKLine;
  int statusNew = 0;
  int statusOld = 0;
  int indIndex = -1;
  bool hasSecurityType = false;
  std::string securityType;
  std::vector<StoredColumn> columns;
  std::vector<CIndexValue> values;
  int columnCount = 0;
};

// Texts of one message, in blocks that stay where they are until the store
// is cleared; the blocks are kept for the next message.
class TextBlocks {
 public:
  char* Store(std::string_view text);
  void Clear() {
    block_ = 0;
    used_ = 0;
  }

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
  };
  std::vector<Block> blocks_;
  size_t block_ = 0;
  size_t used_ = 0;
};

class SeriesStore final : public SeriesSink {
 public:
  // Forgets the series of the last message; every storage stays.
  void Clear();
  // Series of the message: the first SeriesCount() of them.
  const StoredSeries& At(int series) const { return series_[static_cast<size_t>(series)]; }
  // Copies every history record of `data` as a series after those the
  // message made so far (for messages that only the dispatcher decodes).
  void AddRecords(CKestrelData& data);

  int AddSeries(int count) override;
  int SeriesCount() const override { return count_; }
  void SetHeader(int series, const char* code, TPeriodType period, THisType hisType, int statusNew,
                 int statusOld) override;
  void SetStatus(int series, int statusNew, int statusOld) override;
  void SetSecurityType(int series, std::string_view type) override;
  const char* Code(int series) const override { return At(series).code; }
  THisType HisType(int series) const override { return At(series).hisType; }
  CIndexValue* LayoutColumns(int series, const ColumnLayout& layout, int rows,
                             ColumnPlacement placement) override;
  int ReserveColumns(int series, int count) override;
  CIndexValue* Column(int series, int at, int id, int type, int rows) override;
  char* StoreText(std::string_view text) override { return texts_.Store(text); }

 private:
  StoredSeries& Series(int series) { return series_[static_cast<size_t>(series)]; }
  // The next column of the series, with storage for `rows` elements of
  // `type` (none for other types or no rows).
  StoredColumn& NewColumn(StoredSeries& series, int id, int type, int rows);
  // Sets column `at` of the series to `rows` elements of `type`.
  CIndexValue& Provide(StoredSeries& series, size_t at, int id, int type, int rows);

  std::vector<StoredSeries> series_;
  int count_ = 0;
  int reservedAt_ = 0;
  TextBlocks texts_;
};

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_SERIESSTORE_H
