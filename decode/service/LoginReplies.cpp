// Service replies of the login dialog: the login reply (type 80) and the
// server's subscription list (type 26).
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "ServiceRecords.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "model/OwnedArray.h"

namespace {
// Numbers of the login reply that follow the maximum subscription size and
// carry nothing the host reads.
constexpr int kUnusedLoginNumbers = 5;
}  // namespace

CLoginInfo* CKestrelCode::DecodeLoginInfo(CDecodeCode& code) {
  auto info = std::make_unique<CLoginInfo>();
  info->SetUserId(ReadNewSizedString(code));
  info->SetClientType(ReadInt64(code));
  kestrel::SetLoginClientType(info->GetClientType());
  info->SetMaxSubIndicator(ReadInt64(code));
  for (int i = 0; i < kUnusedLoginNumbers; ++i) ReadInt64(code);
  // The server's name comes before its address on the wire.
  info->SetServerName(ReadNewSizedString(code));
  info->SetServerIP(ReadNewSizedString(code));
  return info.release();
}

CWatchList* CKestrelCode::DecodeServerSubInfo(CDecodeCode& code) {
  auto list = std::make_unique<CWatchList>();
  ReadUInt32(code);  // leading number, unused
  // Counts are honoured as announced (codec/WireCounts.h): items past the
  // end of the message have an empty code and no ids.
  const int count = kestrel::HonouredCount(kestrel::ReadWrappedInt32(code), sizeof(WatchListItem), code);
  if (count < 1) return list.release();
  list->SetWatchListItem(count);
  WatchListItem* items = list->GetWatchListItem();
  for (int i = 0; i < count; ++i) {
    std::memset(items[i].TernCode, 0, sizeof items[i].TernCode);
    items[i].IndIndex = nullptr;
    items[i].IndIndexNum = 0;
  }
  for (int i = 0; i < count; ++i) {
    WatchListItem& item = items[i];
    ReadTernCode(code, item.TernCode);
    // Ids past the end of the message read as 0; each keeps its low 16 bits.
    const int ids = kestrel::HonouredCount(kestrel::ReadWrappedInt32(code), sizeof(uint16_t), code);
    if (ids < 1) continue;
    item.IndIndex = TryNewArray<kestrel::HostArrays, uint16_t>(ids);
    if (item.IndIndex == nullptr) return list.release();  // the items so far, the rest cleared
    item.IndIndexNum = ids;
    for (int k = 0; k < ids; ++k) item.IndIndex[k] = static_cast<uint16_t>(ReadUInt32(code));
  }
  return list.release();
}
