// The requests of a simulated terminal.
#include "sim/Requests.h"

#include <string_view>

#include "KestrelUtils.h"

namespace ksim {

namespace {

// The bytes of an encoded request; none when the encoder refused it.
Bytes Take(const kestrel::Request& request) {
  const std::string_view bytes = request.bytes();
  return Bytes(bytes.begin(), bytes.end());
}

}  // namespace

std::vector<Request> SessionRequests() {
  CKestrelCode::StartUp();
  std::vector<Request> out;
  auto add = [&out](MessageType reply, const kestrel::Request& request) {
    out.push_back({reply, Take(request)});
  };
  add(MessageType::Login, kestrel::encodeLogin(1, 2, {5, 7}, "demo"));
  add(MessageType::ServerSubInfo, kestrel::encodeServerSubInfo());
  add(MessageType::StatusTest, kestrel::encodeStatusTest({1, -2, 1700000000, 4, 5}));
  add(MessageType::RawData, kestrel::encodeRawData("ready"));
  const kestrel::SubscriptionList quotes{{"600000.SH", {2, 3, 8, 59}}, {"0700.HK", {2, 3, 57, 58}}};
  const kestrel::SubscriptionList dropped{{"000001.SZ", {3}}};
  add(MessageType::QuoteUpdate, kestrel::encodeCommit(quotes, dropped));
  const kestrel::SubscriptionList masked{{"600000.SH", {2, 3, 4, 8, 59, 131}},
                                         {"000001.SZ", {2, 3, 4}}};
  add(MessageType::MaskedIndicators, kestrel::encodeMaskedCommit(masked));
  add(MessageType::MaskedData, kestrel::encodeMaskedVerify(masked));
  const kestrel::SubscriptionList peek{{"000001.SH", {3, 131}}, {"510050.SH", {3, 131}}};
  add(MessageType::SimpleIndicators, kestrel::encodePeek(peek));

  // The history and ranking requests have no helpers of their own; their
  // encoders take mutable texts.
  char share[] = "600000.SH";
  const struct {
    MessageType reply;
    char kind;
    TKLinePeriod period;
    bool flag;
  } inits[] = {
      {MessageType::DayKLine, 2, kKLineDay, false},
      {MessageType::MinuteKLine, 2, kKLineMinuteBar5, false},
      {MessageType::Level2TransactionsHistory, 7, kKLineDay, false},
      {MessageType::FormalizedTrend, 0, kKLineDay, false},
      {MessageType::FormalizedDeal, 1, kKLineDay, false},
      {MessageType::HisTrend, 5, kKLineDay, false},
      {MessageType::QEDataPlus, 1, kKLineDay, true},
  };
  for (const auto& init : inits) {
    add(init.reply, kestrel::Request(CKestrelCode::EncodeInitRequest(
                        share, init.kind, 20240101, 30, init.period, init.flag, 0, 0)));
  }
  char gainers[] = "Gainers";
  char sector[] = "all";
  char* codes[] = {share};
  add(MessageType::SectorCharts,
      kestrel::Request(CKestrelCode::EncodeTop8Request(1, gainers, sector, 1, 0, nullptr)));
  add(MessageType::SectorQuotesOrder,
      kestrel::Request(CKestrelCode::EncodeRankListRequest(2, gainers, sector, 2, 1, 10,
                                                           kSortDirection0, 1, codes)));
  add(MessageType::PagedRankingList,
      kestrel::Request(CKestrelCode::EncodePagedRankListRequest(3, gainers, 0, 20, sector, 3, 3, 5,
                                                                kSortDirection1, 0, nullptr)));
  return out;
}

ConnectionBuilder SessionConnection(const std::vector<Message>& messages,
                                    const std::vector<Request>& requests, const Endpoints& ends,
                                    uint64_t seed, int64_t startMicros) {
  ConnectionBuilder connection(ends, seed, startMicros);
  connection.Open();
  std::vector<bool> sent(requests.size(), false);
  for (const Message& message : messages) {
    for (size_t i = 0; i < requests.size(); ++i) {
      if (!sent[i] && WireType(requests[i].replyType) == message.type) {
        connection.Send(true, requests[i].bytes);
        sent[i] = true;
      }
    }
    connection.Send(false, message.bytes);
  }
  for (size_t i = 0; i < requests.size(); ++i) {
    if (!sent[i]) connection.Send(true, requests[i].bytes);
  }
  connection.Close();
  return connection;
}

}  // namespace ksim
