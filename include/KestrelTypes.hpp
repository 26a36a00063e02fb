// The C++ face of KestrelUtils: the names of message types and value types,
// and which record each message type yields.
//
// Header-only, over the exported interface; everything is in namespace
// kestrel. Include <KestrelUtils/KestrelUtils.h> rather than this header.
#ifndef KESTREL_TYPES_HPP
#define KESTREL_TYPES_HPP

#include <cstddef>

#include "IndexToValue.h"
#include "KestrelData.h"
#include "KestrelInfo.h"
#include "ServiceRecords.h"

namespace kestrel {

// Every message type the library knows: the types of received messages and
// of requests. DecodeOneMessage reports them; a type not named here is still
// reported, as its number.
enum class MessageType : int {
  None = -1,                       // no message was read (the face's own value)
  DayKLine = 3,                    // day K-lines
  MinuteKLine = 5,                 // minute K-lines
  HisTrend = 6,                    // history trends
  SectorCharts = 9,                // top-8 sector charts; also their request
  FormalizedTrend = 17,            // formalized trends
  FormalizedDeal = 18,             // formalized deals
  HistoryKind6 = 20,               // history request of kind 6; no reply of its own
  QEDataPlus = 21,                 // QE data plus
  MaskedIndicators = 24,           // masked subscription data; also the masked commit request
  MaskedData = 25,                 // masked subscription data; also the masked verify request
  ServerSubInfo = 26,              // the server's subscription list; also its request
  Commit = 32,                     // subscription commit request
  SimpleIndicators = 33,           // simple indicators; also the peek request
  SectorQuotesOrder = 34,          // sector quotes order; also the ranking list request
  PagedRankingList = 40,           // paged ranking list; also its request
  RawData = 48,                    // the host's own bytes, both ways
  Compressed = 54,                 // zlib envelope; results report the inner type
  HeartBeat = 58,                  // heartbeat
  StatusTest = 59,                 // status test, both ways
  HeartBeatAlt = 63,               // heartbeat, second form
  QuoteUpdate = 64,                // real-time quote update
  Login = 80,                      // login, both ways
  Level2TransactionsHistory = 130  // level-2 transaction history
};

// The type code of a CIndexToValue entry: which CIndexValue member is live.
enum class ValueType : int {
  Char = 1,          // cValue
  Int = 2,           // nValue
  Double = 3,        // dValue
  Int64 = 4,         // llValue
  Text = 11,         // pcValue
  IntArray = 12,     // pnValue, one element per row
  DoubleArray = 13,  // pdValue
  Int64Array = 14,   // pllValue
  TextArray = 21,    // ppcValue, each element a text or null
};

// The kind of record a decoded result is. ClearDecodeMessage frees each kind
// its own way, so the kind, not the type number, decides typed access.
enum class ResultKind : int {
  None,               // no record: heartbeats, unknown types, requests only
  Data,               // CKestrelData
  SectorCharts,       // CTop8Info
  WatchList,          // CWatchList
  SectorQuotesOrder,  // CSectorQuotesOrder
  PagedRankList,      // CPagedRankList
  RawData,            // char: the payload and one terminating zero
  StatusTest,         // KestrelInfoReceive
  Login,              // CLoginInfo
};

// The record of every received message type that has one: the one table
// that typed access reads.
struct ResultRoute {
  MessageType type;
  ResultKind kind;
};
inline constexpr ResultRoute kResultRoutes[] = {
    {MessageType::DayKLine, ResultKind::Data},
    {MessageType::MinuteKLine, ResultKind::Data},
    {MessageType::HisTrend, ResultKind::Data},
    {MessageType::SectorCharts, ResultKind::SectorCharts},
    {MessageType::FormalizedTrend, ResultKind::Data},
    {MessageType::FormalizedDeal, ResultKind::Data},
    {MessageType::QEDataPlus, ResultKind::Data},
    {MessageType::MaskedIndicators, ResultKind::Data},
    {MessageType::MaskedData, ResultKind::Data},
    {MessageType::ServerSubInfo, ResultKind::WatchList},
    {MessageType::SimpleIndicators, ResultKind::Data},
    {MessageType::SectorQuotesOrder, ResultKind::SectorQuotesOrder},
    {MessageType::PagedRankingList, ResultKind::PagedRankList},
    {MessageType::RawData, ResultKind::RawData},
    {MessageType::StatusTest, ResultKind::StatusTest},
    {MessageType::QuoteUpdate, ResultKind::Data},
    {MessageType::Login, ResultKind::Login},
    {MessageType::Level2TransactionsHistory, ResultKind::Data},
};

// The kind of record that a result reported with `type` is.
constexpr ResultKind kindOf(MessageType type) {
  for (const ResultRoute& route : kResultRoutes) {
    if (route.type == type) return route.kind;
  }
  return ResultKind::None;
}

// The kind of each record type; other types have none, so typed access to
// them does not compile.
template <class Record>
struct RecordKind;
template <ResultKind K>
struct RecordKindIs {
  static constexpr ResultKind value = K;
};
template <>
struct RecordKind<CKestrelData> : RecordKindIs<ResultKind::Data> {};
template <>
struct RecordKind<CTop8Info> : RecordKindIs<ResultKind::SectorCharts> {};
template <>
struct RecordKind<CWatchList> : RecordKindIs<ResultKind::WatchList> {};
template <>
struct RecordKind<CSectorQuotesOrder> : RecordKindIs<ResultKind::SectorQuotesOrder> {};
template <>
struct RecordKind<CPagedRankList> : RecordKindIs<ResultKind::PagedRankList> {};
template <>
struct RecordKind<char> : RecordKindIs<ResultKind::RawData> {};
template <>
struct RecordKind<KestrelInfoReceive> : RecordKindIs<ResultKind::StatusTest> {};
template <>
struct RecordKind<CLoginInfo> : RecordKindIs<ResultKind::Login> {};

// A readable name of a message type, for logs ("quote update"); "unknown"
// for numbers the library does not know.
constexpr const char* nameOf(MessageType type) {
  switch (type) {
    case MessageType::None:
      return "none";
    case MessageType::DayKLine:
      return "day K-lines";
    case MessageType::MinuteKLine:
      return "minute K-lines";
    case MessageType::HisTrend:
      return "history trend";
    case MessageType::SectorCharts:
      return "sector charts";
    case MessageType::FormalizedTrend:
      return "formalized trend";
    case MessageType::FormalizedDeal:
      return "formalized deal";
    case MessageType::HistoryKind6:
      return "history kind 6";
    case MessageType::QEDataPlus:
      return "QE data plus";
    case MessageType::MaskedIndicators:
      return "masked indicators";
    case MessageType::MaskedData:
      return "masked data";
    case MessageType::ServerSubInfo:
      return "subscription list";
    case MessageType::Commit:
      return "commit";
    case MessageType::SimpleIndicators:
      return "simple indicators";
    case MessageType::SectorQuotesOrder:
      return "sector quotes order";
    case MessageType::PagedRankingList:
      return "paged ranking list";
    case MessageType::RawData:
      return "raw data";
    case MessageType::Compressed:
      return "compressed";
    case MessageType::HeartBeat:
      return "heartbeat";
    case MessageType::StatusTest:
      return "status test";
    case MessageType::HeartBeatAlt:
      return "heartbeat";
    case MessageType::QuoteUpdate:
      return "quote update";
    case MessageType::Login:
      return "login";
    case MessageType::Level2TransactionsHistory:
      return "level-2 transactions";
  }
  return "unknown";
}

}  // namespace kestrel

#endif  // KESTREL_TYPES_HPP
