// Replies to the ranking requests: sector charts (type 9), sector quotes
// orders (type 34) and paged ranking lists (type 40).
//
// Counts are honoured as announced (codec/WireCounts.h): entries past the
// end of the message are empty; texts are cut to the 30-character buffers of
// the records and the rest of an over-long text is skipped.
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "KestrelCode.h"
#include "ServiceRecords.h"
#include "codec/DecodeCode.h"
#include "codes/TernCode.h"
#include "codec/WireCounts.h"
#include "model/OwnedArray.h"

namespace {

// A sector chart reply always describes nine sectors.
constexpr int kSectorCount = 9;

// Decimals of a sector's indicator values, by the sector's indicator id;
// every other id has none.
struct IndicatorDecimals {
  int id;
  int decimals;
};
constexpr IndicatorDecimals kIndicatorDecimals[] = {
    {59, 0}, {81, 2}, {82, 2}, {187, 2}, {188, 4}, {189, 2}, {190, 2},
};

int DecimalsOf(int indicatorId) {
  for (const IndicatorDecimals& row : kIndicatorDecimals) {
    if (row.id == indicatorId) return row.decimals;
  }
  return 0;
}

// The value divided by 10 to the power `decimals`.
double Scaled(int64_t value, int decimals) {
  return static_cast<double>(value) / std::pow(10.0, decimals);
}

// Memory of one ranked code: its pointer and its text; a paged ranking
// entry adds a value text.
constexpr int64_t kCodeTextBytes = sizeof(char*) + kKestrelTernCodeSize + kestrel::kBlockOverheadBytes;
constexpr int64_t kRankEntryBytes = 2 * kCodeTextBytes;

}  // namespace

CTop8Info* CKestrelCode::DecodeSectorCharts(CDecodeCode& code) {
  auto info = std::make_unique<CTop8Info>();
  info->SetSectorChartItemNum(kSectorCount);
  info->SetSectorChartItem();
  CSectorChartItem* sectors = info->GetSectorChartItem();
  if (sectors == nullptr) return info.release();  // no sectors, no name
  info->SetModuleId(kestrel::ReadWrappedInt32(code));
  std::string name = ReadSizedText(code);
  info->SetSectorName(name.data(), static_cast<int>(name.size()));

  const auto entries = kestrel::ReadWrappedInt32(code);
  if (entries < 1) return info.release();  // nine sectors without entries
  for (int s = 0; s < kSectorCount; ++s) {
    CSectorChartItem& sector = sectors[s];
    sector.SetIndIndex(kestrel::ReadWrappedInt32(code));
    const int count = kestrel::HonouredCount(entries, sizeof(CChartItem), code);
    sector.SetChartItemNum(count);
    sector.SetChartItem();
    CChartItem* items = sector.GetChartItem();
    if (items == nullptr && count > 0) return info.release();
    const int decimals = DecimalsOf(sector.GetIndIndex());
    for (int i = 0; i < sector.GetChartItemNum(); ++i) {
      CChartItem& item = items[i];
      ReadTernCode(code, item.TernCode);
      const int factor = GetPriceUnitFactor(item.TernCode);
      const int64_t price = ReadInt64(code);
      const int64_t previous = ReadInt64(code);
      item.Price = Scaled(price, factor);
      item.Change = Scaled(price - previous, factor);
      item.IndValue = Scaled(ReadInt64(code), decimals);
    }
  }
  return info.release();
}

CSectorQuotesOrder* CKestrelCode::DecodeSectorQuotesOrder(CDecodeCode& code) {
  auto order = std::make_unique<CSectorQuotesOrder>();
  order->ModuleId = kestrel::ReadWrappedInt32(code);
  const int count = kestrel::HonouredCount(kestrel::ReadWrappedInt32(code), kCodeTextBytes, code);
  order->Codes = TryNewArray<kestrel::HostArrays, char*>(count);
  if (order->Codes == nullptr) return order.release();  // CodeNum 0
  order->CodeNum = count;
  DecodeRankedCodes(*order, nullptr, code);
  return order.release();
}

CPagedRankList* CKestrelCode::DecodePagedRankingList(CDecodeCode& code) {
  auto list = std::make_unique<CPagedRankList>();
  list->ModuleId = kestrel::ReadWrappedInt32(code);
  const auto total = kestrel::ReadWrappedInt32(code);
  if (total < 1) return list.release();
  const auto header1 = kestrel::ReadWrappedInt32(code);
  const auto header2 = kestrel::ReadWrappedInt32(code);
  const auto start = kestrel::ReadWrappedInt32(code);
  const auto end = kestrel::ReadWrappedInt32(code);
  const int64_t entries = int64_t{end} - start + 1;
  if (entries < 1) return list.release();  // nothing of the header is kept
  list->TotalNum = total;
  list->HeaderValue1 = header1;
  list->HeaderValue2 = header2;
  list->StartIndex = start;
  list->EndIndex = end;
  const int count = kestrel::HonouredCount(entries, kRankEntryBytes, code);
  list->Codes = TryNewArray<kestrel::HostArrays, char*>(count);
  list->Values = TryNewArray<kestrel::HostArrays, char*>(count);
  if (list->Codes == nullptr || list->Values == nullptr) {
    ReleaseArray<kestrel::HostArrays>(list->Codes);
    ReleaseArray<kestrel::HostArrays>(list->Values);
    return list.release();  // CodeNum 0
  }
  list->CodeNum = count;
  DecodeRankedCodes(*list, list->Values, code);
  return list.release();
}

void CKestrelCode::DecodeRankedCodes(CSectorQuotesOrder& record, char** values, CDecodeCode& code) {
  for (int i = 0; i < record.CodeNum; ++i) {
    char* text = TryNewArray<kestrel::HostArrays, char>(kKestrelTernCodeSize);
    char* value = values != nullptr ? TryNewArray<kestrel::HostArrays, char>(kKestrelTernCodeSize) : nullptr;
    if (text == nullptr || (values != nullptr && value == nullptr)) {
      ReleaseArray<kestrel::HostArrays>(text);
      ReleaseArray<kestrel::HostArrays>(value);
      record.CodeNum = i;  // the entries complete so far
      return;
    }
    record.Codes[i] = text;
    ReadTernCode(code, text, kKestrelTernCodeSize);
    RealCodeToBondCode(text);
    if (values == nullptr) continue;
    values[i] = value;
    ReadSizedString(code, value, kKestrelTernCodeSize);
  }
}
