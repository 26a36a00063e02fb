// The requests of a simulated terminal.
#include "sim/Requests.h"

#include <cstring>
#include <string>

#include "KestrelUtils.h"

namespace ksim {

namespace {

// Takes the bytes of an encoded request and deletes it.
Bytes Take(CCode* code) {
  Bytes bytes;
  if (code == nullptr) return bytes;
  const auto* content = reinterpret_cast<const uint8_t*>(code->GetContent());
  bytes.assign(content, content + code->GetLength());
  delete code;
  return bytes;
}

// Items of a subscription list; each owns its id array.
struct OwnedItems {
  explicit OwnedItems(const std::vector<std::pair<const char*, std::vector<uint16_t>>>& entries)
      : items(entries.size()) {
    for (size_t i = 0; i < entries.size(); ++i) {
      std::memset(items[i].TernCode, 0, sizeof items[i].TernCode);
      std::strncpy(items[i].TernCode, entries[i].first, sizeof items[i].TernCode - 1);
      items[i].IndIndexNum = static_cast<int>(entries[i].second.size());
      items[i].IndIndex = new uint16_t[entries[i].second.size()];
      std::copy(entries[i].second.begin(), entries[i].second.end(), items[i].IndIndex);
    }
  }
  std::vector<WatchListItem> items;
  int Count() const { return static_cast<int>(items.size()); }
};

}  // namespace

std::vector<Request> SessionRequests() {
  CKestrelCode::StartUp();
  std::vector<Request> out;
  int services[] = {5, 7};
  out.push_back({80, Take(CKestrelCode::EncodeLoginRequest(1, 2, services, 2, "demo"))});
  out.push_back({26, Take(CKestrelCode::EncodeServerSubInfoRequest())});
  KestrelInfoSend info{1, -2, 1700000000, 4, 5};
  out.push_back({59, Take(CKestrelCode::EncodeKestrelTest(&info))});
  char ready[] = "ready";
  out.push_back({48, Take(CKestrelCode::EncodeRawDataRequest(ready, 5))});
  OwnedItems quotes({{"600000.SH", {2, 3, 8, 59}}, {"0700.HK", {2, 3, 57, 58}}});
  OwnedItems dropped({{"000001.SZ", {3}}});
  out.push_back(
      {64, Take(CKestrelCode::EncodeCommitRequest(quotes.items.data(), quotes.Count(),
                                                  dropped.items.data(), dropped.Count()))});
  OwnedItems masked({{"600000.SH", {2, 3, 4, 8, 59, 131}}, {"000001.SZ", {2, 3, 4}}});
  out.push_back({24, Take(CKestrelCode::EncodeMaskedCommitRequest(masked.items.data(),
                                                                  masked.Count(), nullptr, 0))});
  out.push_back({25, Take(CKestrelCode::EncodeMaskedVerifyRequest(masked.items.data(),
                                                                  masked.Count(), nullptr, 0))});
  OwnedItems peek({{"000001.SH", {3, 131}}, {"510050.SH", {3, 131}}});
  out.push_back({33, Take(CKestrelCode::EncodePeekRequest(peek.items.data(), peek.Count()))});

  char share[] = "600000.SH";
  const struct {
    uint32_t reply;
    char kind;
    TKLinePeriod period;
    bool flag;
  } inits[] = {
      {3, 2, kKLineDay, false},  {5, 2, kKLineMinuteBar5, false}, {130, 7, kKLineDay, false},
      {17, 0, kKLineDay, false}, {18, 1, kKLineDay, false},       {6, 5, kKLineDay, false},
      {21, 1, kKLineDay, true},
  };
  for (const auto& init : inits) {
    out.push_back({init.reply, Take(CKestrelCode::EncodeInitRequest(
                                   share, init.kind, 20240101, 30, init.period, init.flag, 0, 0))});
  }
  char gainers[] = "Gainers";
  char sector[] = "all";
  char* codes[] = {share};
  out.push_back({9, Take(CKestrelCode::EncodeTop8Request(1, gainers, sector, 1, 0, nullptr))});
  out.push_back({34, Take(CKestrelCode::EncodeRankListRequest(2, gainers, sector, 2, 1, 10,
                                                              kSortDirection0, 1, codes))});
  out.push_back({40, Take(CKestrelCode::EncodePagedRankListRequest(
                         3, gainers, 0, 20, sector, 3, 3, 5, kSortDirection1, 0, nullptr))});
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
      if (!sent[i] && requests[i].replyType == message.type) {
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
