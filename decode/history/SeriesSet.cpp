// The reusable series set of the exported interface (KestrelSeries.hpp):
// history messages decoded into a SeriesStore.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "KestrelResult.hpp"
#include "KestrelSeries.hpp"
#include "codec/DecodeCode.h"
#include "codec/EnvelopeNesting.h"
#include "codec/MessageTypes.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesStore.h"
#include "model/ValueTypes.h"

namespace {

// A message the set decodes itself, and its decoder into a series sink.
struct SeriesRoute {
  MessageType type;
  kestrel::SinkDecoder decode;
};

}  // namespace

struct KestrelSeriesSet::State {
  kestrel::SeriesStore store;
  // The symbols of a history trend, read as records and kept from one
  // message to the next; only the series of their lists reach the store.
  CKestrelData symbols;
};

KestrelSeriesSet::KestrelSeriesSet() : state(new (std::nothrow) State) {}

KestrelSeriesSet::~KestrelSeriesSet() { delete state; }

namespace {

// The decoders a decode into the store may use; the set, a friend of
// CKestrelCode, names them.
struct SetDecoders {
  const SeriesRoute* routes;  // the messages the set decodes itself
  size_t routeCount;
  char* (*decodeFrame)(const char* message, int available, int* type);  // the dispatcher
  // A history trend's head and symbols into a result: false when no nested
  // message follows; and the nested types the trend merges.
  bool (*hisTrendHead)(CKestrelData* result, CDecodeCode& code);
  bool (*mergedInHisTrend)(int type);
};

// Where one decode puts what it finds.
struct SetTarget {
  kestrel::SeriesStore& store;
  CKestrelData& symbols;
  const SetDecoders& decoders;
};

// What one decode into the store found.
struct Outcome {
  bool series = false;
  bool cut = false;
  int type = -1;
};

Outcome DecodeFramed(const SetTarget& target, const char* message, int available, bool merging);

// A history trend (6) holds the series of its symbols' lists, then those of
// its nested message when the trend merges the nested type, in the order
// DecodeOneMessage's records hold them. The nested message must lie wholly
// inside the trend, and trends nest only as deep as envelopes do.
void DecodeHisTrend(const SetTarget& target, CDecodeCode& code, Outcome& outcome) {
  CKestrelData& symbols = target.symbols;
  symbols.Clear();
  const bool nestedFollows = target.decoders.hisTrendHead(&symbols, code);
  target.store.AddRecords(symbols);
  symbols.Clear();
  outcome.cut = code.Exhausted();
  if (!nestedFollows) return;
  int available = 0;
  const char* nested = code.TakeRest(&available);
  const kestrel::EnvelopeNesting nesting;
  if (nesting.TooDeep()) return;
  const int whole = kestrel::WholeMessageBytes(nested, available);
  if (whole < 0) return;
  const Outcome inner = DecodeFramed(target, nested, whole, /*merging=*/true);
  outcome.cut = outcome.cut || inner.cut;
}

// Decodes the message framed by the first `available` bytes of `message`
// into the store. A compressed envelope is inflated into the thread's
// reusable buffer and its inner message decoded the same way, read as a
// short message when it announces more than it holds, as the dispatcher
// reads it. `merging`: the message is nested in a history trend, which
// keeps the series of the types it merges (quote messages' lists too).
Outcome DecodeFramed(const SetTarget& target, const char* message, int available, bool merging) {
  Outcome outcome;
  int prefixBytes = 0;
  const uint32_t length = ReadLengthPrefix(message, available, &prefixBytes);
  // A length that no int can index cannot be a real message.
  if (length > static_cast<uint32_t>(INT_MAX - prefixBytes)) return outcome;
  const int end = std::min(static_cast<int>(length) + prefixBytes, available);
  CDecodeCode code(message);
  code.Frame(prefixBytes, end);
  const uint32_t wireType = ReadUInt32(code);
  outcome.type = static_cast<int>(wireType);

  if (wireType == kMsgCompressed) {
    const kestrel::InflatedPayload inflated = kestrel::InflateEnvelope(code, length);
    const kestrel::EnvelopeNesting nesting;
    if (inflated.bytes == nullptr || nesting.TooDeep() || inflated.size < 1) return outcome;
    return DecodeFramed(target, inflated.bytes, inflated.size, merging);
  }

  if (wireType == kMsgHisTrend) {
    outcome.series = true;
    DecodeHisTrend(target, code, outcome);
    return outcome;
  }
  for (size_t r = 0; r < target.decoders.routeCount; ++r) {
    const SeriesRoute& route = target.decoders.routes[r];
    if (route.type != wireType) continue;
    outcome.series = true;
    route.decode(target.store, code);
    outcome.cut = code.Exhausted();
    return outcome;
  }
  // Other types hold no series of their own, but a history trend also merges
  // the lists of the quote messages nested in it: those are copied from the
  // dispatcher's records.
  if (!merging || !target.decoders.mergedInHisTrend(outcome.type)) return outcome;
  int type = -1;
  char* const record = target.decoders.decodeFrame(message, end, &type);
  const kestrel::Result result(record, type);  // freed by its reported type
  if (result && target.decoders.mergedInHisTrend(type)) {
    target.store.AddRecords(*reinterpret_cast<CKestrelData*>(result.get()));
  }
  return outcome;
}

}  // namespace

