// Framing of received messages and their dispatch by type.
//
// One table, indexed by message type, names for each type the decoder and the
// kind of result it returns; ClearDecodeMessage and PrintDecodeMessage read
// the same table, so a type cannot be decodable but unfreeable.
#include <algorithm>
#include <array>
#include <climits>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "ServiceRecords.h"
#include "codec/DecodeCode.h"
#include "codec/MessageTypes.h"
#include "model/OwnedArray.h"

namespace {

// What a decoder returns, and so how the host's result is freed and printed.
enum class ResultKind {
  kNone,         // always null
  kRawBytes,     // char array: array delete
  kStatusTest,   // KestrelInfoReceive: scalar delete
  kKestrelData,  // CKestrelData: destructor, scalar delete
  kTop8Info,
  kWatchList,
  kSectorQuotesOrder,
  kPagedRankList,
  kLoginInfo,
};

struct ResultOps {
  void (*clear)(char* result);
  void (*print)(char* result);
};

// Raw data is made with array new (NewZeroedArray).
void FreeRawBytes(char* result) { ReleaseArray<kestrel::HostArrays>(result); }
void FreeStatusTest(char* result) { delete reinterpret_cast<KestrelInfoReceive*>(result); }

// Records: destructor, then scalar delete; printed with their PrintLog.
template <typename Record>
void FreeRecord(char* result) {
  delete reinterpret_cast<Record*>(result);
}
template <typename Record>
void PrintRecord(char* result) {
  reinterpret_cast<Record*>(result)->PrintLog();
}
template <typename Record>
constexpr ResultOps kRecordOps = {FreeRecord<Record>, PrintRecord<Record>};

// Indexed by ResultKind. Every CKestrelData result, simple indicators (type
// 33) included, prints with CKestrelData::PrintLog.
constexpr ResultOps kResultOps[] = {
    {nullptr, nullptr},              // kNone
    {FreeRawBytes, nullptr},         // kRawBytes: nothing to print
    {FreeStatusTest, nullptr},       // kStatusTest: nothing to print
    kRecordOps<CKestrelData>,        // kKestrelData
    kRecordOps<CTop8Info>,           // kTop8Info
    kRecordOps<CWatchList>,          // kWatchList
    kRecordOps<CSectorQuotesOrder>,  // kSectorQuotesOrder
    kRecordOps<CPagedRankList>,      // kPagedRankList
    kRecordOps<CLoginInfo>,          // kLoginInfo
};

const ResultOps& OpsOf(ResultKind kind) { return kResultOps[static_cast<int>(kind)]; }

// Types at or above this have no row.
constexpr unsigned int kTypeSlots = 256;

}  // namespace

// Decoders see the framed cursor, the length L of type and body, and the
// type pointer (compressed envelopes report their inner type through it).
struct CKestrelCode::MessageRoute {
  using Decoder = char* (*)(CDecodeCode& code, int length, int* type);
  bool known;
  ResultKind kind;
  Decoder decode;  // null while the type's decoder is not built in
};

const CKestrelCode::MessageRoute* CKestrelCode::FindRoute(unsigned int type) {
  struct Row {
    unsigned int type;
    MessageRoute route;
  };
  // One row per received message type. Rows with a null decoder yield null
  // for now.
  static constexpr Row kRows[] = {
      {kMsgDayKLine,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeDayKLineData(code));
        }}},
      {kMsgMinuteKLine,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeMinuteKlineData(code));
        }}},
      {kMsgHisTrend,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeHisTrendData(code));
        }}},
      {kMsgSectorCharts,
       {true, ResultKind::kTop8Info,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeSectorCharts(code));
        }}},
      {kMsgFormalizedTrend,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeFormalizedTrend(code));
        }}},
      {kMsgFormalizedDeal,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeFormalizedDeal(code));
        }}},
      {kMsgQEDataPlus,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeQEDataPlus(code));
        }}},
      {kMsgMaskedIndicators,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeMaskedSubscribeIndicators(code));
        }}},
      {kMsgMaskedData,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeMaskedSubscribeIndicators(code));
        }}},
      {kMsgServerSubInfo,
       {true, ResultKind::kWatchList,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeServerSubInfo(code));
        }}},
      {kMsgSimpleIndicators,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeSimpleIndicators(code));
        }}},
      {kMsgSectorQuotesOrder,
       {true, ResultKind::kSectorQuotesOrder,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeSectorQuotesOrder(code));
        }}},
      {kMsgPagedRankingList,
       {true, ResultKind::kPagedRankList,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodePagedRankingList(code));
        }}},
      {kMsgRawData,
       {true, ResultKind::kRawBytes,
        [](CDecodeCode& code, int length, int*) { return DecodeRawData(code, length); }}},
      // The inner message's result: the host frees it by the inner type.
      {kMsgCompressed,
       {true, ResultKind::kNone,
        [](CDecodeCode& code, int length, int* type) {
          return DecodeCompressed(code, length, type);
        }}},
      {kMsgHeartBeat,
       {true, ResultKind::kNone,
        [](CDecodeCode& code, int, int*) { return DecodeHeartBeat(code); }}},
      {kMsgStatusTest,
       {true, ResultKind::kStatusTest,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeStatusTest(code));
        }}},
      {kMsgHeartBeatAlt,
       {true, ResultKind::kNone,
        [](CDecodeCode& code, int, int*) { return DecodeHeartBeat(code); }}},
      {kMsgQuoteUpdate,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeQuoteUpdateData(code));
        }}},
      {kMsgLogin,
       {true, ResultKind::kLoginInfo,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeLoginInfo(code));
        }}},
      {kMsgLevel2TransactionsHistory,
       {true, ResultKind::kKestrelData,
        [](CDecodeCode& code, int, int*) {
          return reinterpret_cast<char*>(DecodeLevel2TransactionsHistory(code));
        }}},
  };
  static constexpr std::array<MessageRoute, kTypeSlots> kByType = [] {
    std::array<MessageRoute, kTypeSlots> table{};
    for (const Row& row : kRows) table[row.type] = row.route;
    return table;
  }();
  return type < kTypeSlots && kByType[type].known ? &kByType[type] : nullptr;
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
  if (const auto clear = OpsOf(route->kind).clear) clear(result);
}

void CKestrelCode::ClearDecodeMemory() { kestrel::ReleaseThreadResultMemory(); }

void CKestrelCode::PrintDecodeMessage(char* result, int type) {
  if (result == nullptr || type < 0) return;
  const MessageRoute* route = FindRoute(static_cast<unsigned int>(type));
  if (route == nullptr) return;
  if (const auto print = OpsOf(route->kind).print) print(result);
}
