// Framing of received messages and their dispatch by type.
//
// One table, indexed by message type, names for each type the decoder and the
// kind of result it returns; ClearDecodeMessage and PrintDecodeMessage read
// the same table, so a type cannot be decodable but unfreeable.
#include <algorithm>
#include <array>
#include <climits>
#include <type_traits>
#include <utility>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "ServiceRecords.h"
#include "codec/DecodeCode.h"
#include "codec/MessageTypes.h"
#include "model/OwnedArray.h"

namespace {

// How the host's result of a type is freed and printed.
struct ResultOps {
  void (*clear)(char* result);
  void (*print)(char* result);
};

// Records: destructor, then scalar delete; printed with their PrintLog.
// Every CKestrelData result, simple indicators (type 33) included, prints
// with CKestrelData::PrintLog.
template <typename Record>
void FreeRecord(char* result) {
  delete reinterpret_cast<Record*>(result);
}
template <typename Record>
void PrintRecord(char* result) {
  reinterpret_cast<Record*>(result)->PrintLog();
}
template <typename Record>
constexpr ResultOps kOpsOf = {FreeRecord<Record>, PrintRecord<Record>};
// A status test reply has nothing to print.
template <>
constexpr ResultOps kOpsOf<KestrelInfoReceive> = {FreeRecord<KestrelInfoReceive>, nullptr};

// Raw data is made with array new (NewZeroedArray) and not printed.
void FreeRawBytes(char* result) { ReleaseArray<kestrel::HostArrays>(result); }
constexpr ResultOps kRawBytesOps = {FreeRawBytes, nullptr};
// Heartbeats yield null; a compressed envelope yields the inner message's
// result, which the host frees by the inner type.
constexpr ResultOps kNoOps = {nullptr, nullptr};

// Types at or above this have no row.
constexpr unsigned int kTypeSlots = 256;

// Decoders see the framed cursor, the length L of type and body, and the
// type pointer (compressed envelopes report their inner type through it).
struct Route {
  using Decoder = char* (*)(CDecodeCode& code, int length, int* type);
  ResultOps ops;
  Decoder decode;  // null: the type has no row
};

// The route of a decoder of one record type: its free and print follow from
// the type it returns, so a decode and a free cannot disagree.
template <auto Decode>
constexpr Route RecordRoute() {
  using Record = std::remove_pointer_t<decltype(Decode(std::declval<CDecodeCode&>()))>;
  return {kOpsOf<Record>, [](CDecodeCode& code, int, int*) {
            return reinterpret_cast<char*>(Decode(code));
          }};
}

}  // namespace

struct CKestrelCode::MessageRoute : Route {};

const CKestrelCode::MessageRoute* CKestrelCode::FindRoute(unsigned int type) {
  struct Row {
    unsigned int type;
    Route route;
  };
  // One row per received message type.
  static constexpr Row kRows[] = {
      {kMsgDayKLine, RecordRoute<DecodeDayKLineData>()},
      {kMsgMinuteKLine, RecordRoute<DecodeMinuteKlineData>()},
      {kMsgHisTrend, RecordRoute<DecodeHisTrendData>()},
      {kMsgSectorCharts, RecordRoute<DecodeSectorCharts>()},
      {kMsgFormalizedTrend, RecordRoute<DecodeFormalizedTrend>()},
      {kMsgFormalizedDeal, RecordRoute<DecodeFormalizedDeal>()},
      {kMsgQEDataPlus, RecordRoute<DecodeQEDataPlus>()},
      {kMsgMaskedIndicators, RecordRoute<DecodeMaskedSubscribeIndicators>()},
      {kMsgMaskedData, RecordRoute<DecodeMaskedSubscribeIndicators>()},
      {kMsgServerSubInfo, RecordRoute<DecodeServerSubInfo>()},
      {kMsgSimpleIndicators, RecordRoute<DecodeSimpleIndicators>()},
      {kMsgSectorQuotesOrder, RecordRoute<DecodeSectorQuotesOrder>()},
      {kMsgPagedRankingList, RecordRoute<DecodePagedRankingList>()},
      {kMsgRawData, {kRawBytesOps, [](CDecodeCode& c, int n, int*) { return DecodeRawData(c, n); }}},
      {kMsgCompressed, {kNoOps, DecodeCompressed}},
      {kMsgHeartBeat, {kNoOps, [](CDecodeCode& c, int, int*) { return DecodeHeartBeat(c); }}},
      {kMsgStatusTest, RecordRoute<DecodeStatusTest>()},
      {kMsgHeartBeatAlt, {kNoOps, [](CDecodeCode& c, int, int*) { return DecodeHeartBeat(c); }}},
      {kMsgQuoteUpdate, RecordRoute<DecodeQuoteUpdateData>()},
      {kMsgLogin, RecordRoute<DecodeLoginInfo>()},
      {kMsgLevel2TransactionsHistory, RecordRoute<DecodeLevel2TransactionsHistory>()},
  };
  static constexpr std::array<MessageRoute, kTypeSlots> kByType = [] {
    std::array<MessageRoute, kTypeSlots> table{};
    for (const Row& row : kRows) table[row.type] = MessageRoute{row.route};
    return table;
  }();
  return type < kTypeSlots && kByType[type].decode != nullptr ? &kByType[type] : nullptr;
}

char* CKestrelCode::DecodeOneMessage(char* message, int* type) {
  return DecodeFrame(message, INT_MAX, type);
}

char* CKestrelCode::DecodeFrame(const char* message, int available, int* type) {
  if (message == nullptr || type == nullptr) return nullptr;
  try {
    CDecodeCode code(message);
    int prefixBytes = 0;
    const uint32_t length = ReadLengthPrefix(message, available, &prefixBytes);
    // A length that no int can index cannot be a real message.
    if (length > static_cast<uint32_t>(INT_MAX - prefixBytes)) return nullptr;
    // The cursor never reaches past the bytes known to be there.
    const int end = std::min(static_cast<int>(length) + prefixBytes, available);
    code.Frame(prefixBytes, end);
    const uint32_t messageType = ReadUInt32(code);
    *type = static_cast<int>(messageType);
    const MessageRoute* route = FindRoute(messageType);
    if (route == nullptr || route->decode == nullptr) return nullptr;
    return route->decode(code, static_cast<int>(length), type);
  } catch (...) {
    return nullptr;
  }
}

void CKestrelCode::ClearDecodeMessage(char* result, int type) {
  if (result == nullptr || type < 0) return;
  const MessageRoute* route = FindRoute(static_cast<unsigned int>(type));
  if (route == nullptr) return;
  if (const auto clear = route->ops.clear) clear(result);
}

void CKestrelCode::ClearDecodeMemory() { kestrel::ReleaseThreadResultMemory(); }

void CKestrelCode::PrintDecodeMessage(char* result, int type) {
  if (result == nullptr || type < 0) return;
  const MessageRoute* route = FindRoute(static_cast<unsigned int>(type));
  if (route == nullptr) return;
  if (const auto print = route->ops.print) print(result);
}
