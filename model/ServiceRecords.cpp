// Records of the service replies.
#include "ServiceRecords.h"

#include "model/OwnedArray.h"

namespace {
// Hosts hand these records arrays made with array new (adopted texts,
// WatchListItem::IndIndex, the public Codes and Values), so every array here
// is made and released with array new and delete.
using Arrays = kestrel::HostArrays;

// Releases an adopted or copied text and installs its successor.
void ReplaceText(char*& held, char* next) {
  ReleaseArray<Arrays>(held);
  held = next;
}
}  // namespace

CLoginInfo::CLoginInfo()
    : ClientType(0), MaxSubIndicator(0), UserId(nullptr), ServerIP(nullptr), ServerName(nullptr) {}

CLoginInfo::~CLoginInfo() { Clear(); }

const char* CLoginInfo::GetUserId() { return UserId; }

const char* CLoginInfo::GetServerIP() { return ServerIP; }

const char* CLoginInfo::GetServerName() { return ServerName; }

int64_t CLoginInfo::GetClientType() { return ClientType; }

int64_t CLoginInfo::GetMaxSubIndicator() { return MaxSubIndicator; }

void CLoginInfo::SetUserId(char* text) { ReplaceText(UserId, text); }

void CLoginInfo::SetServerIP(char* text) { ReplaceText(ServerIP, text); }

void CLoginInfo::SetServerName(char* text) { ReplaceText(ServerName, text); }

void CLoginInfo::CloneUserId(char* text) { ReplaceText(UserId, TryNewTextCopy<Arrays>(text)); }

void CLoginInfo::CloneServerIP(char* text) { ReplaceText(ServerIP, TryNewTextCopy<Arrays>(text)); }

void CLoginInfo::CloneServerName(char* text) { ReplaceText(ServerName, TryNewTextCopy<Arrays>(text)); }

void CLoginInfo::SetClientType(int64_t clientType) { ClientType = clientType; }

void CLoginInfo::SetMaxSubIndicator(int64_t maxSubIndicator) { MaxSubIndicator = maxSubIndicator; }

void CLoginInfo::Clear() {
  ReleaseArray<Arrays>(UserId);
  ReleaseArray<Arrays>(ServerIP);
  ReleaseArray<Arrays>(ServerName);
  ClientType = 0;
  MaxSubIndicator = 0;
}

void CLoginInfo::PrintLog() {}

WatchListItem::~WatchListItem() { ReleaseArray<Arrays>(IndIndex); }

CWatchList::CWatchList() : WatchListItemNum(0), WatchListItem(nullptr) {}

CWatchList::~CWatchList() { Clear(); }

int CWatchList::GetWatchListItemNum() { return WatchListItemNum; }

void CWatchList::SetWatchListItemNum(int num) { WatchListItemNum = num; }

::WatchListItem* CWatchList::GetWatchListItem() { return WatchListItem; }

void CWatchList::SetWatchListItem(int num) {
  WatchListItemNum = num;
  RenewCountedArray<Arrays>(WatchListItem, WatchListItemNum);
}

void CWatchList::Clear() {
  ReleaseArray<Arrays>(WatchListItem);
  WatchListItemNum = 0;
}

void CWatchList::PrintLog() {}

CSectorChartItem::CSectorChartItem() : IndIndex(0), ChartItemNum(0), ChartItem(nullptr) {}

CSectorChartItem::~CSectorChartItem() { Clear(); }

int CSectorChartItem::GetIndIndex() { return IndIndex; }

void CSectorChartItem::SetIndIndex(int indIndex) { IndIndex = indIndex; }

int CSectorChartItem::GetChartItemNum() { return ChartItemNum; }

void CSectorChartItem::SetChartItemNum(int num) { ChartItemNum = num; }

CChartItem* CSectorChartItem::GetChartItem() { return ChartItem; }

void CSectorChartItem::SetChartItem() { RenewCountedArray<Arrays>(ChartItem, ChartItemNum); }

void CSectorChartItem::Clear() {
  IndIndex = 0;
  ReleaseArray<Arrays>(ChartItem);
  ChartItemNum = 0;
}

void CSectorChartItem::PrintLog() {}

CTop8Info::CTop8Info()
    : ModuleId(0), SectorName(nullptr), SectorChartItemNum(0), SectorChartItem(nullptr) {}

CTop8Info::~CTop8Info() { Clear(); }

int CTop8Info::GetModuleId() { return ModuleId; }

void CTop8Info::SetModuleId(int moduleId) { ModuleId = moduleId; }

char* CTop8Info::GetSectorName() { return SectorName; }

void CTop8Info::SetSectorName(char* name, int len) {
  ReplaceText(SectorName, TryNewPaddedText<Arrays>(name, len));
}

int CTop8Info::GetSectorChartItemNum() { return SectorChartItemNum; }

void CTop8Info::SetSectorChartItemNum(int num) { SectorChartItemNum = num; }

CSectorChartItem* CTop8Info::GetSectorChartItem() { return SectorChartItem; }

void CTop8Info::SetSectorChartItem() { RenewCountedArray<Arrays>(SectorChartItem, SectorChartItemNum); }

void CTop8Info::Clear() {
  ModuleId = 0;
  ReleaseArray<Arrays>(SectorName);
  ReleaseArray<Arrays>(SectorChartItem);
  SectorChartItemNum = 0;
}

void CTop8Info::PrintLog() {
  if (SectorChartItem == nullptr) return;
  for (int i = 0; i < SectorChartItemNum; ++i) SectorChartItem[i].PrintLog();
}

CSectorQuotesOrder::~CSectorQuotesOrder() { Clear(); }

void CSectorQuotesOrder::Clear() {
  ModuleId = 0;
  ReleaseTextArray<Arrays>(Codes, CodeNum);
  CodeNum = 0;
}

void CSectorQuotesOrder::PrintLog() {}

CPagedRankList::~CPagedRankList() { Clear(); }

void CPagedRankList::Clear() {
  // Values first: the base's Clear resets the CodeNum that counts both.
  ReleaseTextArray<Arrays>(Values, CodeNum);
  CSectorQuotesOrder::Clear();
}

void CPagedRankList::PrintLog() {}