bool KestrelSeriesSet::Decode(const char* message, long long size, int* type, bool* cut) {
  static constexpr SeriesRoute kRoutes[] = {
      {kMsgDayKLine, &CKestrelCode::DecodeDayKLineInto},
      {kMsgMinuteKLine, &CKestrelCode::DecodeMinuteKLineInto},
      {kMsgFormalizedTrend, &CKestrelCode::DecodeFormalizedTrendInto},
      {kMsgFormalizedDeal, &CKestrelCode::DecodeFormalizedDealInto},
      {kMsgQEDataPlus, &CKestrelCode::DecodeQEDataPlusInto},
      {kMsgLevel2TransactionsHistory, &CKestrelCode::DecodeLevel2TransactionsHistoryInto},
  };
  static constexpr SetDecoders kDecoders{kRoutes, std::size(kRoutes), &CKestrelCode::DecodeFrame,
                                         &CKestrelCode::DecodeHisTrendHead,
                                         &CKestrelCode::IsMergedInHisTrend};
  Outcome outcome;
  if (state != nullptr) {
    kestrel::SeriesStore& store = state->store;
    store.Clear();
    try {
      // Only a whole message is read: its length prefix and all it counts
      // must lie within the bytes given.
      const int available = size > INT_MAX ? INT_MAX : static_cast<int>(size);
      const int whole = kestrel::WholeMessageBytes(message, available);
      if (whole > 0) {
        const SetTarget target{store, state->symbols, kDecoders};
        outcome = DecodeFramed(target, message, whole, /*merging=*/false);
      }
    } catch (...) {
      outcome.series = false;
    }
    if (!outcome.series) store.Clear();
  }
  if (type != nullptr) *type = outcome.type;
  if (cut != nullptr) *cut = outcome.series && outcome.cut;
  return outcome.series;
}

int KestrelSeriesSet::GetSeriesNum() const {
  return state != nullptr ? state->store.SeriesCount() : 0;
}

bool KestrelSeriesSet::GetHeader(int series, KestrelSeriesHeader* header) const {
  if (header == nullptr || series < 0 || series >= GetSeriesNum()) return false;
  const kestrel::StoredSeries& s = state->store.At(series);
  header->TernCode = s.code;
  header->SecurityType = s.hasSecurityType ? s.securityType.c_str() : nullptr;
  header->PeriodType = s.period;
  header->HisType = s.hisType;
  header->StatusNew = s.statusNew;
  header->StatusOld = s.statusOld;
  header->IndIndex = s.indIndex;
  header->ColumnNum = s.columnCount;
  return true;
}

bool KestrelSeriesSet::GetColumn(int series, int column, KestrelSeriesColumn* out) const {
  if (out == nullptr || series < 0 || series >= GetSeriesNum()) return false;
  const kestrel::StoredSeries& s = state->store.At(series);
  if (column < 0 || column >= s.columnCount) return false;
  const auto at = static_cast<size_t>(column);
  const kestrel::StoredColumn& c = s.columns[at];
  const CIndexValue& value = s.values[at];
  out->IndexId = c.id;
  out->ValueType = c.type;
  out->Rows = c.rows;
  switch (c.type) {
    case kValueIntArray:
      out->Values = value.pnValue;
      break;
    case kValueDoubleArray:
      out->Values = value.pdValue;
      break;
    case kValueInt64Array:
      out->Values = value.pllValue;
      break;
    case kValueTextArray:
      out->Values = value.ppcValue;
      break;
    default:
      out->Values = nullptr;  // no rows to give
      break;
  }
  return true;
}

int KestrelSeriesSet::FindColumn(int series, int id) const {
  if (series < 0 || series >= GetSeriesNum()) return -1;
  const kestrel::StoredSeries& s = state->store.At(series);
  for (int i = 0; i < s.columnCount; ++i) {
    if (s.columns[static_cast<size_t>(i)].id == id) return i;
  }
  return -1;
}
