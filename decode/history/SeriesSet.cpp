// The reusable series set of the exported interface (KestrelSeries.hpp):
// history messages decoded into a SeriesStore.
#include <climits>
#include <cstdint>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "KestrelSeries.hpp"
#include "codec/DecodeCode.h"
#include "codec/MessageTypes.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesStore.h"
#include "model/ValueTypes.h"

namespace {

// The messages the set decodes itself, and those whose series it copies
// from the records of the dispatcher's result (a null decoder): history
// trends, whose nested message may be of any type, level-2 transaction
// history, and compressed envelopes, whose inner type decides.
struct SeriesRoute {
  MessageType type;
  kestrel::SinkDecoder decode;
};

// Types whose result may be a series message's.
bool IsSeriesType(int type) {
  switch (type) {
    case kMsgDayKLine:
    case kMsgMinuteKLine:
    case kMsgHisTrend:
    case kMsgFormalizedTrend:
    case kMsgFormalizedDeal:
    case kMsgQEDataPlus:
    case kMsgLevel2TransactionsHistory:
      return true;
    default:
      return false;
  }
}

// A result of the dispatcher, freed by its reported type.
struct DispatchedResult {
  char* result = nullptr;
  int type = -1;
  DispatchedResult() = default;
  DispatchedResult(const DispatchedResult&) = delete;
  DispatchedResult& operator=(const DispatchedResult&) = delete;
  ~DispatchedResult() { CKestrelCode::ClearDecodeMessage(result, type); }
};

}  // namespace

struct KestrelSeriesSet::State {
  kestrel::SeriesStore store;
};

KestrelSeriesSet::KestrelSeriesSet() : state(new (std::nothrow) State) {}

KestrelSeriesSet::~KestrelSeriesSet() { delete state; }

bool KestrelSeriesSet::Decode(const char* message, long long size, int* type, bool* cut) {
  static constexpr SeriesRoute kRoutes[] = {
      {kMsgDayKLine, &CKestrelCode::DecodeDayKLineInto},
      {kMsgMinuteKLine, &CKestrelCode::DecodeMinuteKLineInto},
      {kMsgHisTrend, nullptr},
      {kMsgFormalizedTrend, &CKestrelCode::DecodeFormalizedTrendInto},
      {kMsgFormalizedDeal, &CKestrelCode::DecodeFormalizedDealInto},
      {kMsgQEDataPlus, &CKestrelCode::DecodeQEDataPlusInto},
      {kMsgCompressed, nullptr},
      {kMsgLevel2TransactionsHistory, nullptr},
  };
  int reported = -1;
  bool ended = false;
  bool series = false;
  if (state != nullptr) {
    kestrel::SeriesStore& store = state->store;
    store.Clear();
    try {
      // Only a whole message is read: its length prefix and all it counts
      // must lie within the bytes given.
      const int available = size > INT_MAX ? INT_MAX : static_cast<int>(size);
      int prefixBytes = 0;
      const uint32_t length = message != nullptr && available > 0
                                  ? ReadLengthPrefix(message, available, &prefixBytes)
                                  : 0;
      if (prefixBytes > 0 && prefixBytes <= available &&
          length <= static_cast<uint32_t>(available - prefixBytes)) {
        const int end = prefixBytes + static_cast<int>(length);
        CDecodeCode code(message);
        code.Frame(prefixBytes, end);
        const uint32_t wireType = ReadUInt32(code);
        reported = static_cast<int>(wireType);
        for (const SeriesRoute& route : kRoutes) {
          if (route.type != wireType) continue;
          if (route.decode != nullptr) {
            series = true;
            route.decode(store, code);
            ended = code.Exhausted();
          } else {
            DispatchedResult result;
            result.result = CKestrelCode::DecodeFrame(message, end, &result.type);
            reported = result.type;
            series = IsSeriesType(result.type);
            if (series && result.result != nullptr) {
              store.AddRecords(*reinterpret_cast<CKestrelData*>(result.result));
            }
          }
          break;
        }
      }
    } catch (...) {
      series = false;
    }
    if (!series) store.Clear();
  }
  if (type != nullptr) *type = reported;
  if (cut != nullptr) *cut = series && ended;
  return series;
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
